#include "toolkit/html/HtmlHost.h"

#include <algorithm>
#include <cstring>

namespace brx {

const CLSID CLSID_WebBrowserControl = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const IID IID_BrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

CHtmlSettings& HtmlSettings() {
    static CHtmlSettings settings;
    return settings;
}

// ---- The browser control's wrapper

BOOL CWebBrowser2::Create(DWORD style, const RECT& rect, HWND parent, UINT id, REFCLSID clsid) {
    return CreateControl(clsid, nullptr, style & ~WS_BORDER, rect, parent, id);
}

HRESULT CWebBrowser2::Navigate(const wchar_t* url) {
    VARIANT target{};
    target.vt = VT_BSTR;
    target.bstrVal = ::SysAllocString(url);
    VARIANT empty{};
    empty.vt = VT_ERROR;
    empty.scode = DISP_E_PARAMNOTFOUND;
    const HRESULT hr = InvokeHelper(DISPID_BROWSER_NAVIGATE2, DISPATCH_METHOD, nullptr, {target, empty, empty, empty, empty});
    ::VariantClear(&target);
    return hr;
}

IDispatch* CWebBrowser2::GetDocument() {
    VARIANT value{};
    if (FAILED(GetProperty(DISPID_BROWSER_DOCUMENT, value))) return nullptr;
    IDispatch* document = nullptr;
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        document = value.pdispVal;
        document->AddRef();
    }
    ::VariantClear(&value);
    return document;
}

HRESULT CWebBrowser2::SetRegisterAsDropTarget(BOOL flag) {
    VARIANT value{};
    value.vt = VT_BOOL;
    value.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return SetProperty(DISPID_BROWSER_REGISTERASDROPTARGET, value);
}

// ---- The HTML pane window

CHtmlWnd::~CHtmlWnd() {
    DisconnectEvents();
    if (m_hBlock) ::GlobalFree(m_hBlock);
}

BOOL CHtmlWnd::Create(DWORD style, const RECT& rect, HWND parent, UINT id, REFCLSID clsid) {
    if (!CWebBrowser2::Create(style, rect, parent, id, clsid)) return FALSE;
    // A control without the events still shows about:blank; a page it holds
    // would never load, so the failure leaves EventsConnected() false.
    Advise(IID_BrowserEvents2, static_cast<IDispatch*>(&m_events), m_eventsCookie);
    return TRUE;
}

void CHtmlWnd::DisconnectEvents() {
    if (!m_eventsCookie) return;
    Unadvise(IID_BrowserEvents2, m_eventsCookie);
    m_eventsCookie = 0;
}

namespace {

// An event argument passed by value or by reference to a VARIANT.
const VARIANT& Deref(const VARIANT& v) {
    if (v.vt == (VT_VARIANT | VT_BYREF) && v.pvarVal) return *v.pvarVal;
    return v;
}

} // namespace

void CHtmlWnd::CEvents::OnEvent(DISPID id, DISPPARAMS& params) {
    // Arguments arrive reversed: the first one is the last in the array.
    switch (id) {
    case DISPID_BROWSER_DOCUMENTCOMPLETE: {
        if (params.cArgs < 2 || !params.rgvarg) return;
        const VARIANT& object = Deref(params.rgvarg[1]);
        const VARIANT& url = Deref(params.rgvarg[0]);
        IDispatch* document = object.vt == VT_DISPATCH ? object.pdispVal : nullptr;
        const wchar_t* text = url.vt == VT_BSTR ? url.bstrVal : nullptr;
        m_owner->OnDocumentComplete(document, text);
        return;
    }
    case DISPID_BROWSER_BEFORENAVIGATE2: {
        BOOL cancel = FALSE;
        m_owner->OnBeforeNavigate2(&cancel);
        // Cancel is the last argument, a VARIANT_BOOL by reference.
        if (params.cArgs >= 1 && params.rgvarg && params.rgvarg[0].vt == (VT_BOOL | VT_BYREF) &&
            params.rgvarg[0].pboolVal)
            *params.rgvarg[0].pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    }
    }
}

BOOL CHtmlWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    cs.style &= ~WS_BORDER;
    cs.lpszClass = RegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW),
                                    reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return TRUE;
}

bool CHtmlWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_DESTROY) DisconnectEvents();  // before the control closes
    if (msg == WM_PAINT) {
        ::ValidateRect(m_hWnd, nullptr);
        result = 0;
        return true;
    }
    return CWebBrowser2::OnWndMsg(msg, wp, lp, result);
}

