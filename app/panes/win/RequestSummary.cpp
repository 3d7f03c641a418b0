#include "app/panes/win/RequestSummary.h"

#include <ole2.h>
#include <richole.h>

#include <memory>
#include <new>
#include <string>

#include "app/panes/RecordData.h"
#include "app/panes/SummaryDocument.h"
#include "app/res/panes_ids.h"
#include "decode/RequestSummary.h"

namespace brx {
namespace {

constexpr int kImageSize = 16;
constexpr COLORREF kImageMask = RGB(255, 0, 255);

// The pane's font names as 8-bit text in the ANSI code page.
std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

// One static data object that hands out copies of the bitmap it was given.
class BITMAP_DATA_OBJECT final : public IDataObject {
public:
    explicit BITMAP_DATA_OBJECT(HBITMAP bitmap) {
        m_format.cfFormat = CF_BITMAP;
        m_format.ptd = nullptr;
        m_format.dwAspect = DVASPECT_CONTENT;
        m_format.lindex = -1;
        m_format.tymed = TYMED_GDI;
        m_medium.tymed = TYMED_GDI;
        m_medium.hBitmap = bitmap;
        m_medium.pUnkForRelease = nullptr;
    }
    const FORMATETC& Format() const { return m_format; }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *out = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC*, STGMEDIUM* medium) override {
        if (!medium) return E_POINTER;
        HANDLE copy = ::OleDuplicateData(m_medium.hBitmap, CF_BITMAP, 0);
        if (!copy) return E_HANDLE;
        medium->tymed = TYMED_GDI;
        medium->hBitmap = static_cast<HBITMAP>(copy);
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL) override {
        if (format) m_format = *format;
        if (medium) m_medium = *medium;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    FORMATETC m_format{};
    STGMEDIUM m_medium{};
};

template <class T>
void ReleaseIf(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

} // namespace

bool InsertBitmapObject(HWND richEdit, HBITMAP bitmap) {
    if (!richEdit || !bitmap) return false;
    IRichEditOle* ole = nullptr;
    ::SendMessageW(richEdit, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole));
    if (!ole) return false;

    BITMAP_DATA_OBJECT data(bitmap);
    IOleClientSite* site = nullptr;
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    IOleObject* object = nullptr;
    bool inserted = false;
    FORMATETC format = data.Format();
    if (SUCCEEDED(ole->GetClientSite(&site)) && site &&
        SUCCEEDED(::CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes)) && bytes &&
        SUCCEEDED(::StgCreateDocfileOnILockBytes(bytes, STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0,
                                                 &storage)) &&
        storage &&
        SUCCEEDED(::OleCreateStaticFromData(&data, IID_IOleObject, OLERENDER_FORMAT, &format, site, storage,
                                            reinterpret_cast<void**>(&object))) &&
        object) {
        ::OleSetContainedObject(object, TRUE);
        CLSID clsid{};
        object->GetUserClassID(&clsid);
        REOBJECT reobject{};
        reobject.cbStruct = sizeof reobject;
        reobject.clsid = clsid;
        reobject.cp = REO_CP_SELECTION;
        reobject.dvaspect = DVASPECT_CONTENT;
        reobject.poleobj = object;
        reobject.pstg = storage;
        reobject.polesite = site;
        reobject.dwFlags = REO_BLANK;
        inserted = SUCCEEDED(ole->InsertObject(&reobject));
    }
    ReleaseIf(object);
    ReleaseIf(storage);
    ReleaseIf(bytes);
    ReleaseIf(site);
    ole->Release();
    return inserted;
}

// OLE (for the status picture's object) is the program's, initialised once
// at start-up.
CRequestSummary::CRequestSummary() {
    HBITMAP strip = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                      MAKEINTRESOURCEW(IDB_STATUS_IMAGES), IMAGE_BITMAP, 0, 0,
                                                      LR_CREATEDIBSECTION));
    if (!strip) return;  // no pictures, text only
    m_images = ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, 5, 1);
    if (m_images && ImageList_AddMasked(m_images, strip, kImageMask) < 0) {
        ImageList_Destroy(m_images);
        m_images = nullptr;
    }
    ::DeleteObject(strip);
}

