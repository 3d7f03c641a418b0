// Restoring a toolbar from its saved state in the rebar's registry section:
// a bar of 23 buttons (the main toolbar's shape) restored from a value of
// its own buttons, and from values padded with thousands of records the bar
// does not have (a damaged or hostile value). Prints the time of each
// restore and the buttons the bar shows after it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "bench/WinBench.h"
#include "capture/win/SettingsStore.h"
#include "framework/FrameWnd.h"
#include "toolkit/bars/win/SizableReBar.h"
#include "toolkit/bars/win/ToolBarEx.h"

using namespace brx;

namespace {

constexpr UINT kBarId = 0xE800;
constexpr int kButtons = 23;
constexpr int kFirstId = 0x8100;
constexpr const wchar_t* kSection = L"ToolBarRestoreBench";

class CBenchBar : public CToolBarEx {
public:
    void GetButtonText(UINT id, std::wstring& text) override { text = L"Button " + std::to_wstring(id - kFirstId); }
};

class CBenchFrame : public CFrameWnd {
public:
    CBenchFrame() { m_bAutoDelete = false; }
    ~CBenchFrame() override { DestroyWindow(); }
    CSizableReBar rebar;
    CBenchBar bar;
    bool Build() {
        std::vector<TBBUTTONEX> buttons;
        for (int i = 0; i < kButtons; ++i) {
            TBBUTTONEX b{};
            const bool separator = i % 5 == 4;
            b.tbinfo.iBitmap = separator ? 0 : I_IMAGENONE;
            b.tbinfo.idCommand = separator ? 0 : kFirstId + i;
            b.tbinfo.fsState = TBSTATE_ENABLED;
            b.tbinfo.fsStyle = separator ? BTNS_SEP : BTNS_BUTTON;
            b.tbinfo.iString = -1;
            b.bInitiallyVisible = TRUE;
            buttons.push_back(b);
        }
        if (!Create(nullptr, L"bars", WS_OVERLAPPEDWINDOW, CRect(0, 0, 900, 200))) return false;
        if (!rebar.Create(m_hWnd)) return false;
        if (!bar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, kBarId)) return false;
        bar.SetButtons(kButtons, buttons.data(), 1);
        if (!rebar.AddBar(&bar, nullptr, RBBS_BREAK, L"&Main", FALSE, TRUE)) return false;
        bar.UpdateBandSize();
        RecalcLayout();
        return true;
    }
};

} // namespace

// Arguments: the numbers of stale records to try (default 0, 8000 and 16000).
int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&icc);
    char key[64];
    std::snprintf(key, sizeof key, "BrindlexBench-%u", static_cast<unsigned>(::GetCurrentProcessId()));
    SetAppRegKeyNameForTesting(key);
    std::vector<long> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::strtol(argv[i], nullptr, 10));
    if (counts.empty()) counts = {0, 8000, 16000};
    int status = 0;
    std::vector<int> clean;  // the buttons of the first restore
    for (long stale : counts) {
        CBenchFrame frame;
        if (!frame.Build()) return 1;
        // The options, the bar's own buttons in reverse (separators marked by the
        // top bit, as the control reads them), then the stale ids.
        std::vector<uint32_t> words{2, 0};
        for (int i = kButtons - 1; i >= 0; --i) words.push_back(i % 5 == 4 ? 0xFFFFFFFFu : uint32_t(kFirstId + i));
        for (long i = 0; i < stale; ++i) words.push_back(0x9000u + uint32_t(i % 97));
        if (!WriteAppRegBinary(kSection, L"E800", words.data(), static_cast<uint32_t>(words.size() * 4))) return 1;
        const int before = frame.bar.GetCount();
        const LARGE_INTEGER a = bench::Now();
        frame.rebar.LoadState(kSection);
        const LARGE_INTEGER b = bench::Now();
        std::vector<int> ids;
        for (int i = 0; i < frame.bar.GetCount(); ++i) {
            TBBUTTON t{};
            frame.bar.SendMessage(TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&t));
            ids.push_back(t.idCommand);
        }
        if (clean.empty()) clean = ids;
        std::printf("restore of %d buttons and %ld stale records: %.3f ms, %zu buttons shown (%d before), %s\n",
                    kButtons, stale, 1000.0 * bench::Seconds(a, b), ids.size(), before,
                    ids == clean ? "as restored without stale records" : "NOT as restored without stale records");
        if (ids != clean) status = 1;
    }
    SetAppRegKeyNameForTesting(nullptr);
    wchar_t path[80];
    std::swprintf(path, 80, L"software\\BrindlexBench-%u", static_cast<unsigned>(::GetCurrentProcessId()));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path);
    return status;
}
