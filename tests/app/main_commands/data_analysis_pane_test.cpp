// The Data Analysis pane in the main window: rows selected in the capture
// list switch it between the structure tree and the decoded page (loaded when
// the stand-in browser reports its document complete), and the page's context
// menu goes from the browser host through the main frame to the pane.
// The class devices' requests show their decoded pages in the pane.
// Screenshots: data_analysis_page.bmp, data_analysis_tree.bmp, class_requests.bmp.
#include <gtest/gtest.h>

#include <mshtmhst.h>

#include <cstdio>
#include <string>
#include <vector>

#include "capture/Record.h"
#include "capture/RequestKind.h"
#include "tests/app/main_commands/FrameFixture.h"

namespace brx::testing {
namespace {

using DataAnalysisPane = FrameTest;

// The first row whose index entry passes the test.
template <class Test>
uint32_t FindRow(Test&& test) {
    const uint32_t n = GetActiveLog()->GetRecordCount();
    for (uint32_t row = 0; row < n; ++row) {
        RECORD_INDEX_ENTRY entry{};
        GetActiveLog()->GetIndexEntry(row, entry);
        if (test(entry)) return row;
    }
    return NO_INDEX;
}

// A command target whose window is another one: not the analysis page.
class CForeignTarget : public IOleWindow {
public:
    explicit CForeignTarget(HWND window) : m_window(window) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IOleWindow) return E_NOINTERFACE;
        *out = static_cast<IOleWindow*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = m_window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    HWND m_window;
};

TEST_F(DataAnalysisPane, SelectionSwitchesBetweenTreeAndPageAndTheMenuGoesThroughTheFrame) {
    CaptureOneRound();
    CDataAnalysis& pane = frame->GetDataAnalysis();
    CDataAnalysisHTML& html = pane.GetHtmlView();
    ASSERT_NE(html.m_hWnd, nullptr);
    EXPECT_TRUE(html.EventsConnected());

    // A control request's completion with data (a descriptor read at a
    // device's start), or when the devices had started in an earlier test,
    // a bulk or interrupt completion with data: a page.
    uint32_t control = FindRow([](const RECORD_INDEX_ENTRY& e) {
        const uint32_t kind = GetEntryKind(e);
        return (kind == KIND_URB_FIRST + 0x08 || kind == KIND_URB_FIRST + 0x0B) && IsEntryCompletion(e) &&
               GetEntryDataLength(e) >= 8;
    });
    if (control == NO_INDEX)
        control = FindRow([](const RECORD_INDEX_ENTRY& e) {
            return GetEntryKind(e) == KIND_URB_FIRST + 0x09 && IsEntryCompletion(e) && GetEntryDataLength(e) >= 8;
        });
    ASSERT_NE(control, NO_INDEX);
    frame->DockManager().ShowPane(PANE_DATA_ANALYSIS);  // its tab in front, for the screenshot
    frame->SelectRow(control);
    for (int i = 0; i < 50 && !html.IsLoaded(); ++i) {
        ::Sleep(10);
        Pump(50);
    }
    EXPECT_EQ(pane.GetMode(), CDataAnalysis::ModeHtml);
    EXPECT_TRUE(html.IsLoaded());
    EXPECT_NE(test::Browser().loaded.find("</html>"), std::string::npos);
    EXPECT_EQ(test::Browser().loaded.find("Decoding failed"), std::string::npos) << test::Browser().loaded;
    EXPECT_EQ(html.GetBrowserWindow(), test::Browser().window);
    ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    test::SaveScreenshot(frame->m_hWnd, "data_analysis_page.bmp");
    {
        // The page the pane loaded, for the headless browser to render.
        FILE* out = std::fopen(BRX_TEST_OUTPUT_DIR "/data_analysis_page.html", "wb");
        if (out) {
            std::fwrite(test::Browser().loaded.data(), 1, test::Browser().loaded.size(), out);
            std::fclose(out);
        }
    }

    // The browser asks its host for a context menu: the frame hands the
    // analysis page's to the pane, whose choice reaches the browser window.
    UINT offered = 0;
    html.trackMenu = [&](HMENU menu, POINT, HWND) {
        offered = static_cast<UINT>(::GetMenuItemCount(menu));
        return ID_BROWSER_SELECT_ALL;
    };
    CComPtr<IDocHostUIHandler> handler;
    ASSERT_TRUE(SUCCEEDED(html.GetControlSite()->QueryInterface(IID_IDocHostUIHandler,
                                                                 reinterpret_cast<void**>(&handler))));
    VARIANT doc{};
    ASSERT_TRUE(SUCCEEDED(html.GetProperty(DISPID_BROWSER_DOCUMENT, doc)));
    POINT pt{20, 20};
    test::Browser().commands.clear();
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &pt, doc.pdispVal, nullptr), S_OK);
    EXPECT_EQ(offered, 2u);
    EXPECT_EQ(test::Browser().commands, std::vector<WPARAM>{ID_BROWSER_SELECT_ALL});
    // A page of another window gets no menu of ours.
    offered = 0;
    CForeignTarget foreign(frame->m_hWnd);
    EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &pt, &foreign, nullptr), S_OK);
    EXPECT_EQ(offered, 0u);
    ::VariantClear(&doc);
    html.trackMenu = nullptr;

    // A key typed in the page goes to the browser first.
    test::Browser().keys.clear();
    MSG tab{test::Browser().window, WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_TRUE(test::App().PreTranslateMessage(&tab));
    EXPECT_EQ(test::Browser().keys, std::vector<WPARAM>{VK_TAB});

    // A Plug and Play capabilities request: the tree.
    const uint32_t pnp = FindRow([](const RECORD_INDEX_ENTRY& e) {
        return GetEntryKind(e) == KIND_PNP_FIRST + 9 || GetEntryKind(e) == KIND_PNP_FIRST + 7;
    });
    if (pnp != NO_INDEX) {
        frame->SelectRow(pnp);
        Pump(200);
        EXPECT_EQ(pane.GetMode(), CDataAnalysis::ModeTree);
        ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        test::SaveScreenshot(frame->m_hWnd, "data_analysis_tree.bmp");
    }
    // And back to a page.
    frame->SelectRow(control);
    Pump(200);
    EXPECT_EQ(pane.GetMode(), CDataAnalysis::ModeHtml);
}

