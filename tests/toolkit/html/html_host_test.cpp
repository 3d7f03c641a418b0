// The HTML host against an in-process stand-in for the browser control:
// loading HTML through about:blank, DocumentComplete filtering, the site's
// document-host answers, the external object and the browser option values.
#include <gtest/gtest.h>

#include <windows.h>
#include <mshtmhst.h>

#include <string>
#include <vector>

#include "framework/OleControl.h"
#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "tests/toolkit/html/FakeBrowser.h"
#include "toolkit/html/HtmlHost.h"

using namespace brx;
using namespace brx::test;

namespace {

class HtmlHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(AfxOleInit()); }
    void SetUp() override {
        ASSERT_TRUE(registration.Ok());
        Browser() = FakeBrowserLog{};
        manager.SetExternalDispatch(&external);
        AfxEnableControlContainer(&manager);
        host = SharedHost(CRect(70, 70, 470, 370));
        ASSERT_NE(host->m_hWnd, nullptr);
        ASSERT_TRUE(html.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 400, 300), *host, 7, CLSID_FakeBrowser));
        ASSERT_NE(Browser().browser, nullptr);
    }
    void TearDown() override {
        html.DestroyWindow();
        AfxEnableControlContainer(nullptr);
    }

    CFakeBrowserRegistration registration;
    CImpIDispatch external;
    CCustomOccManager manager;
    CTestHostWnd* host = nullptr;
    CHtmlWnd html;
};

TEST_F(HtmlHostTest, HtmlGoesInThroughAboutBlankAndTheTopLevelDocumentOnly) {
    const std::string page = "<html><body><h1>Device</h1></body></html>";
    html.LoadHtmlFromMemory(nullptr, 5);
    html.LoadHtmlFromMemory(page.data(), 0);  // nothing: the page shown stays
    EXPECT_TRUE(Browser().navigations.empty());
    html.LoadHtmlFromMemory(page.data(), page.size());
    ASSERT_EQ(Browser().navigations, std::vector<std::wstring>{L"about:blank"});
    EXPECT_FALSE(html.IsLoaded());
    // Another URL, or a frame's document, changes nothing.
    html.OnDocumentComplete(Browser().browser, L"about:other");
    IDispatch* frameDocument = nullptr;
    {
        VARIANT v{};
        html.GetProperty(DISPID_BROWSER_DOCUMENT, v);
        frameDocument = v.pdispVal;
    }
    ASSERT_NE(frameDocument, nullptr);
    html.OnDocumentComplete(frameDocument, L"about:blank");
    frameDocument->Release();
    EXPECT_FALSE(html.IsLoaded());
    EXPECT_EQ(Browser().initNew, 0);
    // The browser's own completion streams the page in.
    html.OnDocumentComplete(Browser().browser, L"about:blank");
    EXPECT_TRUE(html.IsLoaded());
    EXPECT_FALSE(html.HoldsBlock());
    EXPECT_EQ(Browser().initNew, 1);
    EXPECT_EQ(Browser().loaded, page);
    // A second completion after the load changes nothing.
    html.OnDocumentComplete(Browser().browser, L"about:blank");
    EXPECT_EQ(Browser().initNew, 1);
    // The next load starts the cycle again.
    html.LoadHtmlFromMemory("<p>2</p>", 8);
    EXPECT_FALSE(html.IsLoaded());
    EXPECT_EQ(Browser().navigations.size(), 2u);
}

TEST_F(HtmlHostTest, AFailedInitNewGivesTheBlockToTheStreamOnce) {
    Browser().initNewAnswer = E_FAIL;
    html.LoadHtmlFromMemory("<p>x</p>", 8);
    ASSERT_TRUE(html.HoldsBlock());
    html.OnDocumentComplete(Browser().browser, L"about:blank");
    // The stream owned and freed the block: the window holds none to free again.
    EXPECT_FALSE(html.HoldsBlock());
    EXPECT_FALSE(html.IsLoaded());
    EXPECT_EQ(Browser().initNew, 1);
    EXPECT_TRUE(Browser().loaded.empty());
    // A later completion has nothing to load.
    Browser().initNewAnswer = S_OK;
    html.OnDocumentComplete(Browser().browser, L"about:blank");
    EXPECT_EQ(Browser().initNew, 1);
}

