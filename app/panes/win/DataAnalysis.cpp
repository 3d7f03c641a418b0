#include "app/panes/win/DataAnalysis.h"

#include "app/panes/AnalysisTrees.h"
#include "app/panes/win/DetailsPanes.h"
#include "toolkit/controls/win/TreeListSink.h"

namespace brx {

// ---- The page child

void CDataAnalysisHTML::ShowPage(const PageBuffer* page) {
    try {
        if (page && page->size()) {
            LoadHtmlFromMemory(page->data(), page->size());
        } else {
            ShowBlankPage();
        }
    } catch (...) {
        // Nothing of the browser's failure reaches the caller: the pane keeps
        // what it showed.
    }
}

void CDataAnalysisHTML::OnDocumentComplete(IDispatch* document, const wchar_t* url) {
    CHtmlWnd::OnDocumentComplete(document, url);
    if (m_hBrowser) return;
    CComPtr<IDispatch> doc;
    doc.Attach(GetDocument());
    CComPtr<IOleWindow> window;
    if (doc && SUCCEEDED(doc->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window) {
        HWND hwnd = nullptr;
        if (SUCCEEDED(window->GetWindow(&hwnd))) m_hBrowser = hwnd;
    }
}

namespace {

// obj.name through IDispatch (the document's body and its text), or empty.
bool GetDispatchProperty(IDispatch* object, const wchar_t* name, VARIANT& value) {
    ::VariantInit(&value);
    if (!object) return false;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    DISPPARAMS none{};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                    nullptr, nullptr));
}

} // namespace

bool CDataAnalysisHTML::PageHasText() {
    CComPtr<IDispatch> doc;
    doc.Attach(GetDocument());
    VARIANT body;
    if (!GetDispatchProperty(doc.Get(), L"body", body)) return false;
    bool text = false;
    if (body.vt == VT_DISPATCH && body.pdispVal) {
        VARIANT inner;
        if (GetDispatchProperty(body.pdispVal, L"innerText", inner))
            text = inner.vt == VT_BSTR && inner.bstrVal && ::SysStringLen(inner.bstrVal) > 0;
        ::VariantClear(&inner);
    }
    ::VariantClear(&body);
    return text;
}

HRESULT CDataAnalysisHTML::ShowContextMenu(POINT pt, IUnknown* target, bool textSelected) {
    if (!target) return S_OK;
    HWND browser = nullptr;
    CComPtr<IOleWindow> window;
    if (SUCCEEDED(target->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window)
        window->GetWindow(&browser);
    if (!browser) browser = m_hBrowser;
    if (!browser) return S_OK;
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return S_OK;
    const UINT grayed = MF_GRAYED | MF_DISABLED;
    ::AppendMenuW(menu, MF_STRING | (textSelected ? 0 : grayed), ID_BROWSER_COPY, L"Copy");
    ::AppendMenuW(menu, MF_STRING | (PageHasText() ? 0 : grayed), ID_BROWSER_SELECT_ALL, L"Select All");
    const HWND owner = ::GetParent(::GetParent(browser));
    UINT chosen = 0;
    if (trackMenu) {
        chosen = trackMenu(menu, pt, owner);
    } else {
        chosen = static_cast<UINT>(
            ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr));
    }
    ::DestroyMenu(menu);
    if (chosen == ID_BROWSER_COPY || chosen == ID_BROWSER_SELECT_ALL)
        ::SendMessageW(browser, WM_COMMAND, chosen, 0);
    return S_OK;
}

// ---- The pane

CLSID& CDataAnalysis::DefaultBrowserClass() {
    static CLSID clsid = CLSID_WebBrowserControl;
    return clsid;
}

CDataAnalysis::~CDataAnalysis() {
    if (m_html.m_hWnd) m_html.DestroyWindow();
    if (m_tree.m_hWnd) m_tree.DestroyWindow();
}

BOOL CDataAnalysis::Create(HWND parent) {
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE, RECT{}, parent, ID_DATA_ANALYSIS_TREE)) return FALSE;
    SetupDetailsColumns(m_tree);
    m_mode = ModeTree;
    // The page child starts hidden on its empty page; a machine without the
    // browser control keeps the tree alone.
    if (m_html.Create(WS_CHILD | WS_VISIBLE, RECT{}, parent, ID_DATA_ANALYSIS_HTML, browserClass)) {
        m_html.ShowPage(nullptr);
        m_html.ModifyStyle(WS_VISIBLE, 0);
    }
    return TRUE;
}

void CDataAnalysis::DestroyWindows() {
    if (m_tree.m_hWnd) {
        m_tree.DeleteAllItems();
        m_tree.DestroyWindow();
    }
    if (m_html.m_hWnd) m_html.DestroyWindow();
    m_mode = ModeNone;
}

void CDataAnalysis::Clear() {
    if (m_mode == ModeTree && m_tree.m_hWnd) m_tree.DeleteAllItems();
    if (m_mode == ModeHtml && m_html.m_hWnd) m_html.ShowPage(nullptr);
}

void CDataAnalysis::ShowView(int mode) {
    if ((mode != ModeTree && mode != ModeHtml) || mode == m_mode) return;
    CWnd& shown = mode == ModeTree ? static_cast<CWnd&>(m_tree) : static_cast<CWnd&>(m_html);
    CWnd& hidden = mode == ModeTree ? static_cast<CWnd&>(m_html) : static_cast<CWnd&>(m_tree);
    if (attachView) {
        attachView(shown.m_hWnd);
    } else {
        if (hidden.m_hWnd) hidden.ShowWindow(SW_HIDE);
        if (shown.m_hWnd) shown.ShowWindow(SW_SHOW);
    }
    m_mode = mode;
}

void CDataAnalysis::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout) {
    if (!m_tree.m_hWnd) return;
    // Nothing of an analyser's failure leaves the pane.
    try {
        CTreeListSink sink(m_tree);
        // The analysis writes into the tree while the tree may not be the
        // shown child; switch only once something was written.
        if (m_mode != ModeTree) m_tree.DeleteAllItems();
        switch (RenderAnalysisTree(sink, pair.record, layout)) {
        case AnalysisView::Tree: ShowView(ModeTree); break;
        case AnalysisView::Html: ShowAnalysisPage(pair, layout); break;
        case AnalysisView::None: break;
        }
    } catch (...) {
    }
}

void CDataAnalysis::ShowAnalysisPage(const CRecordPairView& pair, const RECORD_LAYOUT& layout) {
    if (!m_html.m_hWnd) return;
    if (!m_page) m_page = std::make_unique<PageBuffer>();
    const ANALYSIS_SOURCES from = sources ? sources() : ANALYSIS_SOURCES{};
    if (BuildAnalysisPage(*m_page, pair, layout, from) != AnalysisPageResult::Page) return;
    m_html.ShowPage(m_page.get());
    m_page->Reset();
    ShowView(ModeHtml);
}

} // namespace brx
