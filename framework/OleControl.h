// Control containment: a window that hosts one ActiveX control made by CLSID,
// a client site that answers the host interfaces, and calls into the control
// through IDispatch by DISPID. Plain COM classes: each QueryInterface is one
// visible list of interfaces.
//
// A site answers what every container must (client site, in-place site and
// frame, control site, ambient properties); other host interfaces a control
// asks for (IDocHostUIHandler and its friends) go to QueryHostInterface,
// which a derived site overrides. The site manager (COccManager) is the site
// factory: the program installs its own with AfxEnableControlContainer.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <initializer_list>

#include "framework/ComPtr.h"
#include "framework/Wnd.h"

namespace brx {

class COleControlWnd;

class COleControlSite : public IOleClientSite,
                        public IOleInPlaceSite,
                        public IOleInPlaceFrame,
                        public IOleControlSite,
                        public IDispatch {
public:
    explicit COleControlSite(COleControlWnd* host) : m_pHost(host) {}
    virtual ~COleControlSite() = default;
    COleControlSite(const COleControlSite&) = delete;
    COleControlSite& operator=(const COleControlSite&) = delete;

    COleControlWnd* GetHost() const { return m_pHost; }
    // The host window goes away: the site answers nothing about it any more
    // and lets go of the control's active object.
    void Detach() {
        m_pHost = nullptr;
        m_activeObject.Release();
    }
    // The control's in-place active object, as it announced itself through
    // SetActiveObject (null when none): it gets the keys first.
    IOleInPlaceActiveObject* GetActiveObject() const { return m_activeObject.Get(); }

    // Host interfaces beyond the container's own; E_NOINTERFACE by default.
    virtual HRESULT QueryHostInterface(REFIID iid, void** out);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow (of the in-place site and frame)
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT pos) override;
    // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus or tool space to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** out) override;
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties (user mode, no designer).
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    COleControlWnd* m_pHost;
    CComPtr<IOleInPlaceActiveObject> m_activeObject;
    LONG m_nRef = 1;
};

// The site factory: one site per hosted control.
class COccManager {
public:
    virtual ~COccManager() = default;
    virtual COleControlSite* CreateSite(COleControlWnd* host) { return new COleControlSite(host); }
};

// Initialises OLE on this thread (OleInitialize); false when it cannot.
bool AfxOleInit();
// Installs the site manager used by every control created afterwards (null:
// the framework's plain sites). The manager belongs to the caller.
void AfxEnableControlContainer(COccManager* manager = nullptr);
COccManager* AfxGetOccManager();

// A child window that hosts one control in place and fills its client area
// with it. The window is ours; the control lives until the window goes.
class COleControlWnd : public CWnd {
public:
    ~COleControlWnd() override;

    BOOL CreateControl(REFCLSID clsid, const wchar_t* name, DWORD style, const RECT& rect, HWND parent, UINT id);
    IUnknown* GetControlUnknown() const { return m_control.Get(); }
    IDispatch* GetControlDispatch() const { return m_dispatch.Get(); }
    COleControlSite* GetControlSite() const { return m_site; }

    // IDispatch calls by DISPID. Arguments are in their natural order (the
    // call reverses them as IDispatch wants); result may be null.
    HRESULT InvokeHelper(DISPID id, WORD flags, VARIANT* result, std::initializer_list<VARIANT> args = {});
    HRESULT GetProperty(DISPID id, VARIANT& value);
    HRESULT SetProperty(DISPID id, const VARIANT& value);

    // Connects sink to the control's outgoing interface iid; the connection
    // ends with Unadvise or when the window goes.
    HRESULT Advise(REFIID iid, IUnknown* sink, DWORD& cookie);
    HRESULT Unadvise(REFIID iid, DWORD cookie);

    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Keys for a window inside the control go to its active object first
    // (Tab, copy and select-all inside a hosted page); true when it used them.
    BOOL PreTranslateMessage(MSG* msg) override;

private:
    void CloseControl();
    HRESULT FindConnectionPoint(REFIID iid, CComPtr<IConnectionPoint>& point) const;

    CComPtr<IUnknown> m_control;
    CComPtr<IDispatch> m_dispatch;
    CComPtr<IOleObject> m_object;
    COleControlSite* m_site = nullptr;
};

// An event sink: IDispatch whose Invoke hands each event to OnEvent.
class CEventSink : public IDispatch {
public:
    explicit CEventSink(REFIID events) : m_iid(events) {}
    virtual ~CEventSink() = default;
    // An event: its DISPID and arguments (in IDispatch's reversed order).
    virtual void OnEvent(DISPID id, DISPPARAMS& params) = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_nRef)); }
    // The sink belongs to its owner: the count only counts.
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(::InterlockedDecrement(&m_nRef)); }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;
    LONG RefCount() const { return m_nRef; }

private:
    IID m_iid;
    LONG m_nRef = 0;
};

} // namespace brx
