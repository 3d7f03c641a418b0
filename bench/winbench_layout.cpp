// The layout pass of a settings dialog's 30 controls on real windows, as
// every resize step runs it (the tree's rectangles, one deferred move of all
// controls, the up-down check, the invalidation), then the same with the
// repaint that follows each step. Prints the times per pass. Run under Wine
// by scripts/bench.sh; the goal is well under a millisecond per layout.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "bench/LayoutTreeBench.h"
#include "bench/WinBench.h"
#include "framework/WinApp.h"
#include "toolkit/layout/win/LayoutManager.h"

using namespace brx;
using brx::bench::Now;
using brx::bench::Seconds;

namespace {
CWinApp g_app;

HWND MakeControl(HWND parent, UINT id, uint32_t mode) {
    const wchar_t* cls = L"EDIT";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    if ((mode & LM_ALIGN_T) && (mode & LM_ALIGN_B)) {
        cls = L"STATIC";
        style = WS_CHILD | WS_VISIBLE;
    } else if (mode & LM_PERCENT_W) {
        cls = L"COMBOBOX";
        style = WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL;
    } else if (mode == 0) {
        cls = L"LISTBOX";
        style = WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOINTEGRALHEIGHT;
    } else if ((mode & LM_FIXED_W) && (mode & LM_FIXED_H)) {
        cls = L"BUTTON";
        style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
    }
    return ::CreateWindowExW(0, cls, L"Text", style, 0, 0, 80, 100, parent, reinterpret_cast<HMENU>(UINT_PTR(id)),
                             nullptr, nullptr);
}

void PumpPaint() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

} // namespace

int main() {
    ::InitCommonControls();
    CWnd host;
    host.CreateEx(0, CWnd::RegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW), ::GetSysColorBrush(COLOR_BTNFACE)),
                  L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 800, 700), nullptr, 0);
    CLM layout(&host);
    LayoutPanePtr root = bench::BuildThirtyControlTree(
        [&](uintptr_t token, uint32_t mode, int32_t w, int32_t h) {
            HWND control = MakeControl(host, UINT(token), mode);
            return layout.MakeItem(control, mode, w, h, 40, 20);
        },
        [&](uintptr_t token) {
            ::CreateWindowExW(0, L"BUTTON", L"Group", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, 10, 10, host,
                              reinterpret_cast<HMENU>(UINT_PTR(token)), nullptr, nullptr);
            return layout.MakePaneCtrl(UINT(token), LM_COLUMN, 0, 5, 7, 12, 0);
        });
    layout.SetRoot(root);
    PumpPaint();

    const int passes = 300;
    double layoutOnly = 0, withPaint = 0, resizeOnly = 0, layoutAlone = 0;
    {
        LARGE_INTEGER t0 = Now();
        for (int i = 0; i < passes; ++i) {
            int width = 500 + (i * 7) % 300;
            ::SetWindowPos(host, nullptr, 0, 0, width, width * 7 / 8, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        resizeOnly = Seconds(t0, Now()) / passes;
        t0 = Now();
        for (int i = 0; i < passes; ++i) layout.UpdateLayout();
        layoutAlone = Seconds(t0, Now()) / passes;
        t0 = Now();
        for (int i = 0; i < passes; ++i) layout.ResizeRoot(CRect(5, 5, 400 + (i % 2) * 200, 500));
        std::printf("moves alone %.3f ms\n", Seconds(t0, Now()) / passes * 1000);
        t0 = Now();
        for (int i = 0; i < passes; ++i) {
            ::SetWindowPos(host, nullptr, 0, 0, 600 + (i % 2) * 200, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            layout.UpdateLayout();
        }
        std::printf("resize and layout, every control moving %.3f ms\n", Seconds(t0, Now()) / passes * 1000);
        ::ShowWindow(host, SW_HIDE);
        t0 = Now();
        for (int i = 0; i < passes; ++i) layout.ResizeRoot(CRect(5, 5, 400 + (i % 2) * 200, 500));
        std::printf("moves alone, host hidden %.3f ms\n", Seconds(t0, Now()) / passes * 1000);
        ::ShowWindow(host, SW_SHOWNA);
    }
    for (int round = 0; round < 2; ++round) {
        LARGE_INTEGER t0 = Now();
        for (int i = 0; i < passes; ++i) {
            int width = 500 + (i * 7) % 300;
            ::SetWindowPos(host, nullptr, 0, 0, width, width * 7 / 8, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            layout.UpdateLayout();
            if (round == 1) PumpPaint();
        }
        (round == 0 ? layoutOnly : withPaint) = Seconds(t0, Now()) / passes;
    }
    std::printf("host resize alone %.3f ms, layout alone %.3f ms\n", resizeOnly * 1000, layoutAlone * 1000);
    std::printf("layout of %d controls: %.3f ms per resize step (host resize and layout), "
                "%.3f ms with the repaint\n",
                bench::kLayoutControls, layoutOnly * 1000, withPaint * 1000);
    return 0;
}
