#include "framework/OleControl.h"

#include <olectl.h>

#include <algorithm>
#include <vector>

#include "framework/MsgArgs.h"

namespace brx {

namespace {

COccManager g_plainManager;
COccManager* g_manager = &g_plainManager;

template <class I>
HRESULT Give(I* itf, void** out) {
    itf->AddRef();
    *out = itf;
    return S_OK;
}

} // namespace

bool AfxOleInit() {
    HRESULT hr = ::OleInitialize(nullptr);
    return SUCCEEDED(hr);
}

void AfxEnableControlContainer(COccManager* manager) { g_manager = manager ? manager : &g_plainManager; }

COccManager* AfxGetOccManager() { return g_manager; }

// --- site

HRESULT COleControlSite::QueryHostInterface(REFIID, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) return Give(static_cast<IOleClientSite*>(this), out);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) return Give(static_cast<IOleInPlaceSite*>(this), out);
    if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        return Give(static_cast<IOleInPlaceFrame*>(this), out);
    if (iid == IID_IOleControlSite) return Give(static_cast<IOleControlSite*>(this), out);
    if (iid == IID_IDispatch) return Give(static_cast<IDispatch*>(this), out);
    return QueryHostInterface(iid, out);
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_nRef)); }

STDMETHODIMP_(ULONG) COleControlSite::Release() {
    LONG n = ::InterlockedDecrement(&m_nRef);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = m_pHost ? m_pHost->m_hWnd : nullptr;
    return *out ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !doc || !pos || !clip) return E_POINTER;
    *frame = nullptr;
    *doc = nullptr;
    if (!m_pHost || !m_pHost->m_hWnd) return E_FAIL;
    Give(static_cast<IOleInPlaceFrame*>(this), reinterpret_cast<void**>(frame));
    CRect client = m_pHost->GetClientRect();
    *pos = client;
    *clip = client;
    if (info) {
        // The size field is the caller's; the rest is ours to fill.
        info->fMDIApp = FALSE;
        info->hwndFrame = m_pHost->GetTopLevelParent();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT pos) {
    if (!pos || !m_pHost) return E_POINTER;
    CComPtr<IOleInPlaceObject> inPlace;
    if (m_pHost->GetControlUnknown() && SUCCEEDED(m_pHost->GetControlUnknown()->QueryInterface(
                                            IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))))
        inPlace->SetObjectRects(pos, pos);
    return S_OK;
}

STDMETHODIMP COleControlSite::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    // A detached site keeps nothing: the control outlives no window of ours.
    m_activeObject.Release();
    if (object && m_pHost) {
        object->AddRef();
        m_activeObject.Attach(object);
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::GetExtendedControl(IDispatch** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
        ::VariantInit(result);
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
        ::VariantInit(result);
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

// --- host window

COleControlWnd::~COleControlWnd() { CloseControl(); }

BOOL COleControlWnd::CreateControl(REFCLSID clsid, const wchar_t* name, DWORD style, const RECT& rect, HWND parent,
                                   UINT id) {
    if (m_hWnd) return FALSE;
    if (!CreateEx(0, nullptr, name, (style | WS_CHILD | WS_CLIPCHILDREN) & ~WS_BORDER, rect, parent, id)) return FALSE;
    HRESULT hr =
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&m_control));
    if (SUCCEEDED(hr)) hr = m_control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_object));
    if (SUCCEEDED(hr)) {
        m_site = AfxGetOccManager()->CreateSite(this);
        hr = m_site ? m_object->SetClientSite(static_cast<IOleClientSite*>(m_site)) : E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        CComPtr<IPersistStreamInit> init;
        if (SUCCEEDED(m_control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&init))))
            init->InitNew();
        CRect client = GetClientRect();
        hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(m_site), 0, m_hWnd,
                              &client);
    }
    if (SUCCEEDED(hr)) m_control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch));
    if (FAILED(hr)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

void COleControlWnd::CloseControl() {
    if (m_object) {
        CComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))))
            inPlace->InPlaceDeactivate();
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
    }
    m_dispatch.Release();
    m_object.Release();
    m_control.Release();
    if (m_site) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
}

HRESULT COleControlWnd::InvokeHelper(DISPID id, WORD flags, VARIANT* result, std::initializer_list<VARIANT> args) {
    if (!m_dispatch) return E_NOINTERFACE;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    if (result) ::VariantInit(result);
    return m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
}

HRESULT COleControlWnd::GetProperty(DISPID id, VARIANT& value) {
    return InvokeHelper(id, DISPATCH_PROPERTYGET, &value);
}

HRESULT COleControlWnd::SetProperty(DISPID id, const VARIANT& value) {
    return InvokeHelper(id, DISPATCH_PROPERTYPUT, nullptr, {value});
}

HRESULT COleControlWnd::FindConnectionPoint(REFIID iid, CComPtr<IConnectionPoint>& point) const {
    if (!m_control) return E_POINTER;
    CComPtr<IConnectionPointContainer> container;
    HRESULT hr = m_control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(iid, &point);
    return hr;
}

HRESULT COleControlWnd::Advise(REFIID iid, IUnknown* sink, DWORD& cookie) {
    cookie = 0;
    if (!sink) return E_POINTER;
    CComPtr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(iid, point);
    return SUCCEEDED(hr) ? point->Advise(sink, &cookie) : hr;
}

HRESULT COleControlWnd::Unadvise(REFIID iid, DWORD cookie) {
    CComPtr<IConnectionPoint> point;
    HRESULT hr = FindConnectionPoint(iid, point);
    return SUCCEEDED(hr) ? point->Unadvise(cookie) : hr;
}

bool COleControlWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE: {
        CComPtr<IOleInPlaceObject> inPlace;
        if (m_control &&
            SUCCEEDED(m_control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
            CRect rc(CPoint(0, 0), SizeArg(lp));
            inPlace->SetObjectRects(&rc, &rc);
        }
        result = 0;
        return true;
    }
    case WM_DESTROY: CloseControl(); return false;
    }
    return CWnd::OnWndMsg(msg, wp, lp, result);
}

BOOL COleControlWnd::PreTranslateMessage(MSG* msg) {
    if (msg && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_site) {
        if (IOleInPlaceActiveObject* active = m_site->GetActiveObject()) {
            // The object may deactivate itself while it translates.
            CComPtr<IOleInPlaceActiveObject> hold;
            active->AddRef();
            hold.Attach(active);
            if (hold->TranslateAccelerator(msg) == S_OK) return TRUE;
        }
    }
    return CWnd::PreTranslateMessage(msg);
}

// --- event sink

STDMETHODIMP CEventSink::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_iid) return Give(static_cast<IDispatch*>(this), out);
    return E_NOINTERFACE;
}

STDMETHODIMP CEventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    DISPPARAMS none{};
    try {
        OnEvent(id, params ? *params : none);
    } catch (...) {
        // No exception crosses into the control.
        return E_UNEXPECTED;
    }
    return S_OK;
}

} // namespace brx
