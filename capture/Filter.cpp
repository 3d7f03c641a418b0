#include "capture/Filter.h"

#include <new>
#include <utility>

#include "base/ByteReader.h"

namespace brx {
namespace {

constexpr uint32_t kSequenceViewSize = 24;

// Reads record `index` of the log into the view and tests it; a record that
// cannot be read does not pass.
bool Passes(const CMatchCriteria& criteria, IFilterLog& log, uint32_t index, const RECORD_LAYOUT& layout,
            CRecordView& view) {
    if (log.ReadRecord(index, view) != S_OK32) return false;
    return criteria.Match(view, layout) != 0;
}

} // namespace

CFilter::CFilter() = default;

void CFilter::SetLogSource(LogSource source) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    source_ = std::move(source);
}

void CFilter::EmptyRows() {
    rows_.RemoveAll();
    checked_ = 0;
}

void CFilter::Rebuild() {
    rebuilds_.fetch_add(1);
    EmptyRows();
    lastLog_ = ActiveLog();
    if (lastLog_) Grow();
}

void CFilter::Grow() {
    IFilterLog* log = ActiveLog();
    if (!log) {
        EmptyRows();
        lastLog_ = nullptr;
        return;
    }
    const uint32_t count = log->GetRecordCount();
    // Another log, or fewer records than were seen: the rows no longer
    // belong to it, so start over.
    if (log != lastLog_ || count < checked_) {
        EmptyRows();
        lastLog_ = log;
    }
    if (checked_ >= count) return;
    const RECORD_LAYOUT layout = log->GetRecordLayout();
    uint8_t buffer[FILTER_MATCH_VIEW_SIZE];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    try {
        for (; checked_ < count; ++checked_)
            if (Passes(criteria_, *log, checked_, layout, view)) rows_.Append(checked_);
    } catch (const std::bad_alloc&) {
        // checked_ stays at the record that did not fit: the next append
        // takes it up again.
    }
}

int CFilter::GetCriteriaImage(uint8_t* out, size_t size) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    return criteria_.GetImage(out, size);
}

int CFilter::SetCriteria(const uint8_t* image, size_t size) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    const int loaded = criteria_.SetImage(image, size);
    if (loaded && applied_.load()) Rebuild();
    return loaded;
}

void CFilter::Apply(uint32_t on) {
    {
        std::lock_guard<std::mutex> lock(rowsLock_);
        applied_.store(on ? 1 : 0);
        if (on)
            Rebuild();
        else
            EmptyRows();
    }
    PostNotify(LOG_NOTIFY_AFTER, 0);
}

void CFilter::OnLogNotify(uint32_t code) {
    switch (code) {
    case LOG_NOTIFY_NEW:
    case LOG_NOTIFY_CLEARED: {
        std::lock_guard<std::mutex> lock(rowsLock_);
        EmptyRows();
        break;
    }
    case LOG_NOTIFY_OPENED: {
        std::lock_guard<std::mutex> lock(rowsLock_);
        if (applied_.load()) Rebuild();
        break;
    }
    case LOG_NOTIFY_AFTER: {
        std::lock_guard<std::mutex> lock(rowsLock_);
        if (applied_.load()) Grow();
        break;
    }
    case LOG_NOTIFY_BEFORE:
    case LOG_NOTIFY_FULL:
        break;
    default:
        return;
    }
    PostNotify(code, 0);
}

namespace {

bool IsNotifyCode(uint32_t code) { return code >= LOG_NOTIFY_NEW && code <= LOG_NOTIFY_FULL; }

} // namespace

void CFilter::PostNotify(uint32_t code, intptr_t lParam) {
    if (IsNotifyCode(code)) Deliver(code, lParam);
}

void CFilter::RepostOwed() {
    if (owed_.load()) Deliver(0, 0);
}

void CFilter::Deliver(uint32_t code, intptr_t lParam) {
    IMessageTarget* target = target_.load();
    if (!target) return;   // nobody listens: the next receiver reads the state anew
    // What the target refused before goes out with it, in code order.
    const uint32_t owed = owed_.exchange(0);
    for (uint32_t c = LOG_NOTIFY_NEW; c <= LOG_NOTIFY_FULL; ++c) {
        const uint32_t bit = 1u << c;
        if (owed & bit) {
            // Still pending: it never reached the receiver.
        } else if (c == code) {
            // A notice of this code that waits already covers this change:
            // its receiver reads the log as it is then.
            if (pending_.fetch_or(bit) & bit) continue;
        } else {
            continue;
        }
        if (!target->Post(WM_LOGCHANGED, c, c == code ? lParam : 0)) owed_.fetch_or(bit);
    }
}

