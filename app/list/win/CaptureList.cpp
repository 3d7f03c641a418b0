#include "app/list/win/CaptureList.h"

#include <memory>
#include <new>
#include <vector>

#include "app/panes/win/DataAnalysis.h"
#include "app/panes/win/DetailsPanes.h"
#include "app/panes/win/RawData.h"
#include "app/panes/win/RequestSummary.h"
#include "app/res/list_ids.h"
#include "capture/Filter.h"
#include "capture/Record.h"
#include "capture/RequestKind.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/SettingsStore.h"
#include "decode/SummaryWriter.h"
#include "framework/MsgArgs.h"

namespace brx {

namespace {

constexpr wchar_t kSection[] = L"CaptureList";
constexpr wchar_t kColorSection[] = L"CaptureList\\ColorSettings";
constexpr uint32_t kMaxColumnStateBytes = 4 + 12 * MAX_STATE_COLUMNS;  // 772
constexpr int kMaxHeaderItems = static_cast<int>(MAX_STATE_COLUMNS);
constexpr uint32_t kRowBufferSize = FILTER_MATCH_VIEW_SIZE;  // 612

LIST_COLOR g_window = 0xFFFFFF;
LIST_COLOR g_windowText = 0;
LIST_COLOR g_highlight = 0;
LIST_COLOR g_highlightText = 0xFFFFFF;

// The system's conversion is slow under Wine (it reads the time zone on every
// call); a page of rows shares one offset. Offsets change only at quarter
// hours of UTC, so one looked up for the same quarter hour is exact.
uint64_t ToLocalFileTime(uint64_t utc) {
    constexpr uint64_t kQuarterHour = 15ull * 60 * 10000000;
    static uint64_t cachedQuarter = UINT64_MAX;
    static int64_t cachedOffset = 0;
    const uint64_t quarter = utc / kQuarterHour;
    if (quarter != cachedQuarter) {
        FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)}, out{};
        if (!::FileTimeToLocalFileTime(&in, &out)) return utc;
        const uint64_t local = (static_cast<uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
        cachedOffset = static_cast<int64_t>(local - utc);
        cachedQuarter = quarter;
    }
    return utc + static_cast<uint64_t>(cachedOffset);
}

// The log's device and driver names and report descriptors, as the summary
// and the name columns look them up.
class CLogNames final : public ISummaryNames {
public:
    explicit CLogNames(CCaptureLog& log) : log_(log), reports_(nullptr, nullptr, &log.GetRDHash()) {}
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return log_.LookupDeviceName(key, out, capacity);
    }
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const override {
        return log_.LookupDriverName(key, out, capacity);
    }
    int HasReportIds(const HID_OBJECT_KEY& pipe, uint8_t interfaceNumber) const override {
        return reports_.HasReportIds(pipe, interfaceNumber);
    }

private:
    CCaptureLog& log_;
    CSummaryNameTables reports_;
};

} // namespace

CCaptureList::CCaptureList() { UpdateSystemColors(); }

CCaptureList::~CCaptureList() = default;

void CCaptureList::UpdateSystemColors() {
    g_window = ::GetSysColor(COLOR_WINDOW);
    g_windowText = ::GetSysColor(COLOR_WINDOWTEXT);
    g_highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    g_highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
}

LIST_COLOR CCaptureList::GetWindowColor() { return g_window; }
LIST_COLOR CCaptureList::GetWindowTextColor() { return g_windowText; }

CCaptureLog* CCaptureList::ActiveLog() const { return m_logSource ? m_logSource() : GetActiveLog(); }
CFilter& CCaptureList::Filter() const { return m_filter ? *m_filter : GetRecordFilter(); }

// ---------------------------------------------------------------------------
// Creation and destruction

BOOL CCaptureList::Create(HWND parent, UINT id, const RECT& rect) {
    return CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent, id);
}

BOOL CCaptureList::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
    return TRUE;
}

int CCaptureList::OnCreate() {
    const LRESULT created = Default();
    if (created == -1) return -1;
    HWND header = GetHeaderCtrl();
    if (!header || !m_header.SubclassWindow(header)) return -1;
    return static_cast<int>(created);
}

