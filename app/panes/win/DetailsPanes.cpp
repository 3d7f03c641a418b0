#include "app/panes/win/DetailsPanes.h"

#include "decode/IrpUrbDetails.h"
#include "decode/TreeSink.h"
#include "toolkit/controls/win/TreeListSink.h"

namespace brx {
namespace {

BOOL CreateDetailsList(CTreeList& list, HWND parent, UINT id) {
    if (!list.Create(WS_CHILD | WS_VISIBLE, RECT{}, parent, id)) return FALSE;
    SetupDetailsColumns(list);
    return TRUE;
}

} // namespace

void SetupDetailsColumns(CTreeList& list) {
    list.ModifyStyle(kDetailsStyleRemove, kDetailsStyleAdd);
    for (int i = 0; i < 3; ++i)
        list.InsertColumn(i, reinterpret_cast<const wchar_t*>(kDetailsColumns[i].caption), 0, kDetailsColumns[i].width);
}

CIrpDetails::~CIrpDetails() {
    if (m_hWnd) DestroyWindow();
}

BOOL CIrpDetails::CreatePane(HWND parent, UINT id) { return CreateDetailsList(*this, parent, id); }

void CIrpDetails::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout) {
    CTreeListSink sink(*this);
    FillIrpDetails(sink, pair.record, layout);
}

CUrbDetails::~CUrbDetails() {
    if (m_hWnd) DestroyWindow();
}

BOOL CUrbDetails::CreatePane(HWND parent, UINT id) { return CreateDetailsList(*this, parent, id); }

void CUrbDetails::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT&) {
    CTreeListSink sink(*this);
    FillUrbDetails(sink, pair.record);
}

} // namespace brx
