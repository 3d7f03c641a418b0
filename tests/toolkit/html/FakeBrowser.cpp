#include "tests/toolkit/html/FakeBrowser.h"

#include <mshtmhst.h>
#include <olectl.h>

#include <map>

#include "toolkit/html/HtmlHost.h"

namespace brx::test {

const CLSID CLSID_FakeBrowser = {0x5B7E3A10, 0x2C44, 0x4F6B, {0x9E, 0x1D, 0x7A, 0x3C, 0x2B, 0x1F, 0x0E, 0x55}};

FakeBrowserLog& Browser() {
    static FakeBrowserLog log;
    return log;
}

namespace {

class CRefCounted {
protected:
    LONG m_ref = 1;
};

enum : DISPID { DISPID_FAKE_BODY = 1, DISPID_FAKE_INNERTEXT = 2 };

// document.body: answers innerText, late-bound, as the browser's does.
class CFakeBody : public IDispatch, CRefCounted {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch) return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG r = --m_ref;
        if (!r) delete this;
        return static_cast<ULONG>(r);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || !names[0] || ::lstrcmpiW(names[0], L"innerText") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = DISPID_FAKE_INNERTEXT;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id != DISPID_FAKE_INNERTEXT || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        std::wstring text = Browser().bodyText;
        if (text.empty()) text.assign(Browser().loaded.begin(), Browser().loaded.end());
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocString(text.c_str());
        return S_OK;
    }
};

class CFakeDocument : public IDispatch, public IPersistStreamInit, public IOleWindow, CRefCounted {
public:
    explicit CFakeDocument(HWND window) : m_window(window) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
        if (iid == IID_IPersistStreamInit) *out = static_cast<IPersistStreamInit*>(this);
        if (iid == IID_IOleWindow) *out = static_cast<IOleWindow*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG r = --m_ref;
        if (!r) delete this;
        return static_cast<ULONG>(r);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || !names[0] || ::lstrcmpiW(names[0], L"body") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = DISPID_FAKE_BODY;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id != DISPID_FAKE_BODY || !(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_DISPATCH;
        result->pdispVal = new CFakeBody;
        return S_OK;
    }
    // IOleWindow: the browser window the document shows in.
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override {
        // A load replaces the document.
        Browser().loaded.clear();
        char buffer[256];
        ULONG read = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0)
            Browser().loaded.append(buffer, read);
        return S_OK;
    }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP InitNew() override {
        ++Browser().initNew;
        return Browser().initNewAnswer;
    }

private:
    HWND m_window;
};

// The browser window: records the commands sent to it.
LRESULT CALLBACK BrowserWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        Browser().commands.push_back(LOWORD(wp));
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

const wchar_t kBrowserWindowClass[] = L"BrxFakeBrowserWindow";

void RegisterBrowserWindowClass() {
    WNDCLASSW wc{};
    if (::GetClassInfoW(::GetModuleHandleW(nullptr), kBrowserWindowClass, &wc)) return;
    wc.lpfnWndProc = BrowserWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kBrowserWindowClass;
    ::RegisterClassW(&wc);
}

class CFakeBrowser;
std::map<UINT_PTR, CFakeBrowser*>& PendingTimers() {
    static std::map<UINT_PTR, CFakeBrowser*> timers;
    return timers;
}

