// The "Request Summary" pane: a read-only rich-edit window that shows the
// selected record as formatted text headed by a small status picture
// (issued, succeeded, failed, pended, canceled, start, drop).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/SummaryWriter.h"
#include "toolkit/controls/win/RichEditBase.h"

namespace brx {

// The summary document's buffer: as much text as a summary may grow to.
constexpr uint32_t kSummaryBufferSize = 0x80000;

class CRequestSummary : public CRichEditBase {
public:
    CRequestSummary();
    ~CRequestSummary() override;

    // Creates the read-only control (multi-line, vertical scroll bar).
    BOOL CreatePane(HWND parent, UINT id);

    // Shows one record (the pair's record; names: the log's name tables, or
    // null). Every call replaces the whole text.
    void ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout, const ISummaryNames* names = nullptr);
    // Empties the pane.
    void Clear() { SetWindowText(L""); }

    static int GetStatusImage(const CRecordView& record, const RECORD_LAYOUT& layout);
    // A bitmap of the status image drawn on the control's background; null
    // without images. The caller deletes it.
    HBITMAP MakeStatusBitmap(int image);
    // Puts the record's status picture at the caret; false when there is
    // none or the control would not take it.
    bool InsertStatusImage(const CRecordView& record, const RECORD_LAYOUT& layout);

    HIMAGELIST GetImageList() const { return m_images; }
    // Whether the last ShowRecord put a picture into the text.
    bool PictureShown() const { return m_pictureShown; }

private:
    HIMAGELIST m_images = nullptr;
    bool m_pictureShown = false;
};

// Places a bitmap into a rich-edit control at its selection as a static OLE
// picture; false when the control or OLE refuses it. The caller keeps and
// deletes the bitmap.
bool InsertBitmapObject(HWND richEdit, HBITMAP bitmap);

} // namespace brx