void CCaptureList::OnInitialUpdate() {
    SendMessage(CCM_SETVERSION, 5);
    SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    SetItemCountEx(0);
    for (int i = 0; i < static_cast<int>(COLUMN_COUNT); ++i)
        InsertColumn(i, reinterpret_cast<const wchar_t*>(CAPTURE_LIST_COLUMNS[i].heading), LVCFMT_LEFT,
                     CAPTURE_LIST_COLUMNS[i].width);
    LoadColumnState();
    LoadColorSettings();
    LoadAutoSync();
    m_header.SetColumnOption(0, 0);  // "Type" cannot be hidden
    SetExtendedStyle(GetExtendedStyle() | LVS_EX_INFOTIP);
    if (HWND tips = reinterpret_cast<HWND>(SendMessage(LVM_GETTOOLTIPS))) ::SendMessageW(tips, TTM_ACTIVATE, TRUE, 0);
}

void CCaptureList::OnDestroy() {
    if (m_rowCountTimer) ::KillTimer(m_hWnd, kRowCountTimer);
    m_rowCountTimer = m_rowCountDue = false;
    SaveColumnState();
    for (int i = m_header.m_hWnd ? m_header.GetItemCount() - 1 : -1; i >= 0; --i) DeleteColumn(i);
    if (m_header.m_hWnd && ::IsWindow(m_header.m_hWnd)) m_header.UnsubclassWindow();
}

LRESULT CCaptureList::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (!m_quietSelection && ChangesSelection(msg, wp, lp)) {
        const int selected = DropSelection();
        const LRESULT result = CListCtrl::WindowProc(msg, wp, lp);
        if (msg == WM_KEYDOWN || msg == LVM_SETITEMSTATE) RestoreSelection(selected);
        return result;
    }
    if (msg == LVM_DELETECOLUMN && m_header.m_hWnd) {
        HEADER_COLUMN_INFO* info = m_header.GetItemData(static_cast<int>(wp));
        const LRESULT deleted = CListCtrl::WindowProc(msg, wp, lp);
        if (deleted) delete info;
        return deleted;
    }
    const LRESULT result = CListCtrl::WindowProc(msg, wp, lp);
    switch (msg) {
    case LVM_INSERTCOLUMNW:
    case LVM_DELETECOLUMN:
    case LVM_SETCOLUMNW:
    case LVM_SETCOLUMNWIDTH:
    case LVM_SETCOLUMNORDERARRAY: m_headerStale = true; break;
    }
    if (msg == LVM_INSERTCOLUMNW && result >= 0 && m_header.m_hWnd) {
        const auto* column = reinterpret_cast<const LVCOLUMNW*>(lp);
        const int width = column && (column->mask & LVCF_WIDTH) ? column->cx : GetColumnWidth(static_cast<int>(result));
        auto* info = new (std::nothrow) HEADER_COLUMN_INFO{width, 1, 1};
        if (info && !m_header.SetItemData(static_cast<int>(result), info)) delete info;
    }
    return result;
}

// An owner-data list control clears the old selection of a single-selection
// list by asking to deselect every row; some controls (Wine's) then visit
// each row, unless no row is selected, which makes a key press or click cost
// time in proportion to the log. The list therefore deselects the selected
// row itself, quietly, before the control takes a navigation key, a click or
// a request (from any caller) that selects another row; a key that moves
// nowhere, or a request the control refuses, gets the row back.
bool CCaptureList::ChangesSelection(UINT msg, WPARAM wp, LPARAM lp) const {
    switch (msg) {
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lp);
        const int row = static_cast<int>(wp);
        return item && row >= 0 && (item->state & item->stateMask & LVIS_SELECTED) && row != GetSelectedRow();
    }
    case WM_KEYDOWN:
        switch (wp) {
        case VK_SPACE: case VK_HOME: case VK_END: case VK_LEFT: case VK_UP:
        case VK_RIGHT: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        // The control selects a row clicked with the left button, and one
        // clicked with the right button unless Shift or Ctrl is held; it
        // clears the selection on a click beside the rows, with the left
        // button only if neither is held.
        LVHITTESTINFO hit{};
        hit.pt = PointArg(lp);
        const int row = static_cast<int>(::SendMessageW(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        const bool modifiers = (wp & (MK_SHIFT | MK_CONTROL)) != 0;
        if (modifiers && (msg == WM_LBUTTONDOWN ? row < 0 : row >= 0)) return false;
        return row != GetSelectedRow();
    }
    }
    return false;
}