TEST_F(HtmlHostTest, BeforeNavigateTurnsTheDropTargetOff) {
    BOOL cancel = TRUE;
    html.OnBeforeNavigate2(&cancel);
    EXPECT_FALSE(cancel);
    EXPECT_EQ(Browser().dropTarget, std::vector<bool>{false});
    EXPECT_TRUE(html.GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(html.GetStyle() & WS_BORDER);
}

TEST_F(HtmlHostTest, TheSiteAnswersAsTheDocumentHost) {
    EXPECT_TRUE(Browser().hostHandler);
    EXPECT_EQ(Browser().hostFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(Browser().optionKey, L"Software\\Brindlex\\ControlSite");
    EXPECT_EQ(Browser().external, static_cast<IDispatch*>(&external));

    IDocHostUIHandler* handler = nullptr;
    ASSERT_EQ(html.GetControlSite()->QueryInterface(IID_IDocHostUIHandler, reinterpret_cast<void**>(&handler)), S_OK);
    EXPECT_EQ(handler->GetOptionKeyPath(nullptr, 0), E_INVALIDARG);
    EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
    EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler->EnableModeless(TRUE), E_NOTIMPL);
    EXPECT_EQ(handler->TranslateUrl(0, nullptr, nullptr), E_NOTIMPL);
    // The context menu goes to the application's router with the text flag.
    std::vector<bool> asked;
    manager.SetContextMenuRouter([&](POINT, IUnknown*, bool text) {
        asked.push_back(text);
        return S_FALSE;
    });
    POINT pt{10, 10};
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_TEXTSELECT, &pt, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &pt, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(asked, (std::vector<bool>{true, false}));
    handler->Release();
}

TEST(ExternalDispatch, AnswersOneNameWithWibble) {
    CImpIDispatch external;
    IUnknown* unknown = nullptr;
    EXPECT_EQ(external.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), E_NOINTERFACE);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(external.QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(external.RefCount(), 1);
    dispatch->Release();
    EXPECT_EQ(external.RefCount(), 0);
    wchar_t match[] = L"xxyANYTHING";
    wchar_t other[] = L"navigate";
    wchar_t upper[] = L"XXYzz";  // the comparison keeps case
    wchar_t shortName[] = L"xx";
    LPOLESTR names[] = {other, match, upper, shortName};
    DISPID ids[4] = {0, 0, 0, 0};
    EXPECT_EQ(external.GetIDsOfNames(IID_NULL, names, 4, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    EXPECT_EQ(ids[1], DISPID_EXTERNAL_WIBBLE);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);
    EXPECT_EQ(ids[3], DISPID_UNKNOWN);
    VARIANT result{};
    DISPPARAMS none{};
    ASSERT_EQ(external.Invoke(DISPID_EXTERNAL_WIBBLE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                              nullptr),
              S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, L"Wibble");
    ::VariantClear(&result);
    EXPECT_EQ(external.Invoke(77, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
}

TEST(BrowserSettings, TheOptionValuesLandUnderTheSection) {
    const wchar_t* path = L"Software\\BrindlexTest\\ControlSite";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BrindlexTest");
    HKEY section = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &section, nullptr),
              ERROR_SUCCESS);
    CCustomOccManager::WriteBrowserSettings(section);
    struct Expect {
        const wchar_t* key;
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
    };
    auto text = [](const wchar_t* s) {
        const BYTE* p = reinterpret_cast<const BYTE*>(s);
        return std::vector<BYTE>(p, p + (::wcslen(s) + 1) * sizeof(wchar_t));
    };
    const std::vector<Expect> expected = {
        {L"", L"SmartDithering", REG_DWORD, {1, 0, 0, 0}},
        {L"Main", L"Use_DlgBox_Colors", REG_SZ, text(L"no")},
        {L"Main", L"Display Inline Images", REG_SZ, text(L"yes")},
        {L"Main", L"Show image placeholders", REG_DWORD, {0, 0, 0, 0}},
        {L"Main", L"UseThemes", REG_DWORD, {0, 0, 0, 0}},
        {L"Settings", L"Always Use My Font Face", REG_DWORD, {0, 0, 0, 0}},
        {L"Styles", L"Use My Stylesheet", REG_DWORD, {0, 0, 0, 0}},
        {L"International", L"Default_CodePage", REG_BINARY, {0xE4, 0x04, 0, 0}},
        {L"International\\Scripts", L"Default_IEFontSize", REG_BINARY, {2, 0, 0, 0}},
        {L"International\\Scripts\\3", L"IEPropFontName", REG_SZ, text(L"Arial")},
        {L"International\\Scripts\\6", L"IEFixedFontName", REG_SZ, text(L"Courier New")},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(std::string(e.name, e.name + ::wcslen(e.name)));
        DWORD type = 0;
        BYTE data[64] = {};
        DWORD size = sizeof(data);
        ASSERT_EQ(::RegGetValueW(section, *e.key ? e.key : nullptr, e.name, RRF_RT_ANY | RRF_NOEXPAND, &type, data,
                                 &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, e.type);
        EXPECT_EQ(std::vector<BYTE>(data, data + size), e.data);
    }
    DWORD values = 0;
    HKEY main = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(section, L"Main", 0, KEY_READ, &main), ERROR_SUCCESS);
    ::RegQueryInfoKeyW(main, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                       nullptr);
    EXPECT_EQ(values, 14u);
    ::RegCloseKey(main);
    ::RegCloseKey(section);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\BrindlexTest");
}

} // namespace

namespace {

TEST_F(HtmlHostTest, ThePageHeldIsLoadedWhenTheBrowserSaysItsDocumentIsComplete) {
    // The window listens to the browser's events from its creation on.
    EXPECT_TRUE(html.EventsConnected());
    EXPECT_EQ(Browser().advised, 1);
    const std::string page = "<html><body><p>held</p></body></html>";
    html.LoadHtmlFromMemory(page.data(), page.size());
    // BeforeNavigate2 came at once, through the connection point.
    EXPECT_EQ(Browser().beforeNavigates, 1);
    EXPECT_EQ(Browser().dropTarget, std::vector<bool>{false});
    EXPECT_FALSE(html.IsLoaded());
    // DocumentComplete comes from the message loop, as the browser's does
    // (a timer: at least its minimum period away).
    for (int i = 0; i < 100 && Browser().documentCompletes == 0; ++i) {
        ::Sleep(10);
        Pump();
    }
    EXPECT_EQ(Browser().documentCompletes, 1);
    EXPECT_TRUE(html.IsLoaded());
    EXPECT_EQ(Browser().loaded, page);
    // The window going away ends the connection.
    html.DestroyWindow();
    EXPECT_EQ(Browser().advised, 0);
    EXPECT_FALSE(html.EventsConnected());
}

TEST_F(HtmlHostTest, KeysReachTheHostedControlFirst) {
    ASSERT_NE(Browser().window, nullptr);
    BYTE keys[256]{};
    ::GetKeyboardState(keys);
    const BYTE saved = keys[VK_CONTROL];
    struct Case {
        WPARAM key;
        bool control;
        BOOL used;
    } cases[] = {{VK_TAB, false, TRUE}, {'C', true, TRUE}, {'A', true, TRUE}, {'X', false, FALSE}};
    for (const Case& c : cases) {
        keys[VK_CONTROL] = c.control ? 0x80 : 0;
        ::SetKeyboardState(keys);
        MSG msg{Browser().window, WM_KEYDOWN, c.key, 1, 0, {}};
        EXPECT_EQ(App().PreTranslateMessage(&msg), c.used) << c.key;
    }
    keys[VK_CONTROL] = saved;
    ::SetKeyboardState(keys);
    EXPECT_EQ(Browser().keys, (std::vector<WPARAM>{VK_TAB, 'C', 'A', 'X'}));
    // A key for another window is not offered.
    MSG other{host->m_hWnd, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    App().PreTranslateMessage(&other);
    EXPECT_EQ(Browser().keys.size(), 4u);
}

TEST_F(HtmlHostTest, TheBlankPageDropsAPageHeldForLoading) {
    html.LoadHtmlFromMemory("<p>old</p>", 10);
    ASSERT_TRUE(html.HoldsBlock());
    html.ShowBlankPage();
    EXPECT_FALSE(html.HoldsBlock());
    EXPECT_EQ(Browser().navigations.back(), L"about:blank");
    html.OnDocumentComplete(Browser().browser, L"about:blank");
    EXPECT_FALSE(html.IsLoaded());
    EXPECT_TRUE(Browser().loaded.empty());
}

} // namespace
