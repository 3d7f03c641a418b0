#include "capture/win/CaptureStore.h"

#include <objbase.h>

#include "capture/win/SystemHelpers.h"
#include "capture/win/VirtualReservedMemory.h"

namespace brx {

namespace {

// The index array as the commit walk's storage.
class CIndexArrayAdapter final : public IRecordIndex {
public:
    explicit CIndexArrayAdapter(CRecordIndexArray& a) : a_(a) {}
    uint32_t GetCount() const override { return a_.GetCount(); }
    bool Append(const RECORD_INDEX_ENTRY& entry) override { return a_.Append(entry) != NO_INDEX; }
    RECORD_INDEX_ENTRY* GetAt(uint32_t index) override { return a_.GetAt(index); }

private:
    CRecordIndexArray& a_;
};

// A wrapper record is read into a buffer of this size for its command block.
constexpr uint32_t kWrapperRecordBuffer = 420;
// The part of a record read for its size field.
constexpr uint32_t kRecordHead = 24;

// ERROR_UNHANDLED_EXCEPTION (574), as a failure.
constexpr HRESULT kUnhandledException = static_cast<HRESULT>(HresultFromWin32(574));

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

} // namespace

class CCaptureStore::CLock {
public:
    explicit CLock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~CLock() { LeaveCriticalSection(&cs_); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

// Kinds 1, 3 and 10 of the driver's notification blocks, to the store's tables.
class CCaptureStore::CTableSink final : public IDriverNotificationSink {
public:
    explicit CTableSink(CCaptureStore& s) : s_(s) {}
    void AddDeviceNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) override {
        s_.deviceNames_.AddFromBlock(block, size, layout);
    }
    void AddDriverNames(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) override {
        s_.driverNames_.AddFromBlock(block, size, layout);
    }
    void AddHidDescriptors(const uint8_t* block, uint32_t size, const RECORD_LAYOUT& layout) override {
        s_.hidDescriptors_.AddFromBlock(block, size, layout);
    }

private:
    CCaptureStore& s_;
};

// ---------------------------------------------------------------------------

bool CFullnessNotifier::Post(uint32_t percent) {
    const int32_t value = static_cast<int32_t>(percent);
    if (last_.load() == value) return false;
    if (!target_.Post(WM_LOGFULLNESS, percent, 0)) return false;
    last_.store(value);
    return true;
}

// ---------------------------------------------------------------------------

CCaptureStore::CCaptureStore(IMessageTarget* fullnessTarget, IReservedMemory* indexMemory)
    : baseBlock_(MakeEmptyBaseBlock()),
      driverInfo_(MakeEmptyDriverInfo()),
      index_(indexMemory ? *indexMemory : CVirtualReservedMemory::Get()),
      fullness_(fullnessTarget ? *fullnessTarget : MainWindowTarget()) {
    InitializeCriticalSection(&lock_);
    is64Bit_ = IsWow64() != 0;
}

CCaptureStore::~CCaptureStore() {
    ReleaseContent();
    scratch_.Close();
    DeleteCriticalSection(&lock_);
}

void CCaptureStore::EmptyIndexAndTables() {
    index_.Free();
    indexer_.Clear();
    driverNames_.RemoveAll();
    deviceNames_.RemoveAll();
    // The cache's lock before the descriptor table's, one after the other.
    if (CHIDDeviceDataHash* cache = hidCache_.load()) cache->RemoveAll();
    hidDescriptors_.RemoveAll();
}

void CCaptureStore::ReleaseContent() {
    CLock guard(lock_);
    try {
        ReleaseInterface(dataStream_);
        ReleaseInterface(storage0000_);
        ReleaseInterface(rootStorage_);
        EmptyIndexAndTables();
        baseBlock_ = CAPTURE_BASE_BLOCK{};
        skippedRecords_ = 0;
    } catch (...) {
        // Emptying frees memory only; whatever failed is left as it is.
    }
}

HRESULT CCaptureStore::CreateTempFile(const wchar_t* folder, uint32_t size) {
    // 1. The folder must exist.
    const DWORD attributes = folder ? GetFileAttributesW(folder) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return STG_E_PATHNOTFOUND;

    HRESULT result = S_OK;
    {
        CLock guard(lock_);
        // 2. An empty log.
        ReleaseContent();
        live_ = false;
        unsavedRecords_ = false;
        CoFileTimeNow(&creationTime_);
        baseBlock_ = MakeEmptyBaseBlock();
        driverInfo_ = MakeEmptyDriverInfo();
        layout_ = RECORD_LAYOUT{};
        saveCount_ = 0;
        is64Bit_ = IsWow64() != 0;   // an opened file had set its own

        // 3.-5. The scratch file.
        const uint32_t clamped = ClampScratchSize(size);
        const DWORD error = scratch_.Create(folder, clamped);
        if (error != 0) {
            result = static_cast<HRESULT>(Win32ErrorToStg(error));
        } else {
            fullReserve_ = FullReserveForScratchSize(clamped);
            live_ = true;
        }
    }
    // 6. The gauge starts empty.
    fullness_.Post(0);
    return result;
}

bool CCaptureStore::IsFull() const {
    return !live_.load() || scratch_.GetFreeSpan() <= fullReserve_;
}

bool CCaptureStore::SetWrapMode(int mode) {
    if (mode != WRAP_STOP_WHEN_FULL) return false;
    wrapMode_ = mode;
    return true;
}

HRESULT CCaptureStore::AcquireWriteWindow(uint8_t** window, uint32_t* length) {
    if (window) *window = nullptr;
    if (length) *length = 0;
    if (IsFull()) {
        fullness_.Post(100);
        return HR_LOG_E_FULL;
    }
    fullness_.Post(FullnessPercent(scratch_.GetUsed(), scratch_.GetSize(), fullReserve_));
    if (window) *window = scratch_.GetWritePosition();
    if (length) *length = scratch_.GetFreeSpan();
    return S_OK;
}

HRESULT CCaptureStore::CommitCapturedData(const uint8_t* window, uint32_t count) {
    CLock guard(lock_);
    try {
        // A log whose driver information never came reads its records with
        // the default layout, and its views then agree with its index.
        if (!layout_.valid) layout_ = kDefaultRecordLayout;
        // 1. Too little for a record.
        if (count < layout_.requestOffset) return E_FAIL;
        // Only the window handed out, and only as far as it reaches.
        if (!live_.load() || !window || window != scratch_.GetWritePosition() || count > scratch_.GetFreeSpan())
            return E_FAIL;

        // 2. The first record of the log dates it.
        if (window == scratch_.GetBase()) TakeFirstRecordTimes(baseBlock_, window, count);

        // 3. The walk; the write position moves past what it walked.
        CIndexArrayAdapter index(index_);
        const CommitResult r = indexer_.Commit(window, count, scratch_.GetUsed(), layout_, index);
        scratch_.AdvanceWrite(r.consumed);

        // 4.
        unsavedRecords_ = !index_.IsEmpty();
        if (r.status == CommitStatus::OutOfMemory) return STG_E_INSUFFICIENTMEMORY;
        return S_OK;
    } catch (...) {
        return STG_E_ABNORMALAPIEXIT;
    }
}

HRESULT CCaptureStore::ReadRecordBytes(uint32_t position, void* destination, uint32_t length, uint32_t* count) {
    if (count) *count = 0;
    CLock guard(lock_);
    try {
        if (live_.load()) {
            DWORD n = 0;
            if (!scratch_.Read(position, destination, length, &n)) return STG_E_READFAULT;
            if (count) *count = n;
            return S_OK;
        }
        if (!dataStream_) return STG_E_READFAULT;
        LARGE_INTEGER at;
        at.QuadPart = position;
        HRESULT hr = dataStream_->Seek(at, STREAM_SEEK_SET, nullptr);
        if (FAILED(hr)) return hr;
        ULONG n = 0;
        hr = dataStream_->Read(destination, length, &n);
        if (FAILED(hr)) return hr;
        if (count) *count = n;
        return S_OK;
    } catch (...) {
        return kUnhandledException;
    }
}

HRESULT CCaptureStore::ReadRecordViewLocked(uint32_t index, CRecordView& view) {
    view.Reset();
    const RECORD_INDEX_ENTRY* entry = index_.GetAt(index);
    if (!entry) return STG_E_READFAULT;
    const RECORD_INDEX_ENTRY e = *entry;
    const uint32_t size = GetEntryRecordSize(e);
    const uint32_t wanted = view.buffer ? (view.bufferSize < size ? view.bufferSize : size) : 0;
    uint32_t copied = 0;
    if (wanted) {
        const HRESULT hr = ReadRecordBytes(GetEntryPosition(e), view.buffer, wanted, &copied);
        if (FAILED(hr)) return hr;
    }
    FillRecordView(view, index, e, copied);
    return S_OK;
}

HRESULT CCaptureStore::ReadRecordView(uint32_t index, CRecordView& view) {
    CLock guard(lock_);
    return ReadRecordViewLocked(index, view);
}

HRESULT CCaptureStore::ReadRecordPair(uint32_t index, CRecordPairView& pair) {
    CLock guard(lock_);
    pair.companion.Reset();
    pair.companionPresent = 0;
    pair.cdbPresent = 0;

    // 1. The record.
    HRESULT hr = ReadRecordViewLocked(index, pair.record);
    if (FAILED(hr)) return hr;
    const CRecordView& rec = pair.record;
    if (rec.type != RECORD_TYPE_REQUEST) return hr;

    // 2. Its companion.
    if (rec.companion != NO_INDEX) {
        hr = ReadRecordViewLocked(rec.companion, pair.companion);
        if (SUCCEEDED(hr)) pair.companionPresent = 1;
    }

    // 3. The command block of a data or status stage.
    const RECORD_INDEX_ENTRY* entry = index_.GetAt(index);
    if (!entry || !IsEntryMassStorage(*entry) || !CommandNeedsCdb(GetEntryOpcode(*entry))) return hr;
    if (IsEntryCommandWrapper(*entry) || IsEntryStatusWrapper(*entry)) return hr;
    if (pair.companionPresent) {
        const RECORD_INDEX_ENTRY* other = index_.GetAt(rec.companion);
        if (other && (IsEntryCommandWrapper(*other) || IsEntryStatusWrapper(*other))) return hr;
    }
    const uint32_t wrapper = GetEntryCommandWrapper(*entry);
    if (wrapper == NO_INDEX) return hr;
    uint8_t buffer[kWrapperRecordBuffer];
    CRecordView view;
    view.Init(buffer, sizeof buffer);
    hr = ReadRecordViewLocked(wrapper, view);
    if (SUCCEEDED(hr) && view.dataLength && CopyWrapperCdb(view.data, view.dataLength, pair.cdb))
        pair.cdbPresent = 1;
    return hr;
}

HRESULT CCaptureStore::GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY* entry) {
    CLock guard(lock_);
    const RECORD_INDEX_ENTRY* e = index_.GetAt(index);
    if (!e || !entry) return STG_E_READFAULT;
    *entry = *e;
    return S_OK;
}

uint32_t CCaptureStore::GetRecordCount() {
    CLock guard(lock_);
    return index_.GetCount();
}

bool CCaptureStore::AddDriverNotifications(const uint8_t* buffer, size_t length) {
    const RECORD_LAYOUT layout = GetRecordLayout();
    CTableSink sink(*this);
    return WalkDriverNotifications(buffer, length, layout, sink);
}

void CCaptureStore::SetDriverInfo(const DRIVER_INFO& info) {
    CLock guard(lock_);
    driverInfo_ = info;
    BuildRecordLayout(driverInfo_, layout_);
}

DRIVER_INFO CCaptureStore::GetDriverInfo() {
    CLock guard(lock_);
    return driverInfo_;
}

RECORD_LAYOUT CCaptureStore::GetRecordLayout() {
    CLock guard(lock_);
    return layout_;
}

void CCaptureStore::SetDefaultLayout() {
    CLock guard(lock_);
    layout_ = kDefaultRecordLayout;
}

void CCaptureStore::ResetDriverInfo() {
    CLock guard(lock_);
    driverInfo_ = MakeEmptyDriverInfo();
    layout_ = RECORD_LAYOUT{};
}

int64_t CCaptureStore::GetCounterFrequency() {
    CLock guard(lock_);
    return baseBlock_.frequency;
}

void CCaptureStore::SetCounterFrequency(int64_t frequency) {
    CLock guard(lock_);
    baseBlock_.frequency = frequency;
}

int64_t CCaptureStore::GetFirstCounterStamp() {
    CLock guard(lock_);
    return baseBlock_.firstCounter;
}

CAPTURE_BASE_BLOCK CCaptureStore::GetBaseBlock() {
    CLock guard(lock_);
    return baseBlock_;
}

bool CCaptureStore::Clear() {
    if (!live_.load()) return false;
    {
        CLock guard(lock_);
        try {
            baseBlock_ = MakeEmptyBaseBlock();
            driverInfo_ = MakeEmptyDriverInfo();
            layout_ = RECORD_LAYOUT{};
            scratch_.Reset();
            EmptyIndexAndTables();
            unsavedRecords_ = true;
        } catch (...) {
            // Emptying frees memory only; go on to the gauge.
        }
    }
    return fullness_.Post(0);
}

HRESULT CCaptureStore::Close() {
    CLock guard(lock_);
    try {
        ReleaseContent();
        live_ = false;
        saveCount_ = 0;
        return S_OK;
    } catch (...) {
        return STG_E_ABNORMALAPIEXIT;
    }
}

void CCaptureStore::GetRecordSizes(const uint32_t* positions, uint32_t* sizes, uint32_t count) {
    if (!positions || !sizes) return;
    CLock guard(lock_);
    const bool live = live_.load();
    for (uint32_t i = 0; i < count; ++i) {
        sizes[i] = 0;
        if (!live) continue;
        if (i + 1 < count && positions[i + 1] > positions[i]) {
            sizes[i] = positions[i + 1] - positions[i];
            continue;
        }
        uint8_t head[kRecordHead];
        DWORD n = 0;
        if (scratch_.Read(positions[i], head, sizeof head, &n) && n >= 4)
            sizes[i] = GetRecordSize(head, n);
    }
}

uint32_t CCaptureStore::LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
    return deviceNames_.Lookup(key, out, capacity);
}

uint32_t CCaptureStore::LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
    return driverNames_.Lookup(key, out, capacity);
}

} // namespace brx
