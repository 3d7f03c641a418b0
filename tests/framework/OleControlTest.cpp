// Control containment: a control of our own made by CLSID in a host window,
// reached through IDispatch (a property, a method, an event), with the
// container's site and a site factory that adds the browser's host
// interface.
#include <gtest/gtest.h>
#include <windows.h>
#include <mshtmhst.h>

#include <string>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/OleControl.h"
#include "tests/framework/TestApp.h"
#include "tests/framework/TestControl.h"

namespace brx {
namespace {

using test::LastControl;

VARIANT Int(LONG v) {
  VARIANT var;
  ::VariantInit(&var);
  var.vt = VT_I4;
  var.lVal = v;
  return var;
}

// A BSTR variant that frees itself.
struct Text {
  explicit Text(const wchar_t* s) {
    ::VariantInit(&var);
    var.vt = VT_BSTR;
    var.bstrVal = ::SysAllocString(s);
  }
  ~Text() { ::VariantClear(&var); }
  VARIANT var;
};

class CRecordingSink : public CEventSink {
public:
  CRecordingSink() : CEventSink(test::DIID_TestControlEvents) {}
  std::vector<std::pair<DISPID, std::wstring>> events;
  void OnEvent(DISPID id, DISPPARAMS& params) override {
    std::wstring arg;
    if (params.cArgs == 1 && params.rgvarg[0].vt == VT_BSTR) arg = params.rgvarg[0].bstrVal;
    events.emplace_back(id, arg);
  }
};

class Containment : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(AfxOleInit()); }
  void SetUp() override {
    ASSERT_TRUE(registration.Ok());
    LastControl() = test::TestControlReport{};
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"container", WS_POPUP, CRect(0, 0, 400, 300), nullptr, 0));
  }
  void TearDown() override { AfxEnableControlContainer(nullptr); }
  test::CTestControlRegistration registration;
  CWnd parent;
};

using test::ChildRect;

TEST_F(Containment, AControlMadeByClsidIsReachedThroughIDispatch) {
  {
    COleControlWnd host;
    ASSERT_TRUE(host.CreateControl(test::CLSID_TestControl, L"control", WS_VISIBLE | WS_BORDER, CRect(10, 10, 210, 110),
                                   parent, 1));
    EXPECT_FALSE(host.GetStyle() & WS_BORDER);
    ASSERT_NE(host.GetControlDispatch(), nullptr);
    const test::TestControlReport& report = LastControl();
    EXPECT_TRUE(report.activated);
    EXPECT_TRUE(report.userMode);     // the ambient properties of the site
    EXPECT_FALSE(report.hostHandler);  // the plain site has no browser host interface
    ASSERT_NE(report.window, nullptr);
    EXPECT_EQ(::GetParent(report.window), host.m_hWnd);
    EXPECT_EQ(ChildRect(report.window), CRect(0, 0, 200, 100));

    // A property by DISPID: read, written, seen in the control's window.
    VARIANT caption;
    ASSERT_EQ(host.GetProperty(test::DISPID_TEST_CAPTION, caption), S_OK);
    ASSERT_EQ(caption.vt, VT_BSTR);
    EXPECT_STREQ(caption.bstrVal, L"Test control");
    ::VariantClear(&caption);
    Text hello(L"Hello");
    EXPECT_EQ(host.SetProperty(test::DISPID_TEST_CAPTION, hello.var), S_OK);
    EXPECT_EQ(CWnd::GetWindowText(report.window), L"Hello");
    // A method with arguments in their natural order.
    VARIANT sum;
    EXPECT_EQ(host.InvokeHelper(test::DISPID_TEST_ADD, DISPATCH_METHOD, &sum, {Int(2), Int(40)}), S_OK);
    EXPECT_EQ(sum.vt, VT_I4);
    EXPECT_EQ(sum.lVal, 42);
    EXPECT_EQ(host.InvokeHelper(test::DISPID_TEST_ADD, DISPATCH_METHOD, &sum, {Int(2), hello.var}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(host.InvokeHelper(99, DISPATCH_METHOD, nullptr), DISP_E_MEMBERNOTFOUND);

    // Events reach a sink while it is connected.
    CRecordingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(host.Advise(test::DIID_TestControlEvents, &sink, cookie), S_OK);
    Text url(L"about:blank");
    EXPECT_EQ(host.InvokeHelper(test::DISPID_TEST_NAVIGATE, DISPATCH_METHOD, nullptr, {url.var}), S_OK);
    ASSERT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.events[0].first, test::DISPID_TEST_NAVIGATED);
    EXPECT_EQ(sink.events[0].second, L"about:blank");
    EXPECT_EQ(host.Unadvise(test::DIID_TestControlEvents, cookie), S_OK);
    host.InvokeHelper(test::DISPID_TEST_NAVIGATE, DISPATCH_METHOD, nullptr, {url.var});
    EXPECT_EQ(sink.events.size(), 1u);
    EXPECT_EQ(sink.RefCount(), 0);  // the control let go of the sink
    DWORD none = 0;
    EXPECT_NE(host.Advise(IID_IDispatch, &sink, none), S_OK);  // not one of its event sets

    // The control follows its host's size.
    host.MoveWindow(CRect(0, 0, 300, 150));
    EXPECT_EQ(ChildRect(report.window), CRect(0, 0, 300, 150));
    EXPECT_EQ(report.live, 1);
  }
  // The host window went with its object, and the control with it.
  EXPECT_EQ(LastControl().live, 0);
  EXPECT_FALSE(::IsWindow(LastControl().window));
}

// The browser's host interface, answered by a site of the program's own.
class CHostHandler : public IDocHostUIHandler {
public:
  explicit CHostHandler(IUnknown* site) : m_site(site) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return m_site->QueryInterface(iid, out); }
  STDMETHODIMP_(ULONG) AddRef() override { return m_site->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return m_site->Release(); }
  STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
  }
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
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* out, DWORD) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override { return E_NOTIMPL; }
  STDMETHODIMP GetExternal(IDispatch** out) override {
    // The site's own dispatch stands in for the program's external object.
    return m_site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
  }
  STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

