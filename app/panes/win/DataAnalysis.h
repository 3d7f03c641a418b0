// The Data Analysis pane: a tree-list child for the kernel structures of Plug
// and Play and device-control requests and an HTML child for the pages of
// URB traffic; one of them is shown at a time.
#pragma once
#include <windows.h>

#include <functional>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "toolkit/controls/win/TreeList.h"
#include "toolkit/html/HtmlHost.h"

namespace brx {

constexpr UINT ID_DATA_ANALYSIS_TREE = 40088;
constexpr UINT ID_DATA_ANALYSIS_HTML = 40089;

class CDataAnalysisTL : public CTreeListBase {};

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
    CHtmlWnd& GetHtmlView() { return m_html; }
    // The docking pane's swap of its hosted window, called with the child
    // that the pane shows from now on; without one, the children swap
    // visibility in their common parent.
    std::function<void(HWND)> attachView;

private:
    CDataAnalysisTL m_tree;
    CHtmlWnd m_html;
    int m_mode = ModeNone;
};

} // namespace brx