// The first row of a class request's completion to an interface of this
// device object with this many bytes of data.
uint32_t ClassCompletionRow(uint32_t deviceObject, uint32_t dataLength) {
    const RECORD_LAYOUT layout = GetActiveLog()->GetRecordLayout();
    std::vector<uint8_t> record(4096);
    const uint32_t n = GetActiveLog()->GetRecordCount();
    for (uint32_t row = 0; row < n; ++row) {
        RECORD_INDEX_ENTRY entry{};
        GetActiveLog()->GetIndexEntry(row, entry);
        if (GetEntryKind(entry) != KIND_URB_FIRST + 0x1B || !IsEntryCompletion(entry) ||
            GetEntryDataLength(entry) != dataLength)
            continue;
        CRecordView view;
        view.Init(record.data(), static_cast<uint32_t>(record.size()));
        if (GetRecordFilter().ReadRecord(row, view) == 0 &&
            GetRequestDeviceObject(record.data(), view.copied, layout) == deviceObject)
            return row;
    }
    return NO_INDEX;
}

// The composite device's line coding, the DFU bootloader's first status and
// the printer's Device ID, each selected in the list: the pane loads their
// decoded pages.
TEST_F(DataAnalysisPane, ClassDevicesRequestsShowTheirPages) {
    CaptureOneRound();
    CDataAnalysis& pane = frame->GetDataAnalysis();
    CDataAnalysisHTML& html = pane.GetHtmlView();
    frame->DockManager().ShowPane(PANE_DATA_ANALYSIS);
    const struct {
        uint32_t object, dataLength;
        const char* file;   // the page as loaded, for the headless browser to render
        std::vector<const char*> texts;
    } cases[] = {
        {SIM_COMPOSITE_OBJECT, 7, "class_acm_line_coding.html", {"Line Coding Structure", ">115200<", ">1 Stop bit<"}},
        {SIM_DFU_OBJECT, 6, "class_dfu_status.html", {"Device Status", ">DFU Idle<"}},
        {SIM_PRINTER_OBJECT, 43, "class_printer_device_id.html", {"1284 Device ID String", "MFG:linux;<br>MDL:g_printer;"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts[0]);
        const uint32_t row = ClassCompletionRow(c.object, c.dataLength);
        ASSERT_NE(row, NO_INDEX);
        frame->SelectRow(row);
        for (int i = 0; i < 50 && !html.IsLoaded(); ++i) {
            ::Sleep(10);
            Pump(50);
        }
        Pump(100);
        EXPECT_EQ(pane.GetMode(), CDataAnalysis::ModeHtml);
        for (const char* text : c.texts)
            EXPECT_NE(test::Browser().loaded.find(text), std::string::npos) << text;
        if (FILE* out = std::fopen((std::string(BRX_TEST_OUTPUT_DIR "/") + c.file).c_str(), "wb")) {
            std::fwrite(test::Browser().loaded.data(), 1, test::Browser().loaded.size(), out);
            std::fclose(out);
        }
        if (c.object == SIM_DFU_OBJECT) {
            ::RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
            test::SaveScreenshot(frame->m_hWnd, "class_requests.bmp");
        }
    }
}

} // namespace
} // namespace brx::testing
