#include "tests/framework/TestControl.h"

#include <mshtmhst.h>
#include <olectl.h>

#include <vector>

namespace brx::test {

const CLSID CLSID_TestControl = {0x6A0B3C2E, 0x9D41, 0x4E7B, {0x8F, 0x2A, 0x1C, 0x5D, 0x7E, 0x9B, 0x0A, 0x31}};
const IID DIID_TestControlEvents = {0x6A0B3C2F, 0x9D41, 0x4E7B, {0x8F, 0x2A, 0x1C, 0x5D, 0x7E, 0x9B, 0x0A, 0x31}};

TestControlReport& LastControl() {
  static TestControlReport report;
  return report;
}

namespace {

class CTestControl;

// The one connection point of the control's events.
class CEventPoint : public IConnectionPoint {
public:
  explicit CEventPoint(CTestControl* owner) : m_owner(owner) {}
  std::vector<IDispatch*> sinks;  // by cookie - 1; null when unadvised

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    *iid = DIID_TestControlEvents;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    IDispatch* dispatch = nullptr;
    if (!sink || !cookie || FAILED(sink->QueryInterface(DIID_TestControlEvents, reinterpret_cast<void**>(&dispatch))))
      return CONNECT_E_CANNOTCONNECT;
    sinks.push_back(dispatch);
    *cookie = static_cast<DWORD>(sinks.size());
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    if (cookie == 0 || cookie > sinks.size() || !sinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
    sinks[cookie - 1]->Release();
    sinks[cookie - 1] = nullptr;
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }

private:
  CTestControl* m_owner;
};

class CTestControl : public COleObjectBase, public IOleInPlaceObject, public IDispatch, public IConnectionPointContainer {
public:
  CTestControl() : m_point(this) { ++LastControl().live; }
  virtual ~CTestControl() {
    for (IDispatch* sink : m_point.sinks)
      if (sink) sink->Release();
    --LastControl().live;
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) *out = static_cast<IOleObject*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) *out = static_cast<IOleInPlaceObject*>(this);
    else if (iid == IID_IDispatch) *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IConnectionPointContainer) *out = static_cast<IConnectionPointContainer*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_ref); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = --m_ref;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    return S_OK;
  }
  STDMETHODIMP Close(DWORD) override {
    InPlaceDeactivate();
    return S_OK;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT pos) override {
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return OLEOBJ_E_NOVERBS;
    if (m_window) return S_OK;
    IOleInPlaceSite* inPlace = nullptr;
    if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
      return E_NOINTERFACE;
    HWND window = nullptr;
    RECT where = pos ? *pos : RECT{0, 0, 10, 10};
    if (inPlace->CanInPlaceActivate() == S_OK && SUCCEEDED(inPlace->OnInPlaceActivate()) &&
        SUCCEEDED(inPlace->GetWindow(&window))) {
      IOleInPlaceFrame* frame = nullptr;
      IOleInPlaceUIWindow* doc = nullptr;
      RECT clip{};
      OLEINPLACEFRAMEINFO info{};
      info.cb = sizeof(info);
      if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &where, &clip, &info))) {
        if (frame) frame->Release();
        if (doc) doc->Release();
      }
    }
    inPlace->Release();
    if (!window || (parent && window != parent)) return E_FAIL;
    m_window = ::CreateWindowW(L"STATIC", m_caption.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, where.left, where.top,
                               where.right - where.left, where.bottom - where.top, window, nullptr, nullptr, nullptr);
    TestControlReport& report = LastControl();
    report.activated = m_window != nullptr;
    report.window = m_window;
    AskTheSite(site, report);
    return m_window ? S_OK : E_FAIL;
  }
  STDMETHODIMP GetUserClassID(CLSID* out) override {
    *out = CLSID_TestControl;
    return S_OK;
  }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE;
    return S_OK;
  }

  // IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND* out) override {
    *out = m_window;
    return m_window ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (m_window) ::DestroyWindow(m_window);
    m_window = nullptr;
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT) override {
    if (m_window && pos)
      ::MoveWindow(m_window, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT* badArg) override {
    if (!params) return E_POINTER;
    switch (id) {
    case DISPID_TEST_CAPTION:
      if (flags & DISPATCH_PROPERTYGET) {
        if (!result) return E_POINTER;
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocString(m_caption.c_str());
        return S_OK;
      }
      if (flags & DISPATCH_PROPERTYPUT) {
        if (params->cArgs != 1 || params->rgvarg[0].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        m_caption = params->rgvarg[0].bstrVal ? params->rgvarg[0].bstrVal : L"";
        if (m_window) ::SetWindowTextW(m_window, m_caption.c_str());
        return S_OK;
      }
      return DISP_E_MEMBERNOTFOUND;
    case DISPID_TEST_ADD:
      if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
      if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
      // Arguments arrive last first.
      for (UINT i = 0; i < 2; ++i)
        if (params->rgvarg[i].vt != VT_I4) {
          if (badArg) *badArg = i;
          return DISP_E_TYPEMISMATCH;
        }
      if (result) {
        result->vt = VT_I4;
        result->lVal = params->rgvarg[1].lVal + params->rgvarg[0].lVal;
      }
      return S_OK;
    case DISPID_TEST_NAVIGATE: {
      if (!(flags & DISPATCH_METHOD) || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      DISPPARAMS event{params->rgvarg, nullptr, 1, 0};
      for (IDispatch* sink : m_point.sinks)
        if (sink) sink->Invoke(DISPID_TEST_NAVIGATED, IID_NULL, 0, DISPATCH_METHOD, &event, nullptr, nullptr, nullptr);
      return S_OK;
    }
    }
    return DISP_E_MEMBERNOTFOUND;
  }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    *out = nullptr;
    if (iid != DIID_TestControlEvents) return CONNECT_E_NOCONNECTION;
    *out = &m_point;
    m_point.AddRef();
    return S_OK;
  }

private:
  // What a browser asks of its host when it starts.
  static void AskTheSite(IOleClientSite* site, TestControlReport& report) {
    IDispatch* ambient = nullptr;
    if (SUCCEEDED(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambient)))) {
      DISPPARAMS none{};
      VARIANT v;
      ::VariantInit(&v);
      report.userMode = SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                  &v, nullptr, nullptr)) &&
                        v.vt == VT_BOOL && v.boolVal;
      ambient->Release();
    }
    IDocHostUIHandler* handler = nullptr;
    report.hostHandler =
        SUCCEEDED(site->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler))) && handler;
    if (!handler) return;
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    if (SUCCEEDED(handler->GetHostInfo(&info))) report.hostFlags = info.dwFlags;
    IDispatch* external = nullptr;
    report.external = SUCCEEDED(handler->GetExternal(&external)) && external;
    if (external) external->Release();
    handler->Release();
  }

  LONG m_ref = 1;
  HWND m_window = nullptr;
  std::wstring m_caption = L"Test control";
  CEventPoint m_point;
};

STDMETHODIMP CEventPoint::QueryInterface(REFIID iid, void** out) {
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
  *out = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}
STDMETHODIMP_(ULONG) CEventPoint::AddRef() {
  return static_cast<IOleObject*>(m_owner)->AddRef();
}
STDMETHODIMP_(ULONG) CEventPoint::Release() {
  return static_cast<IOleObject*>(m_owner)->Release();
}
STDMETHODIMP CEventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  return static_cast<IOleObject*>(m_owner)->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(out));
}

CClassFactoryOf<CTestControl> g_factory;

} // namespace

CTestControlRegistration::CTestControlRegistration() : CClassRegistration(CLSID_TestControl, &g_factory) {}

} // namespace brx::test
