// The Data Analysis pane: a tree-list child for the kernel structures of Plug
// and Play and device-control requests and an HTML child for the pages of
// URB traffic; one of them is shown at a time.
#pragma once
#include <windows.h>

#include <functional>

#include <memory>

#include "app/panes/AnalysisPages.h"
#include "capture/Record.h"
#include "capture/RecordView.h"
#include "decode/PageBuffer.h"
#include "toolkit/controls/win/TreeList.h"
#include "toolkit/html/HtmlHost.h"

namespace brx {

constexpr UINT ID_DATA_ANALYSIS_TREE = 40088;
constexpr UINT ID_DATA_ANALYSIS_HTML = 40089;

class CDataAnalysisTL : public CTreeListBase {};

// The page child of the pane: the browser with the page's context menu, and
// the window the browser shows its document in (known from the first
// DocumentComplete on; the main frame's context-menu routing compares it).
class CDataAnalysisHTML : public CHtmlWnd {
public:
    // Shows a closed page's text; without a page (or an empty one) the empty
    // page, about:blank.
    void ShowPage(const PageBuffer* page);
    void OnDocumentComplete(IDispatch* document, const wchar_t* url) override;
    HWND GetBrowserWindow() const { return m_hBrowser; }

    // The page's context menu: "Copy" (only with a selection) and "Select
    // All" (only with text on the page); a chosen command goes to the
    // browser window. Always S_OK: the host has handled the request.
    HRESULT ShowContextMenu(POINT pt, IUnknown* target, bool textSelected);
    // Shows the popup menu and returns the chosen command (0 for none); the
    // default tracks it with TrackPopupMenu (a seam for tests).
    std::function<UINT(HMENU menu, POINT pt, HWND owner)> trackMenu;

private:
    bool PageHasText();
    HWND m_hBrowser = nullptr;
};

class CDataAnalysis {
public:
    enum Mode : int { ModeNone = 0, ModeTree = 1, ModeHtml = 2 };

    CDataAnalysis() = default;
    virtual ~CDataAnalysis();

    // Creates both children in parent: the tree-list (shown) and the HTML
    // child (hidden, on its empty page); mode 1. False when the tree-list
    // cannot be made.
    BOOL Create(HWND parent);
    // Destroys both children; mode 0.
    void DestroyWindows();
    // Empties the view of the current mode; the mode stays.
    void Clear();
    // Shows the selected record's analysis by its kind.
    void ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout);
    // Switches the shown child (nothing for mode 0 or the current mode).
    void ShowView(int mode);

    int GetMode() const { return m_mode; }
    void SetModeValue(int mode) { m_mode = mode; }
    CDataAnalysisTL& GetTreeList() { return m_tree; }
    CDataAnalysisHTML& GetHtmlView() { return m_html; }
    // The browser control's class (a stand-in in tests); set before Create.
    // Panes take the default when they are made.
    static CLSID& DefaultBrowserClass();
    CLSID browserClass = DefaultBrowserClass();
    // What the pages read besides the record (the active log's HID report
    // descriptors and the parsed-descriptor cache); none when unset.
    std::function<ANALYSIS_SOURCES()> sources;
    // The docking pane's swap of its hosted window, called with the child
    // that the pane shows from now on; without one, the children swap
    // visibility in their common parent.
    std::function<void(HWND)> attachView;

private:
    void ShowAnalysisPage(const CRecordPairView& pair, const RECORD_LAYOUT& layout);

    CDataAnalysisTL m_tree;
    CDataAnalysisHTML m_html;
    // The page being built: one block, made on the first page and kept.
    std::unique_ptr<PageBuffer> m_page;
    int m_mode = ModeNone;
};

} // namespace brx