void CHtmlWnd::LoadHtmlFromMemory(const void* bytes, size_t length) {
    if (!bytes || length == 0) return;
    if (m_hBlock) ::GlobalFree(m_hBlock);
    m_hBlock = ::GlobalAlloc(GMEM_ZEROINIT, length);
    if (!m_hBlock) return;
    void* p = ::GlobalLock(m_hBlock);
    if (!p) {
        ::GlobalFree(m_hBlock);
        m_hBlock = nullptr;
        return;
    }
    std::memcpy(p, bytes, length);
    ::GlobalUnlock(m_hBlock);
    m_bLoaded = false;
    Navigate(L"about:blank");
}

void CHtmlWnd::ShowBlankPage() {
    if (m_hBlock) ::GlobalFree(m_hBlock);
    m_hBlock = nullptr;
    m_bLoaded = false;
    Navigate(L"about:blank");
}

void CHtmlWnd::OnDocumentComplete(IDispatch* document, const wchar_t* url) {
    if (m_bLoaded || !url || std::wcscmp(url, L"about:blank") != 0 || !m_hBlock || !document) return;
    // Only the top-level document: the event's object is the browser itself.
    CComPtr<IUnknown> unknown;
    if (FAILED(document->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))) || !unknown) return;
    CComPtr<IUnknown> browser;
    if (IUnknown* control = GetControlUnknown())
        control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&browser));
    if (!browser || unknown.Get() != browser.Get()) return;
    CComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(m_hBlock, TRUE, &stream)) || !stream) return;
    // The stream owns the block from here on, whatever happens to the load.
    m_hBlock = nullptr;
    CComPtr<IDispatch> doc;
    doc.Attach(GetDocument());
    if (!doc) return;
    CComPtr<IPersistStreamInit> persist;
    if (FAILED(doc->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) || !persist) return;
    if (FAILED(persist->InitNew())) return;
    persist->Load(stream.Get());
    m_bLoaded = true;
}

void CHtmlWnd::OnBeforeNavigate2(BOOL* cancel) {
    SetRegisterAsDropTarget(FALSE);
    if (cancel) *cancel = FALSE;
}

// ---- The external object

STDMETHODIMP CImpIDispatch::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IDispatch) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CImpIDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
        const bool match = names[i] && ::CompareStringW(lcid, NORM_IGNOREWIDTH, names[i],
                                                        static_cast<int>(std::min<size_t>(3, ::wcslen(names[i]))),
                                                        L"xxyyzz", 3) == CSTR_EQUAL;
        ids[i] = match ? DISPID_EXTERNAL_WIBBLE : DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CImpIDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) {
    if (id == DISPID_EXTERNAL_WIBBLE && (flags & DISPATCH_PROPERTYGET) && result) {
        ::VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocString(L"Wibble");
    }
    return S_OK;
}

// ---- The site's document-host answers

