#include "app/panes/win/DataAnalysis.h"

#include "app/panes/AnalysisTrees.h"
#include "app/panes/win/DetailsPanes.h"
#include "toolkit/controls/win/TreeListSink.h"

namespace brx {

CDataAnalysis::~CDataAnalysis() {
    if (m_html.m_hWnd) m_html.DestroyWindow();
    if (m_tree.m_hWnd) m_tree.DestroyWindow();
}

BOOL CDataAnalysis::Create(HWND parent) {
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE, RECT{}, parent, ID_DATA_ANALYSIS_TREE)) return FALSE;
    SetupDetailsColumns(m_tree);
    m_mode = ModeTree;
    // The page child starts hidden on its empty page; a machine without the
    // browser control keeps the tree alone.
    if (m_html.Create(WS_CHILD | WS_VISIBLE, RECT{}, parent, ID_DATA_ANALYSIS_HTML)) {
        m_html.Navigate(L"about:blank");
        m_html.ModifyStyle(WS_VISIBLE, 0);
    }
    return TRUE;
}

void CDataAnalysis::DestroyWindows() {
    if (m_tree.m_hWnd) {
        m_tree.DeleteAllItems();
        m_tree.DestroyWindow();
    }
    if (m_html.m_hWnd) m_html.DestroyWindow();
    m_mode = ModeNone;
}

void CDataAnalysis::Clear() {
    if (m_mode == ModeTree && m_tree.m_hWnd) m_tree.DeleteAllItems();
    if (m_mode == ModeHtml && m_html.m_hWnd) m_html.Navigate(L"about:blank");
}

void CDataAnalysis::ShowView(int mode) {
    if ((mode != ModeTree && mode != ModeHtml) || mode == m_mode) return;
    CWnd& shown = mode == ModeTree ? static_cast<CWnd&>(m_tree) : static_cast<CWnd&>(m_html);
    CWnd& hidden = mode == ModeTree ? static_cast<CWnd&>(m_html) : static_cast<CWnd&>(m_tree);
    if (attachView) {
        attachView(shown.m_hWnd);
    } else {
        if (hidden.m_hWnd) hidden.ShowWindow(SW_HIDE);
        if (shown.m_hWnd) shown.ShowWindow(SW_SHOW);
    }
    m_mode = mode;
}

void CDataAnalysis::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout) {
    if (!m_tree.m_hWnd) return;
    CTreeListSink sink(m_tree);
    // The analysis writes into the tree while the tree may not be the shown
    // child; switch only once something was written.
    if (m_mode != ModeTree) m_tree.DeleteAllItems();
    if (RenderAnalysisTree(sink, pair.record, layout) == AnalysisView::Tree) ShowView(ModeTree);
}

} // namespace brx