int CCaptureList::DropSelection() {
    const int row = GetSelectedRow();
    if (row >= 0) {
        m_quietSelection = true;
        SetItemState(row, 0, LVIS_SELECTED);
        m_quietSelection = false;
    }
    return row;
}

void CCaptureList::RestoreSelection(int row) {
    if (row < 0 || GetSelectedRow() >= 0) return;
    m_quietSelection = true;
    SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    m_quietSelection = false;
}

// ---------------------------------------------------------------------------
// Messages

bool CCaptureList::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_LOGCHANGED:
        result = OnLogNotify(wp);
        return true;
    case WM_TIMER:
        if (wp != kRowCountTimer) return CListCtrl::OnWndMsg(msg, wp, lp, result);
        OnRowCountTimer();
        result = 0;
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(PointArg(lp));
        result = 0;
        return true;
    case WM_SYSCOLORCHANGE:
        UpdateSystemColors();
        return false;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_REFLECT_BASE + WM_NOTIFY:
        return OnReflectedNotify(*reinterpret_cast<NMHDR*>(lp), result);
    }
    return CListCtrl::OnWndMsg(msg, wp, lp, result);
}

bool CCaptureList::OnReflectedNotify(NMHDR& nm, LRESULT& result) {
    switch (nm.code) {
    case LVN_ODCACHEHINT: {
        const auto& hint = reinterpret_cast<NMLVCACHEHINT&>(nm);
        OnOdCacheHint(hint.iFrom, hint.iTo);
        result = 0;
        return true;
    }
    case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(nm);
        if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0)
            m_cache.Lookup(info.item.iItem, info.item.iSubItem, reinterpret_cast<char16_t*>(info.item.pszText),
                           static_cast<size_t>(info.item.cchTextMax));
        result = 0;
        return true;
    }
    case LVN_ODFINDITEMW:
        result = -1;
        return true;
    case LVN_ITEMCHANGED:
        result = m_quietSelection ? 0 : OnItemChanged(reinterpret_cast<NMLISTVIEW&>(nm));
        return true;
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(nm));
        return true;
    }
    return false;
}