CRequestSummary::~CRequestSummary() {
    if (m_hWnd) DestroyWindow();
    if (m_images) ImageList_Destroy(m_images);
}

BOOL CRequestSummary::CreatePane(HWND parent, UINT id) {
    if (!Create(WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, RECT{}, parent, id))
        return FALSE;
    InitFormat();
    return TRUE;
}

int CRequestSummary::GetStatusImage(const CRecordView& record, const RECORD_LAYOUT& layout) {
    return brx::GetStatusImage(record, layout);
}

HBITMAP CRequestSummary::MakeStatusBitmap(int image) {
    if (!m_images || image <= STATUS_IMAGE_NONE || image >= ImageList_GetImageCount(m_images)) return nullptr;
    // Reading the background colour also sets the control back to the
    // system's background colour.
    const COLORREF background = static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, 1, 0));
    HDC screen = ::GetDC(m_hWnd);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, kImageSize, kImageSize);
    ::ReleaseDC(m_hWnd, screen);
    if (!dc || !bitmap) {
        if (dc) ::DeleteDC(dc);
        if (bitmap) ::DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, kImageSize, kImageSize};
    HBRUSH brush = ::CreateSolidBrush(background);
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ImageList_Draw(m_images, image, dc, 0, 0, ILD_TRANSPARENT);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return bitmap;
}

bool CRequestSummary::InsertStatusImage(const CRecordView& record, const RECORD_LAYOUT& layout) {
    const int image = GetStatusImage(record, layout);
    if (image == STATUS_IMAGE_NONE) return false;
    HBITMAP bitmap = MakeStatusBitmap(image);
    if (!bitmap) return false;
    CHARRANGE at{};
    SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&at));
    const bool inserted = InsertBitmapObject(m_hWnd, bitmap);
    ::DeleteObject(bitmap);
    if (inserted) {
        // The text goes behind the picture.
        CHARRANGE behind{at.cpMin + 1, at.cpMin + 1};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&behind));
    }
    return inserted;
}

void CRequestSummary::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout,
                                 const ISummaryNames* names) {
    m_pictureShown = false;
    if (!m_hWnd) return;
    const bool redrawOff = ::IsWindowVisible(m_hWnd) != FALSE;
    if (redrawOff) SendMessage(WM_SETREDRAW, FALSE, 0);
    SetWindowText(L"");
    auto restore = [&]() {
        if (!redrawOff) return;
        SendMessage(WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    };

    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kSummaryBufferSize]);
    if (!buffer) {
        restore();
        return;
    }
    const std::string proportional = ToAnsi(GetProportionalFont());
    const std::string fixed = ToAnsi(GetFixedFont());
    SUMMARY_CONTEXT ctx;
    const size_t head = BeginSummaryDocument(ctx, buffer.get(), kSummaryBufferSize, &pair.record, layout, names,
                                             proportional.c_str(), fixed.c_str());
    // The empty document first: it sets the fonts and colours the body and
    // the picture take.
    SetRtf(buffer.get(), CloseSummaryDocument(ctx, buffer.get(), head));

    // Other record types show only the empty document.
    bool known = true;
    switch (pair.record.type) {
    case RECORD_TYPE_REQUEST: SummarizeRequestHeader(ctx); break;
    case RECORD_TYPE_START: SummarizeStartMarker(ctx); break;
    case RECORD_TYPE_DROP: SummarizeDropMarker(ctx); break;
    default: known = false; break;
    }
    if (known) {
        const size_t length = CloseSummaryDocument(ctx, buffer.get(), head);
        m_pictureShown = InsertStatusImage(pair.record, layout);
        ReplaceSelRtf(buffer.get(), length);
    }
    restore();
}

} // namespace brx