void CFilter::TakeNotify(uint32_t code) {
    if (!IsNotifyCode(code)) return;
    const uint32_t bit = 1u << code;
    // An owed notice stays pending: it has not reached the receiver.
    if (!(owed_.load() & bit)) pending_.fetch_and(~bit);
}

bool CFilter::IsNotifyPending(uint32_t code) const {
    return IsNotifyCode(code) && (pending_.load() & (1u << code)) != 0;
}

uint32_t CFilter::GetRowCount() {
    std::lock_guard<std::mutex> lock(rowsLock_);
    if (applied_.load()) return rows_.GetSize();
    IFilterLog* log = ActiveLog();
    return log ? log->GetRecordCount() : 0;
}

uint32_t CFilter::RowToRecord(uint32_t row) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    if (!applied_.load()) return row;
    return row < rows_.GetSize() ? rows_.GetAt(row) : NO_INDEX;
}

bool CFilter::Translate(uint32_t row, uint32_t& index, IFilterLog*& log) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    log = ActiveLog();
    if (!log) return false;
    if (!applied_.load()) {
        index = row;
        return true;
    }
    if (row >= rows_.GetSize()) return false;
    index = rows_.GetAt(row);
    return true;
}

template <class Read>
HRESULT32 CFilter::ReadRow(uint32_t row, Read&& read) {
    uint32_t index = 0;
    IFilterLog* log = nullptr;
    if (!Translate(row, index, log)) return FILTER_S_NO_RECORD;
    return read(*log, index);
}

// The caller's entry or view is reset first, so that a row without a record
// never shows what was read before.
HRESULT32 CFilter::GetIndexEntry(uint32_t row, RECORD_INDEX_ENTRY& entry) {
    entry = RECORD_INDEX_ENTRY{};
    return ReadRow(row, [&](IFilterLog& log, uint32_t index) { return log.GetIndexEntry(index, entry); });
}

HRESULT32 CFilter::ReadRecord(uint32_t row, CRecordView& view) {
    view.Reset();
    return ReadRow(row, [&](IFilterLog& log, uint32_t index) { return log.ReadRecord(index, view); });
}

HRESULT32 CFilter::ReadRecordData(uint32_t row, CRecordPairView& pair) {
    pair.Reset();
    return ReadRow(row, [&](IFilterLog& log, uint32_t index) { return log.ReadRecordPair(index, pair); });
}

int CFilter::MatchRecord(uint32_t index) {
    std::lock_guard<std::mutex> lock(rowsLock_);
    IFilterLog* log = ActiveLog();
    if (!log) return 0;
    uint8_t buffer[FILTER_MATCH_VIEW_SIZE];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    return Passes(criteria_, *log, index, log->GetRecordLayout(), view) ? 1 : 0;
}

HRESULT32 CFilter::ReadSequence(uint32_t row, uint32_t& sequence) {
    uint8_t buffer[kSequenceViewSize];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    const HRESULT32 hr = ReadRecord(row, view);
    if (hr != S_OK32) return hr;
    if (view.copied < RECORD_SEQUENCE_OFFSET + 4) return FILTER_S_NO_RECORD;
    sequence = ByteReader(buffer, view.copied).u32le_or(RECORD_SEQUENCE_OFFSET);
    return S_OK32;
}

uint32_t CFilter::FindRowBySequence(uint32_t sequence) {
    uint32_t low = 0, high = GetRowCount();
    while (low < high) {
        const uint32_t middle = low + (high - low) / 2;
        uint32_t found = 0;
        if (ReadSequence(middle, found) != S_OK32) return NO_ROW;
        if (found == sequence) return middle;
        if (sequence < found)
            high = middle;
        else
            low = middle + 1;
    }
    return NO_ROW;
}

int CFilter::GetSequenceRange(uint32_t& first, uint32_t& last) {
    first = 0;
    last = 0;
    const uint32_t count = GetRowCount();
    if (count == 0) return 0;
    uint32_t a = 0, b = 0;
    if (ReadSequence(0, a) != S_OK32 || ReadSequence(count - 1, b) != S_OK32) return 0;
    first = a;
    last = b;
    return 1;
}

CFilter& GetRecordFilter() {
    static CFilter filter;
    return filter;
}

} // namespace brx