class CFakeBrowser : public COleObjectBase,
                     public IDispatch,
                     public IConnectionPointContainer,
                     public IOleInPlaceActiveObject,
                     CRefCounted {
public:
    CFakeBrowser() : m_point(this) { Browser().browser = this; }
    ~CFakeBrowser() {
        StopTimer();
        if (m_sink) m_sink->Release();
        if (m_window) ::DestroyWindow(m_window);
        if (Browser().window == m_window) Browser().window = nullptr;
        if (Browser().browser == this) Browser().browser = nullptr;
        if (m_document) {
            if (Browser().document == m_document) Browser().document = nullptr;
            m_document->Release();
        }
        if (m_site) m_site->Release();
    }
    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown) *out = static_cast<IOleObject*>(this);
        if (iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
        if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
        if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
        if (iid == IID_IOleInPlaceActiveObject || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG r = --m_ref;
        if (!r) delete this;
        return static_cast<ULONG>(r);
    }
    // IConnectionPointContainer: one point, DWebBrowserEvents2.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        *out = nullptr;
        if (iid != IID_BrowserEvents2) return CONNECT_E_NOCONNECTION;
        *out = &m_point;
        AddRef();
        return S_OK;
    }
    // IOleInPlaceActiveObject: the keys a page would use.
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = m_window;
        return m_window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
        if (!msg || msg->message != WM_KEYDOWN) return S_FALSE;
        Browser().keys.push_back(msg->wParam);
        const bool control = ::GetKeyState(VK_CONTROL) < 0;
        const bool used = msg->wParam == VK_TAB || (control && (msg->wParam == 'C' || msg->wParam == 'A'));
        return used ? S_OK : S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // The connection point of the events: one sink at a time.
    class CPoint : public IConnectionPoint {
    public:
        explicit CPoint(CFakeBrowser* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
            *out = nullptr;
            if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
            *out = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return static_cast<IOleObject*>(m_owner)->AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return static_cast<IOleObject*>(m_owner)->Release(); }
        STDMETHODIMP GetConnectionInterface(IID* iid) override {
            *iid = IID_BrowserEvents2;
            return S_OK;
        }
        STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override {
            *out = m_owner;
            AddRef();
            return S_OK;
        }
        STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
            *cookie = 0;
            if (m_owner->m_sink) return CONNECT_E_ADVISELIMIT;
            IDispatch* events = nullptr;
            if (FAILED(sink->QueryInterface(IID_BrowserEvents2, reinterpret_cast<void**>(&events))))
                return CONNECT_E_CANNOTCONNECT;
            m_owner->m_sink = events;
            ++Browser().advised;
            *cookie = 1;
            return S_OK;
        }
        STDMETHODIMP Unadvise(DWORD cookie) override {
            if (cookie != 1 || !m_owner->m_sink) return CONNECT_E_NOCONNECTION;
            m_owner->m_sink->Release();
            m_owner->m_sink = nullptr;
            --Browser().advised;
            return S_OK;
        }
        STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    private:
        CFakeBrowser* m_owner;
    };

    // Fires the DocumentComplete events of the navigations so far.
    void FirePending() {
        StopTimer();
        AddRef();
        std::vector<std::wstring> pending;
        pending.swap(m_pending);
        for (const std::wstring& url : pending) {
            if (!m_sink) break;
            VARIANT address{};
            address.vt = VT_BSTR;
            address.bstrVal = ::SysAllocString(url.c_str());
            VARIANT args[2]{};
            args[0].vt = VT_VARIANT | VT_BYREF;  // URL, by reference as the browser passes it
            args[0].pvarVal = &address;
            args[1].vt = VT_DISPATCH;            // the browser itself: the top-level document
            args[1].pdispVal = static_cast<IDispatch*>(this);
            DISPPARAMS params{args, nullptr, 2, 0};
            ++Browser().documentCompletes;
            m_sink->Invoke(DISPID_BROWSER_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                           nullptr, nullptr);
            ::VariantClear(&address);
        }
        static_cast<IOleObject*>(this)->Release();
    }

    // IOleObject: what the container calls.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        if (m_site) m_site->Release();
        m_site = site;
        if (!site) return S_OK;
        site->AddRef();
        IDocHostUIHandler* handler = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)))) {
            FakeBrowserLog& log = Browser();
            log.hostHandler = true;
            DOCHOSTUIINFO info{};
            info.cbSize = sizeof(info);
            handler->GetHostInfo(&info);
            log.hostFlags = info.dwFlags;
            LPOLESTR key = nullptr;
            if (SUCCEEDED(handler->GetOptionKeyPath(&key, 0)) && key) {
                log.optionKey = key;
                ::CoTaskMemFree(key);
            }
            IDispatch* external = nullptr;
            if (SUCCEEDED(handler->GetExternal(&external)) && external) {
                log.external = external;
                external->Release();
            }
            handler->Release();
        }
        return S_OK;
    }
    STDMETHODIMP Close(DWORD) override {
        AnnounceActiveObject(false);
        StopTimer();
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect) override {
        if (verb != OLEIVERB_INPLACEACTIVATE || m_window || !parent) return S_OK;
        RegisterBrowserWindowClass();
        const RECT r = rect ? *rect : RECT{};
        m_window = ::CreateWindowExW(0, kBrowserWindowClass, L"", WS_CHILD | WS_VISIBLE, r.left, r.top,
                                     r.right - r.left, r.bottom - r.top, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
        Browser().window = m_window;
        AnnounceActiveObject(true);
        return S_OK;
    }
    STDMETHODIMP GetUserClassID(CLSID* id) override {
        *id = CLSID_FakeBrowser;
        return S_OK;
    }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = 0;
        return S_OK;
    }
    // IDispatch: the browser's members by DISPID.
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        switch (id) {
        case DISPID_BROWSER_NAVIGATE2: {
            // Arguments arrive reversed: the URL is the last one.
            if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
            const VARIANT& url = params->rgvarg[params->cArgs - 1];
            const std::wstring address = url.vt == VT_BSTR && url.bstrVal ? url.bstrVal : L"?";
            Browser().navigations.push_back(address);
            FireBeforeNavigate(address);
            m_pending.push_back(address);
            StartTimer();
            return S_OK;
        }
        case DISPID_BROWSER_DOCUMENT:
            if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
            if (!m_document) {
                m_document = new CFakeDocument(m_window);
                Browser().document = m_document;
            }
            result->vt = VT_DISPATCH;
            result->pdispVal = m_document;
            m_document->AddRef();
            return S_OK;
        case DISPID_BROWSER_REGISTERASDROPTARGET:
            if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->rgvarg[0].vt == VT_BOOL)
                Browser().dropTarget.push_back(params->rgvarg[0].boolVal != VARIANT_FALSE);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    void FireBeforeNavigate(const std::wstring& url) {
        if (!m_sink) return;
        VARIANT address{};
        address.vt = VT_BSTR;
        address.bstrVal = ::SysAllocString(url.c_str());
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT empty{};
        VARIANT args[7]{};
        args[0].vt = VT_BOOL | VT_BYREF;  // Cancel
        args[0].pboolVal = &cancel;
        for (int i = 1; i <= 4; ++i) {    // Headers, PostData, TargetFrameName, Flags
            args[i].vt = VT_VARIANT | VT_BYREF;
            args[i].pvarVal = &empty;
        }
        args[5].vt = VT_VARIANT | VT_BYREF;  // URL
        args[5].pvarVal = &address;
        args[6].vt = VT_DISPATCH;
        args[6].pdispVal = static_cast<IDispatch*>(this);
        DISPPARAMS params{args, nullptr, 7, 0};
        ++Browser().beforeNavigates;
        m_sink->Invoke(DISPID_BROWSER_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                       nullptr);
        ::VariantClear(&address);
    }
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        auto it = PendingTimers().find(id);
        if (it == PendingTimers().end()) {
            ::KillTimer(nullptr, id);
            return;
        }
        it->second->FirePending();
    }
    void StartTimer() {
        if (m_timer) return;
        m_timer = ::SetTimer(nullptr, 0, 0, OnTimer);
        if (m_timer) PendingTimers()[m_timer] = this;
    }
    void StopTimer() {
        if (!m_timer) return;
        ::KillTimer(nullptr, m_timer);
        PendingTimers().erase(m_timer);
        m_timer = 0;
    }
    // Tells the container's frame which object takes the keys, as the
    // browser does when it activates (and clears it when it closes).
    void AnnounceActiveObject(bool active) {
        if (!m_site) return;
        IOleInPlaceSite* site = nullptr;
        if (FAILED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) || !site) return;
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof(info);
        if (SUCCEEDED(site->GetWindowContext(&frame, &doc, &pos, &clip, &info)) && frame) {
            frame->SetActiveObject(active ? static_cast<IOleInPlaceActiveObject*>(this) : nullptr, L"");
            frame->Release();
        }
        if (doc) doc->Release();
        site->Release();
    }

    CFakeDocument* m_document = nullptr;
    CPoint m_point;
    IDispatch* m_sink = nullptr;
    HWND m_window = nullptr;
    std::vector<std::wstring> m_pending;
    UINT_PTR m_timer = 0;
};

CClassFactoryOf<CFakeBrowser> g_factory;

} // namespace

CFakeBrowserRegistration::CFakeBrowserRegistration() : CClassRegistration(CLSID_FakeBrowser, &g_factory) {}

} // namespace brx::test