private:
  IUnknown* m_site;
};

class CBrowserSite : public COleControlSite {
public:
  explicit CBrowserSite(COleControlWnd* host)
      : COleControlSite(host), m_handler(static_cast<IOleClientSite*>(this)) {}
  HRESULT QueryHostInterface(REFIID iid, void** out) override {
    if (iid != IID_IDocHostUIHandler) return COleControlSite::QueryHostInterface(iid, out);
    *out = static_cast<IDocHostUIHandler*>(&m_handler);
    m_handler.AddRef();
    return S_OK;
  }

private:
  CHostHandler m_handler;
};

class CBrowserSites : public COccManager {
public:
  int made = 0;
  COleControlSite* CreateSite(COleControlWnd* host) override {
    ++made;
    return new CBrowserSite(host);
  }
};

TEST_F(Containment, ASiteFactoryAnswersTheHostInterfacesAControlAsksFor) {
  CBrowserSites sites;
  AfxEnableControlContainer(&sites);
  COleControlWnd host;
  ASSERT_TRUE(host.CreateControl(test::CLSID_TestControl, nullptr, WS_VISIBLE, CRect(0, 0, 100, 100), parent, 2));
  EXPECT_EQ(sites.made, 1);
  EXPECT_TRUE(LastControl().hostHandler);
  EXPECT_EQ(LastControl().hostFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
  EXPECT_TRUE(LastControl().external);
  // The site answers the container's interfaces beside the host's.
  CComPtr<IDocHostUIHandler> handler;
  ASSERT_EQ(host.GetControlSite()->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)), S_OK);
  CComPtr<IOleInPlaceSite> inPlace;
  EXPECT_EQ(handler.QueryInterface(IID_IOleInPlaceSite, inPlace), S_OK);
  HWND window = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&window), S_OK);
  EXPECT_EQ(window, host.m_hWnd);
}

TEST_F(Containment, AnUnknownClassLeavesNoWindow) {
  const CLSID unknown = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};
  COleControlWnd host;
  EXPECT_FALSE(host.CreateControl(unknown, nullptr, WS_VISIBLE, CRect(0, 0, 50, 50), parent, 3));
  EXPECT_EQ(host.m_hWnd, nullptr);
  EXPECT_EQ(host.GetControlDispatch(), nullptr);
  EXPECT_EQ(host.InvokeHelper(1, DISPATCH_PROPERTYGET, nullptr), E_NOINTERFACE);
}

} // namespace
} // namespace brx