HRESULT CCustomControlSite::QueryHostInterface(REFIID iid, void** out) {
    if (iid == IID_IDocHostUIHandler) {
        *out = static_cast<IDocHostUIHandler*>(&m_handler);
        AddRef();
        return S_OK;
    }
    return COleControlSite::QueryHostInterface(iid, out);
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::ShowContextMenu(DWORD id, POINT* pt, IUnknown* target,
                                                                    IDispatch*) {
    const HtmlContextMenuRouter* router = m_pSite->m_pRouter;
    if (!router || !*router || !pt) return S_OK;  // nobody to ask: no menu
    try {
        return (*router)(*pt, target, id == CONTEXT_MENU_TEXTSELECT);
    } catch (...) {
        return S_OK;
    }
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    if (!key) return E_INVALIDARG;
    *key = nullptr;
    const std::wstring path = CCustomOccManager::OptionKeyPath();
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc((path.size() + 1) * sizeof(wchar_t)));
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(copy, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    *key = copy;
    return S_OK;
}

STDMETHODIMP CCustomControlSite::XDocHostUIHandler::GetExternal(IDispatch** out) {
    if (!out) return E_POINTER;
    *out = m_pSite->m_pExternal;
    if (!*out) return E_NOTIMPL;
    (*out)->AddRef();
    return S_OK;
}

// ---- The browser option values

std::wstring CCustomOccManager::OptionKeyPath() {
    return std::wstring(L"Software\\") + kProductKeyName + L"\\" + kControlSiteSection;
}

namespace {

enum class Kind { Dword, Text, Binary };
struct BrowserValue {
    const wchar_t* key;  // below the section; null for the section itself
    const wchar_t* name;
    Kind kind;
    uint32_t number;
    const wchar_t* text;
};

constexpr BrowserValue kBrowserValues[] = {
    {nullptr, L"SmartDithering", Kind::Dword, 1, nullptr},
    {L"Main", L"Page_Transitions", Kind::Dword, 1, nullptr},
    {L"Main", L"Use_DlgBox_Colors", Kind::Text, 0, L"no"},
    {L"Main", L"Anchor Underline", Kind::Text, 0, L"no"},
    {L"Main", L"Expand Alt Text", Kind::Text, 0, L"no"},
    {L"Main", L"Display Inline Images", Kind::Text, 0, L"yes"},
    {L"Main", L"Print_Background", Kind::Text, 0, L"no"},
    {L"Main", L"SmoothScroll", Kind::Dword, 1, nullptr},
    {L"Main", L"Show image placeholders", Kind::Dword, 0, nullptr},
    {L"Main", L"Disable Script Debugger", Kind::Text, 0, L"yes"},
    {L"Main", L"Error Dlg Displayed On Every Error", Kind::Text, 0, L"no"},
    {L"Main", L"Move System Caret", Kind::Text, 0, L"no"},
    {L"Main", L"Force Offscreen Composition", Kind::Dword, 0, nullptr},
    {L"Main", L"Enable AutoImageResize", Kind::Text, 0, L"no"},
    {L"Main", L"UseThemes", Kind::Dword, 0, nullptr},
    {L"Settings", L"Always Use My Colors", Kind::Dword, 0, nullptr},
    {L"Settings", L"Always Use My Font Size", Kind::Dword, 0, nullptr},
    {L"Settings", L"Always Use My Font Face", Kind::Dword, 0, nullptr},
    {L"Styles", L"Use My Stylesheet", Kind::Dword, 0, nullptr},
    {L"International", L"Default_CodePage", Kind::Binary, 1252, nullptr},
    {L"International", L"AutoDetect", Kind::Dword, 0, nullptr},
    {L"International\\Scripts", L"Default_IEFontSize", Kind::Binary, 2, nullptr},
    {L"International\\Scripts\\3", L"IEFontSize", Kind::Binary, 2, nullptr},
    {L"International\\Scripts\\3", L"IEPropFontName", Kind::Text, 0, L"Arial"},
    {L"International\\Scripts\\3", L"IEFixedFontName", Kind::Text, 0, L"Courier New"},
    {L"International\\Scripts\\6", L"IEFontSize", Kind::Binary, 2, nullptr},
    {L"International\\Scripts\\6", L"IEPropFontName", Kind::Text, 0, L"Arial"},
    {L"International\\Scripts\\6", L"IEFixedFontName", Kind::Text, 0, L"Courier New"},
};

void WriteValue(HKEY key, const BrowserValue& v) {
    switch (v.kind) {
    case Kind::Dword: {
        const DWORD data = v.number;
        ::RegSetValueExW(key, v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
        break;
    }
    case Kind::Binary: {
        const BYTE data[4] = {static_cast<BYTE>(v.number), static_cast<BYTE>(v.number >> 8),
                              static_cast<BYTE>(v.number >> 16), static_cast<BYTE>(v.number >> 24)};
        ::RegSetValueExW(key, v.name, 0, REG_BINARY, data, sizeof(data));
        break;
    }
    case Kind::Text:
        ::RegSetValueExW(key, v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text),
                         static_cast<DWORD>((::wcslen(v.text) + 1) * sizeof(wchar_t)));
        break;
    }
}

} // namespace

void CCustomOccManager::WriteBrowserSettings(HKEY section) {
    HKEY own = nullptr;
    if (!section) {
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, OptionKeyPath().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &own, nullptr) != ERROR_SUCCESS)
            return;
        section = own;
    }
    HKEY sub = nullptr;
    const wchar_t* open = nullptr;
    for (const BrowserValue& v : kBrowserValues) {
        if (!v.key) {
            WriteValue(section, v);
            continue;
        }
        if (!open || std::wcscmp(open, v.key) != 0) {
            if (sub) ::RegCloseKey(sub);
            sub = nullptr;
            open = v.key;
            ::RegCreateKeyExW(section, v.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &sub, nullptr);
        }
        if (sub) WriteValue(sub, v);
    }
    if (sub) ::RegCloseKey(sub);
    if (own) ::RegCloseKey(own);
}

} // namespace brx
