// The "IRP Details" and "URB Details" panes: tree-lists of the selected
// request's IRP with its stack locations and of its URB.
#pragma once
#include <windows.h>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "toolkit/controls/win/TreeList.h"

namespace brx {

// The three columns of a details tree-list: "Field Name" 150, "Value" 140,
// "Comment" 200 pixels.
void SetupDetailsColumns(CTreeList& list);

class CIrpDetails : public CTreeListBase {
public:
    ~CIrpDetails() override;
    BOOL CreatePane(HWND parent, UINT id);
    // Shows the IRP of the pair's record (nothing for a record without one).
    void ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout);
    void Clear() { DeleteAllItems(); }
};

class CUrbDetails : public CTreeListBase {
public:
    ~CUrbDetails() override;
    BOOL CreatePane(HWND parent, UINT id);
    // Shows the URB of the pair's record (nothing for other records).
    void ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout);
    void Clear() { DeleteAllItems(); }
};

} // namespace brx