bool CCaptureList::OnNotify(NMHDR& nm, LRESULT& result) {
    if (!m_header.m_hWnd || nm.hwndFrom != m_header.m_hWnd) return false;
    switch (nm.code) {
    case NM_RCLICK:
        OnHeaderRClick();
        result = 1;
        return true;
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: {
        const int column = m_header.FindVisibleColumn(reinterpret_cast<NMHEADERW&>(nm).iItem);
        if (column >= 0) AutoSizeColumn(column);
        result = 1;
        return true;
    }
    case HDN_ENDDRAG:
        // The list control completes the drag; the header then moves hidden
        // columns back behind the visible ones.
        m_headerStale = true;
        m_header.PostMessage(HCM_FIXORDER);
        return false;
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW: m_headerStale = true; return false;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Log notifications and the cache

// Each notice is taken from the filter before the log is read, so a change
// after that posts a new one; what the list shows is the log as it is when
// the notice is handled, never as it was when it was posted.
LRESULT CCaptureList::OnLogNotify(WPARAM code) {
    switch (code) {
    case LOG_NOTIFY_NEW:
        Filter().TakeNotify(LOG_NOTIFY_NEW);
        ClearReference();
        break;
    case LOG_NOTIFY_OPENED:
        Filter().TakeNotify(LOG_NOTIFY_OPENED);
        SetItemCountEx(static_cast<int>(Filter().GetRowCount()));
        SelectRow(0);
        EnsureRowVisible(0);
        ClearReference();
        break;
    case LOG_NOTIFY_BEFORE:
        Filter().TakeNotify(LOG_NOTIFY_BEFORE);
        break;
    case LOG_NOTIFY_AFTER:
        // Records arrive many times a second while capturing: the count
        // follows at most once an interval. Until the timer's turn the
        // notice stays untaken, so the filter posts no more of them.
        if (m_rowCountTimer && m_hWnd) {
            m_rowCountDue = true;
            break;
        }
        UpdateRowCount();
        if (m_hWnd && ::SetTimer(m_hWnd, kRowCountTimer, kRowCountInterval, nullptr)) m_rowCountTimer = true;
        break;
    case LOG_NOTIFY_CLEARED:
        Filter().TakeNotify(LOG_NOTIFY_CLEARED);
        // The rows the log has now: none, unless a capture into the cleared
        // log brought records before this notice came.
        SetItemCountEx(static_cast<int>(Filter().GetRowCount()));
        if (m_panes.summary) m_panes.summary->Clear();
        if (m_panes.irpDetails) m_panes.irpDetails->DeleteAllItems();
        if (m_panes.urbDetails) m_panes.urbDetails->DeleteAllItems();
        if (m_panes.rawData) m_panes.rawData->SetData(nullptr, 0, TRUE);
        if (m_panes.dataAnalysis) m_panes.dataAnalysis->Clear();
        break;
    case LOG_NOTIFY_FULL:
        Filter().TakeNotify(LOG_NOTIFY_FULL);
        // No record follows a full store's: the list shows them all before
        // the capture stops.
        UpdateRowCount();
        if (onCaptureBufferFull) onCaptureBufferFull();
        break;
    default:
        break;
    }
    return 0;
}

void CCaptureList::UpdateRowCount() {
    m_rowCountDue = false;
    if (!m_hWnd) return;
    CFilter& filter = Filter();
    filter.TakeNotify(LOG_NOTIFY_AFTER);
    // The selected row and the user's scroll position stay where they are (a
    // plain count change would drop the selection and scroll back to the
    // focused row). The rows already shown may have changed with the filter,
    // so they are repainted.
    SetItemCountEx(static_cast<int>(filter.GetRowCount()), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    Invalidate(FALSE);
    if (isAutoScroll && isAutoScroll()) ScrollToEnd();
    // A notice the list's queue refused goes out again.
    filter.RepostOwed();
}

void CCaptureList::OnRowCountTimer() {
    if (m_rowCountDue) {
        UpdateRowCount();
        return;
    }
    // An interval without records: the next notice updates at once.
    ::KillTimer(m_hWnd, kRowCountTimer);
    m_rowCountTimer = false;
}

bool CCaptureList::GetTextContext(COLUMN_TEXT_CONTEXT& ctx, std::shared_ptr<ISummaryNames>& names) const {
    CCaptureLog* log = ActiveLog();
    if (!log) return false;
    names = std::make_shared<CLogNames>(*log);
    ctx.frequency = log->GetCounterFrequency();
    ctx.reference = m_referenceSet ? m_referenceStamp : log->GetFirstCounterStamp();
    ctx.layout = log->GetRecordLayout();
    const CPreferences& prefs = GetPreferences();
    ctx.timeFormat = prefs.GetTimeFormat();
    ctx.elapsedFormat = prefs.GetElapsedTimeFormat();
    ctx.durationFormat = prefs.GetDurationFormat();
    ctx.names = names.get();
    ctx.reportDescriptors = &log->GetRDHash();
    ctx.toLocalTime = ToLocalFileTime;
    return true;
}

void CCaptureList::OnOdCacheHint(int from, int to) {
    uint8_t record[kRowBufferSize], companion[kRowBufferSize];
    CRecordPairView pair;
    pair.Init(record, sizeof record, companion, sizeof companion);
    COLUMN_TEXT_CONTEXT ctx;
    std::shared_ptr<ISummaryNames> names;
    if (!GetTextContext(ctx, names)) return;
    LIST_ROW_COLORS colors;
    colors.window = g_window;
    colors.windowText = g_windowText;
    colors.colorizeBk = m_colorizeBk != 0;
    colors.colorizeErrorFg = m_colorizeErrorFg != 0;
    const int columns = m_header.m_hWnd ? m_header.GetItemCount() : 0;
    FillListCacheRows(m_cache, Filter(), pair, ctx, from, to, columns, colors);
}

// ---------------------------------------------------------------------------
// Colours

LRESULT CCaptureList::OnCustomDraw(NMLVCUSTOMDRAW& cd) {
    const DWORD stage = cd.nmcd.dwDrawStage;
    const int row = static_cast<int>(cd.nmcd.dwItemSpec);
    if (stage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (stage == CDDS_ITEMPREPAINT) {
        LRESULT result = CDRF_NEWFONT;
        cd.clrText = g_windowText;
        cd.clrTextBk = g_window;
        if (m_colorizeBk) {
            if (m_colorizeBkEntireRow) {
                const LIST_COLOR bk = m_cache.GetRowBkColor(row);
                if (bk != kNoColor) cd.clrTextBk = bk;
            } else {
                result |= CDRF_NOTIFYSUBITEMDRAW;
            }
        } else if (row & 1) {
            cd.clrTextBk = GetOddRowShade();
        }
        if (m_colorizeErrorFg) {
            const LIST_COLOR text = m_cache.GetRowTextColor(row);
            if (text != kNoColor) cd.clrText = text;
        }
        return result;
    }
    if (stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        cd.clrText = g_windowText;
        cd.clrTextBk = g_window;
        if (cd.iSubItem == 0) {
            const LIST_COLOR bk = m_cache.GetRowBkColor(row);
            if (bk != kNoColor) cd.clrTextBk = bk;
        }
        if (m_colorizeErrorFg) {
            const LIST_COLOR text = m_cache.GetRowTextColor(row);
            if (text != kNoColor) cd.clrText = text;
        }
        return CDRF_NEWFONT;
    }
    return 0;
}

void CCaptureList::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (!dc) return;
    const int width = ps.rcPaint.right, height = ps.rcPaint.bottom;
    RECT headerRect{};
    if (m_header.m_hWnd) ::GetWindowRect(m_header, &headerRect);
    const int top = headerRect.bottom - headerRect.top;
    HDC memory = width > 0 && height > 0 ? ::CreateCompatibleDC(dc) : nullptr;
    HBITMAP bitmap = memory ? ::CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (bitmap) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        if (height > top) ::BitBlt(dc, 0, top, width, height - top, memory, 0, top, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
    } else {
        // No bitmap to spare: let the control paint itself.
        DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    if (memory) ::DeleteDC(memory);
    ::EndPaint(m_hWnd, &ps);
    // The header draws itself; it needs a new paint after this one only when
    // its columns changed or the list scrolled sideways (a repaint after
    // every list paint doubled the cost of scrolling).
    const int scrollX = ::GetScrollPos(m_hWnd, SB_HORZ);
    if (m_header.m_hWnd && (m_headerStale || scrollX != m_headerScrollX)) ::InvalidateRect(m_header, nullptr, FALSE);
    m_headerStale = false;
    m_headerScrollX = scrollX;
}

void CCaptureList::LoadColorSettings() {
    m_colorizeBk = ReadAppRegDword(kColorSection, L"ColorizeBk", 1);
    m_colorizeBkEntireRow = ReadAppRegDword(kColorSection, L"ColorizeBkEntireRow", 1);
    m_colorizeErrorFg = ReadAppRegDword(kColorSection, L"ColorizeErrorFg", 1);
}

void CCaptureList::SaveColorSettings() const {
    WriteAppRegDword(kColorSection, L"ColorizeBk", m_colorizeBk);
    WriteAppRegDword(kColorSection, L"ColorizeBkEntireRow", m_colorizeBkEntireRow);
    WriteAppRegDword(kColorSection, L"ColorizeErrorFg", m_colorizeErrorFg);
}

void CCaptureList::LoadAutoSync() { m_autoSyncWithTree = ReadAppRegDword(kSection, L"AutoSyncWithTree", 0); }
void CCaptureList::SaveAutoSync() const { WriteAppRegDword(kSection, L"AutoSyncWithTree", m_autoSyncWithTree); }

// ---------------------------------------------------------------------------
// Selection

LRESULT CCaptureList::OnItemChanged(const NMLISTVIEW& nm) {
    if (!(nm.uChanged & LVIF_STATE) || !(nm.uNewState & (LVIS_SELECTED | LVIS_FOCUSED))) return 0;
    // 1. Every pane emptied.
    if (m_panes.summary) m_panes.summary->Clear();
    if (m_panes.irpDetails) m_panes.irpDetails->DeleteAllItems();
    if (m_panes.urbDetails) m_panes.urbDetails->DeleteAllItems();
    if (m_panes.rawData) m_panes.rawData->SetData(nullptr, 0, TRUE);
    if (m_panes.dataAnalysis) m_panes.dataAnalysis->Clear();
    // 2. The row's entry.
    if (nm.iItem < 0) return 0;
    CCaptureLog* log = ActiveLog();
    if (!log) return 0;
    const RECORD_LAYOUT layout = log->GetRecordLayout();
    CFilter& filter = Filter();
    RECORD_INDEX_ENTRY entry{};
    if (filter.GetIndexEntry(static_cast<uint32_t>(nm.iItem), entry) != S_OK32) return 0;
    // 3. Buffers of the record's and its companion's sizes.
    const uint32_t size = GetEntryRecordSize(entry);
    std::unique_ptr<uint8_t[]> record(new (std::nothrow) uint8_t[size ? size : 1]);
    if (!record) return 0;
    std::unique_ptr<uint8_t[]> companion;
    uint32_t companionSize = 0;
    RECORD_INDEX_ENTRY companionEntry{};
    if (GetEntryRecordType(entry) == RECORD_TYPE_REQUEST && GetEntryCompanion(entry) != NO_INDEX &&
        log->GetIndexEntry(GetEntryCompanion(entry), companionEntry) == S_OK32) {
        companionSize = GetEntryRecordSize(companionEntry);
        companion.reset(new (std::nothrow) uint8_t[companionSize ? companionSize : 1]);
        if (!companion) companionSize = 0;
    }
    CRecordPairView pair;
    pair.Init(record.get(), size, companion.get(), companionSize);
    // 4. The pair.
    if (filter.ReadRecordData(static_cast<uint32_t>(nm.iItem), pair) != S_OK32) return 0;
    // 5. The panes, in order.
    const CLogNames names(*log);
    const CRecordView& r = pair.record;
    uint32_t deviceObject = 0;
    if (r.type == RECORD_TYPE_REQUEST) {
        if (m_panes.summary) m_panes.summary->ShowRecord(pair, layout, &names);
        if (m_panes.irpDetails) m_panes.irpDetails->ShowRecord(pair, layout);
        if (m_panes.urbDetails && IsUrbKind(r.kind)) m_panes.urbDetails->ShowRecord(pair, layout);
        if (m_panes.rawData) m_panes.rawData->ShowRecord(pair, layout);
        if (m_panes.dataAnalysis) m_panes.dataAnalysis->ShowRecord(pair, layout);
        // The device object is the request part's first word (0 when the
        // copied record does not reach it).
        deviceObject = GetRequestDeviceObject(r.buffer, r.copied, layout);
    } else if (r.type == RECORD_TYPE_START || r.type == RECORD_TYPE_DROP) {
        if (m_panes.summary) m_panes.summary->ShowRecord(pair, layout, &names);
    }
    // 6. The device tree follows the selection.
    if (m_autoSyncWithTree && onSyncWithTree) onSyncWithTree(deviceObject);
    return 0;
}

void CCaptureList::RefreshSelection() {
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = m_hWnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    nm.hdr.code = LVN_ITEMCHANGED;
    nm.iItem = GetSelectedRow();
    nm.uNewState = LVIS_SELECTED | LVIS_FOCUSED;
    nm.uOldState = 0;
    nm.uChanged = LVIF_STATE;
    OnItemChanged(nm);
}

void CCaptureList::SetReference(int64_t stamp, uint32_t sequence) {
    m_referenceSet = 1;
    m_referenceStamp = stamp;
    m_referenceSequence = sequence;
}

void CCaptureList::ClearReference() {
    m_referenceSet = 0;
    m_referenceStamp = 0;
    m_referenceSequence = 0;
}

void CCaptureList::ScrollToEnd() {
    const int count = GetItemCount();
    if (count > 0) EnsureVisible(count - 1, FALSE);
}

void CCaptureList::EnsureRowVisible(int row) { EnsureVisible(row, FALSE); }

void CCaptureList::SelectRow(int row) {
    SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

int CCaptureList::GetSelectedRow() const {
    // A search for the selected row may walk the rows; the focused row is
    // the selected one but for a moment, so it is asked first.
    if (GetSelectedCount() == 0) return -1;
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (focused >= 0 && (GetItemState(focused, LVIS_SELECTED) & LVIS_SELECTED)) return focused;
    return GetNextItem(-1, LVNI_SELECTED);
}

// ---------------------------------------------------------------------------
// Columns

void CCaptureList::LoadColumnState() {
    uint8_t bytes[kMaxColumnStateBytes];
    uint32_t size = 0;
    COLUMN_STATE state;
    const int n = m_header.m_hWnd ? m_header.GetItemCount() : 0;
    if (ReadAppRegBinary(kSection, L"ColumnState", bytes, sizeof bytes, &size) && ParseColumnState(bytes, size, state) &&
        static_cast<int>(state.order.size()) == n) {
        m_header.SetOrderArray(state.order.data(), n);
        m_header.SetColumnWidths(state.widths.data(), n);
        m_header.SetColumnsVisible(state.visible.data(), n);
        return;
    }
    ResetColumns();
}

void CCaptureList::SaveColumnState() {
    if (!m_header.m_hWnd) return;
    const int n = m_header.GetItemCount();
    if (n < 0 || n > kMaxHeaderItems) return;
    COLUMN_STATE state;
    state.order.resize(static_cast<size_t>(n));
    state.widths.resize(static_cast<size_t>(n));
    state.visible.resize(static_cast<size_t>(n));
    if (n && (!m_header.GetOrderArray(state.order.data(), n) || !m_header.GetColumnWidths(state.widths.data(), n) ||
              !m_header.GetColumnsVisible(state.visible.data(), n)))
        return;
    const std::vector<uint8_t> bytes = BuildColumnState(state);
    if (!bytes.empty()) WriteAppRegBinary(kSection, L"ColumnState", bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void CCaptureList::ResetColumns() {
    if (!m_header.m_hWnd) return;
    const COLUMN_STATE state = DefaultColumnState(static_cast<size_t>(std::max(0, m_header.GetItemCount())));
    const int n = static_cast<int>(state.order.size());
    // Shown first, so that every column takes part in the order.
    m_header.SetColumnsVisible(state.visible.data(), n);
    m_header.SetOrderArray(state.order.data(), n);
    m_header.SetColumnWidths(state.widths.data(), n);
    for (int i = 0; i < n; ++i)
        if (HEADER_COLUMN_INFO* info = m_header.GetItemData(i)) info->width = state.widths[static_cast<size_t>(i)];
}

void CCaptureList::AutoSizeColumn(int column) {
    if (!m_header.IsColumnVisible(column)) return;
    const int count = m_header.GetItemCount();
    if (count < 1 || count > kMaxHeaderItems) return;
    int code = LVSCW_AUTOSIZE_USEHEADER;
    if (column == count - 1 && m_header.GetOrderPosition(column) != count - 1) code = LVSCW_AUTOSIZE;
    SetColumnWidth(column, code);
}

void CCaptureList::AutoSizeAllColumns() {
    ::LockWindowUpdate(m_hWnd);
    for (int i = 0, n = m_header.GetItemCount(); i < n; ++i) AutoSizeColumn(i);
    ::LockWindowUpdate(nullptr);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

UINT CCaptureList::TrackMenu(HMENU menu, POINT screen) {
    return static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, screen.x, screen.y,
                                              0, m_hWnd, nullptr));
}

void CCaptureList::OnHeaderRClick() {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return;
    const int count = m_header.GetItemCount();
    for (int i = 0; i < count; ++i) {
        wchar_t text[129] = L"";
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 128;
        m_header.GetItem(i, item);
        UINT flags = MF_STRING;
        if (m_header.IsColumnVisible(i)) flags |= MF_CHECKED;
        if (m_header.GetColumnOption(i) == 0) flags |= MF_CHECKED | MF_GRAYED;
        ::AppendMenuW(menu, flags, static_cast<UINT_PTR>(i + 1), text);
    }
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(count + 2), L"Reset to Default");
    POINT pt;
    ::GetCursorPos(&pt);
    const UINT command = TrackMenu(menu, pt);
    ::DestroyMenu(menu);
    if (command >= 1 && static_cast<int>(command) <= count) {
        const int column = static_cast<int>(command) - 1;
        // A grayed entry cannot be chosen; the header keeps the rule too.
        if (m_header.GetColumnOption(column) != 0) m_header.ShowColumn(column, !m_header.IsColumnVisible(column));
    } else if (static_cast<int>(command) == count + 2) {
        ResetColumns();
    }
}

void CCaptureList::OnContextMenu(POINT pt) {
    // 1. Clicks on the header are the header's.
    RECT headerRect{};
    if (m_header.m_hWnd && ::GetWindowRect(m_header, &headerRect) && pt.x != -1 && ::PtInRect(&headerRect, pt)) return;
    // 2. Where the menu opens.
    const int row = GetSelectedRow();
    if (pt.x == -1 && pt.y == -1) {
        RECT rc{};
        if (row < 0) {
            m_header.GetItemRect(0, rc);
            pt = POINT{rc.left, rc.bottom};
            ::ClientToScreen(m_header, &pt);
        } else {
            GetItemRect(row, rc, LVIR_ICON);
            pt = POINT{rc.right > rc.left ? (rc.left + rc.right) / 2 : rc.left + (rc.bottom - rc.top) / 2,
                       (rc.top + rc.bottom) / 2};
            ::ClientToScreen(m_hWnd, &pt);
        }
    }
    HMENU resource = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CAPTURE_LIST_POPUP));
    HMENU menu = resource ? ::GetSubMenu(resource, 0) : nullptr;
    if (!menu) {
        if (resource) ::DestroyMenu(resource);
        return;
    }
    // 3. Checks and grays.
    const bool rows = GetItemCount() > 0;
    ::CheckMenuItem(menu, ID_LIST_AUTO_SYNC_WITH_TREE, m_autoSyncWithTree ? MF_CHECKED : MF_UNCHECKED);
    if (!rows) {
        ::EnableMenuItem(menu, ID_LIST_RESIZE_TO_FIT, MF_GRAYED);
        ::EnableMenuItem(menu, ID_LIST_SYNC_WITH_TREE, MF_GRAYED);
    }
    // 4. The corresponding request.
    RECORD_INDEX_ENTRY entry{};
    const bool request = row >= 0 && Filter().GetIndexEntry(static_cast<uint32_t>(row), entry) == S_OK32 &&
                         GetEntryRecordType(entry) == RECORD_TYPE_REQUEST;
    if (request) {
        ::ModifyMenuW(menu, ID_LIST_GO_TO_CORRESPONDING, MF_BYCOMMAND | MF_STRING, ID_LIST_GO_TO_CORRESPONDING,
                      IsEntryCompletion(entry) ? L"&Go to Request Issue\tCtrl+->"
                                               : L"&Go to Request Completion\tCtrl+->");
        ::EnableMenuItem(menu, ID_LIST_GO_TO_CORRESPONDING, MF_ENABLED);
        if (rows) ::EnableMenuItem(menu, ID_LIST_SYNC_WITH_TREE, MF_ENABLED);
    } else {
        ::ModifyMenuW(menu, ID_LIST_GO_TO_CORRESPONDING, MF_BYCOMMAND | MF_STRING | MF_GRAYED,
                      ID_LIST_GO_TO_CORRESPONDING, L"Go To Corresponding Request\tCtrl+->");
        ::EnableMenuItem(menu, ID_LIST_SYNC_WITH_TREE, MF_GRAYED);
    }
    // 5. The elapsed-time reference.
    HMENU reference = ::CreatePopupMenu();
    CCaptureLog* log = ActiveLog();
    const bool frequency = log && log->GetCounterFrequency() != 0;
    if (frequency) {
        ::AppendMenuW(reference, MF_STRING, ID_LIST_REFERENCE_SET, L"&Set\tCtrl+Alt+S");
        const UINT gray = m_referenceSet ? 0 : MF_GRAYED;
        ::AppendMenuW(reference, MF_STRING | gray, ID_LIST_REFERENCE_RESET, L"&Reset\tCtrl+Alt+R");
        ::AppendMenuW(reference, MF_STRING | gray, ID_LIST_REFERENCE_GO_TO, L"&Go To\tCtrl+Alt+G");
    }
    const bool grayReference = !frequency || row < 0 || !log || log->IsEmpty();
    ::AppendMenuW(menu, MF_POPUP | MF_STRING | (grayReference ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(reference),
                  L"Elapsed Time &Reference");
    // 6. The choice.
    const UINT command = TrackMenu(menu, pt);
    ::DestroyMenu(resource);
    if (command == ID_LIST_RESIZE_TO_FIT) {
        AutoSizeAllColumns();
    } else if (command) {
        HWND frame = GetTopLevelParent();
        if (frame) ::SendMessageW(frame, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

} // namespace brx
