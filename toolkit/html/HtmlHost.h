// The HTML panes' host: the web browser control through the framework's
// control containment, the site's document-host answers (no 3-D border, our
// own context menu and option key, an external dispatch object), the
// browser option values under "ControlSite", and loading HTML from memory by
// streaming it into the about:blank document.
#pragma once
#include <windows.h>
#include <mshtmhst.h>
#include <ocidl.h>

#include <functional>
#include <string>

#include "framework/OleControl.h"

namespace brx {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
extern const CLSID CLSID_WebBrowserControl;

// The browser's event interface, DWebBrowserEvents2.
// {34A715A0-6587-11D0-924A-0020AFC7AC4D}
extern const IID IID_BrowserEvents2;

enum : DISPID {
    DISPID_BROWSER_BEFORENAVIGATE2 = 250,
    DISPID_BROWSER_DOCUMENTCOMPLETE = 259,
    DISPID_BROWSER_DOCUMENT = 203,
    DISPID_BROWSER_NAVIGATE2 = 500,
    DISPID_BROWSER_REGISTERASDROPTARGET = 553,
    DISPID_EXTERNAL_WIBBLE = 12345,
};

// The browser's own commands that the pages' context menus offer.
constexpr UINT ID_BROWSER_COPY = 15;
constexpr UINT ID_BROWSER_SELECT_ALL = 31;

constexpr wchar_t kProductKeyName[] = L"Brindlex";
constexpr wchar_t kControlSiteSection[] = L"ControlSite";

// The five on/off options of the HTML reports, all on.
struct CHtmlSettings {
    uint32_t options[5] = {1, 1, 1, 1, 1};
};
CHtmlSettings& HtmlSettings();

class CWebBrowser2 : public COleControlWnd {
public:
    // clsid: the browser's, or a stand-in that answers the same DISPIDs.
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id, REFCLSID clsid = CLSID_WebBrowserControl);
    HRESULT Navigate(const wchar_t* url);
    // The document's IDispatch (AddRef'd), or null.
    IDispatch* GetDocument();
    HRESULT SetRegisterAsDropTarget(BOOL flag);
};

class CHtmlWnd : public CWebBrowser2 {
public:
    CHtmlWnd() : m_events(this) {}
    ~CHtmlWnd() override;

    // Creates the control and connects to its events (DocumentComplete and
    // BeforeNavigate2), without which a held page would never be loaded.
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id, REFCLSID clsid = CLSID_WebBrowserControl);

    void LoadHtmlFromMemory(const void* bytes, size_t length);
    // The empty page; a page held for loading is dropped, so a later
    // DocumentComplete cannot bring it back.
    void ShowBlankPage();
    // The events; a derived pane adds its own work after the base's.
    virtual void OnDocumentComplete(IDispatch* document, const wchar_t* url);
    void OnBeforeNavigate2(BOOL* cancel);

    bool IsLoaded() const { return m_bLoaded; }
    bool HoldsBlock() const { return m_hBlock != nullptr; }
    bool EventsConnected() const { return m_eventsCookie != 0; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    class CEvents : public CEventSink {
    public:
        explicit CEvents(CHtmlWnd* owner) : CEventSink(IID_BrowserEvents2), m_owner(owner) {}
        void OnEvent(DISPID id, DISPPARAMS& params) override;

    private:
        CHtmlWnd* m_owner;
    };
    void DisconnectEvents();

    bool m_bLoaded = false;
    HGLOBAL m_hBlock = nullptr;
    CEvents m_events;
    DWORD m_eventsCookie = 0;
};

// The browser's external object: answers one name with one text.
class CImpIDispatch : public IDispatch {
public:
    virtual ~CImpIDispatch() = default;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    // The object belongs to the application: the count only counts.
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_nRef)); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(::InterlockedDecrement(&m_nRef)); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;
    LONG RefCount() const { return m_nRef; }

private:
    LONG m_nRef = 0;
};

// Hands a browser's context menu request to the application (the main
// frame); its answer goes back to the browser.
using HtmlContextMenuRouter = std::function<HRESULT(POINT pt, IUnknown* target, bool textSelected)>;

class CCustomControlSite : public COleControlSite {
public:
    CCustomControlSite(COleControlWnd* host, IDispatch* external, const HtmlContextMenuRouter* router)
        : COleControlSite(host), m_handler(this), m_pExternal(external), m_pRouter(router) {}

    HRESULT QueryHostInterface(REFIID iid, void** out) override;

    class XDocHostUIHandler : public IDocHostUIHandler {
    public:
        explicit XDocHostUIHandler(CCustomControlSite* site) : m_pSite(site) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return m_pSite->QueryInterface(iid, out); }
        STDMETHODIMP_(ULONG) AddRef() override { return m_pSite->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_pSite->Release(); }
        STDMETHODIMP ShowContextMenu(DWORD id, POINT* pt, IUnknown* target, IDispatch* reserved) override;
        STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
        STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                            IOleInPlaceUIWindow*) override {
            return S_OK;
        }
        STDMETHODIMP HideUI() override { return S_OK; }
        STDMETHODIMP UpdateUI() override { return S_OK; }
        STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
        STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override;
        STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
        STDMETHODIMP GetExternal(IDispatch** out) override;
        STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR*) override { return E_NOTIMPL; }
        STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override { return E_NOTIMPL; }

    private:
        CCustomControlSite* m_pSite;
    };

private:
    XDocHostUIHandler m_handler;
    IDispatch* m_pExternal;
    const HtmlContextMenuRouter* m_pRouter;
};

class CCustomOccManager : public COccManager {
public:
    COleControlSite* CreateSite(COleControlWnd* host) override {
        return new CCustomControlSite(host, m_pExternal, &m_router);
    }
    void SetExternalDispatch(IDispatch* external) { m_pExternal = external; }
    void SetContextMenuRouter(HtmlContextMenuRouter router) { m_router = std::move(router); }

    // Writes the browser option values into the "ControlSite" section: the
    // product's under HKEY_CURRENT_USER, or the given open key.
    static void WriteBrowserSettings(HKEY section = nullptr);
    // "Software\<product>\ControlSite".
    static std::wstring OptionKeyPath();

private:
    IDispatch* m_pExternal = nullptr;
    HtmlContextMenuRouter m_router;
};

} // namespace brx
