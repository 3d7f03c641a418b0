// The capture list: the main frame's central view, an owner-data report list
// with one row per record that passes the record filter. It stores no
// records: the row count comes from the filter, the texts of the rows the
// list control is about to show are made once per cache hint into the text
// cache, and selecting a row shows the record in every detail pane. It keeps
// the column layout, the row colouring switches, the "auto sync with tree"
// switch and the elapsed-time reference, and it receives the log's change
// notifications (WM_LOGCHANGED).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/list/ColumnText.h"
#include "app/list/ListCache.h"
#include "app/list/ListRows.h"
#include "framework/CommonControls.h"
#include "toolkit/controls/win/HeaderCtrlEx.h"

namespace brx {

class CCaptureLog;
class CDataAnalysis;
class CFilter;
class CIrpDetails;
class CRawData;
class CRequestSummary;
class CUrbDetails;

// The detail panes the selection shows records in; the owner (the main
// frame) fills it in, any of them may be null.
struct CAPTURE_LIST_PANES {
    CRequestSummary* summary = nullptr;
    CIrpDetails* irpDetails = nullptr;
    CUrbDetails* urbDetails = nullptr;
    CRawData* rawData = nullptr;
    CDataAnalysis* dataAnalysis = nullptr;
};

class CCaptureList : public CListCtrl {
public:
    CCaptureList();
    ~CCaptureList() override;

    // Creates the list control as a child of parent (the styles of
    // PreCreateWindow added); the owner then calls OnInitialUpdate.
    BOOL Create(HWND parent, UINT id, const RECT& rect);
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    // Extended styles, the fifteen columns, the saved column layout, colour
    // switches and auto sync.
    void OnInitialUpdate();

    // --- what the owner connects
    void SetPanes(const CAPTURE_LIST_PANES& panes) { m_panes = panes; }
    // The record filter (the program's one by default) and the active log
    // (GetActiveLog by default).
    void SetFilter(CFilter* filter) { m_filter = filter; }
    void SetLogSource(std::function<CCaptureLog*()> source) { m_logSource = std::move(source); }
    // The main frame's auto-scroll switch (code 4) and its capture-buffer-full
    // handling (code 6).
    std::function<bool()> isAutoScroll;
    std::function<void()> onCaptureBufferFull;
    // Where a selected record's device object goes while AutoSyncWithTree is
    // on (the device tree's selection by device object); 0 for a record
    // without one.
    std::function<void(uint32_t deviceObject)> onSyncWithTree;

    // --- operations for the main frame, the export and the preferences
    void SetReference(int64_t stamp, uint32_t sequence);
    void ClearReference();
    BOOL HasReference() const { return m_referenceSet != 0; }
    int64_t GetReferenceStamp() const { return m_referenceSet ? m_referenceStamp : 0; }
    uint32_t GetReferenceSequence() const { return m_referenceSet ? m_referenceSequence : 0; }
    void RefreshSelection();
    CHeaderCtrlEx& GetHeader() { return m_header; }
    uint32_t m_colorizeBk = 1;
    uint32_t m_colorizeBkEntireRow = 1;
    uint32_t m_colorizeErrorFg = 1;
    void SaveColorSettings() const;
    void LoadColorSettings();
    BOOL GetAutoSyncWithTree() const { return m_autoSyncWithTree != 0; }
    void SetAutoSyncWithTree(BOOL on) { m_autoSyncWithTree = on ? 1 : 0; }
    void LoadAutoSync();
    void SaveAutoSync() const;
    void ScrollToEnd();
    void EnsureRowVisible(int row);
    void SelectRow(int row);
    int GetSelectedRow() const;

    // --- columns
    void LoadColumnState();
    void SaveColumnState();
    void ResetColumns();
    void AutoSizeColumn(int column);
    void AutoSizeAllColumns();

    // --- colours
    static void UpdateSystemColors();
    static LIST_COLOR GetWindowColor();
    static LIST_COLOR GetWindowTextColor();
    LIST_COLOR GetOddRowShade() const { return brx::GetOddRowShade(GetWindowColor()); }

    // --- for the export: the list's filter, and the cell texts' context of
    // the active log as the list fills its cells (its names answered by
    // `names`, which the caller keeps while it uses the context); false
    // without a log.
    CFilter& GetFilter() const { return Filter(); }
    bool GetTextContext(COLUMN_TEXT_CONTEXT& ctx, std::shared_ptr<ISummaryNames>& names) const;

    // The text cache (read by the tests and the export's checks).
    const CListCache& GetCache() const { return m_cache; }

    // Brings the item count up to the filter's rows now, ending a wait for
    // the update timer (the main frame calls it when a capture stopped or
    // ended, so that the list shows the final count at once).
    void UpdateRowCount();
    // How long the item count waits between two updates while records
    // arrive, and the timer that keeps the wait.
    static constexpr UINT kRowCountInterval = 100;    // ms: 10 updates a second
    static constexpr UINT_PTR kRowCountTimer = 0x4A7;

    // Handlers, public so that the main frame and tests can run them as the
    // control would.
    LRESULT OnLogNotify(WPARAM code);
    void OnOdCacheHint(int from, int to);
    LRESULT OnItemChanged(const NMLISTVIEW& nm);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& cd);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    bool OnNotify(NMHDR& nm, LRESULT& result) override;
    // Shows a popup menu and returns the chosen command (0 for none); tests
    // answer in its place.
    virtual UINT TrackMenu(HMENU menu, POINT screen);

private:
    bool OnReflectedNotify(NMHDR& nm, LRESULT& result);
    bool ChangesSelection(UINT msg, WPARAM wp, LPARAM lp) const;
    int DropSelection();
    void RestoreSelection(int row);
    int OnCreate();
    void OnDestroy();
    void OnPaint();
    void OnRowCountTimer();
    void OnHeaderRClick();
    void OnContextMenu(POINT pt);
    CCaptureLog* ActiveLog() const;
    CFilter& Filter() const;

    CHeaderCtrlEx m_header;
    // The header is repainted after a list paint only when its columns
    // changed or the list scrolled sideways since the last one.
    bool m_headerStale = true;
    int m_headerScrollX = 0;
    CListCache m_cache;
    bool m_quietSelection = false; // item changes not taken as a selection
    uint32_t m_autoSyncWithTree = 0;
    uint32_t m_referenceSet = 0;
    int64_t m_referenceStamp = 0;
    uint32_t m_referenceSequence = 0;
    CAPTURE_LIST_PANES m_panes;
    CFilter* m_filter = nullptr;
    std::function<CCaptureLog*()> m_logSource;
    // The update timer runs (an update was made less than an interval ago),
    // and a notice of new records waits for it.
    bool m_rowCountTimer = false;
    bool m_rowCountDue = false;
};

} // namespace brx
