// The record store of a capture log. A live store owns the scratch file into
// which the reader thread reads driver records directly: it hands out write
// windows, commits what the driver delivered (one index entry per record,
// completions linked to their issue records, mass-storage stages tied to their
// command wrapper), feeds the driver's notification blocks to the name and HID
// tables, and posts its fullness to the main window. A store opened from a
// capture file reads its records from the file's data stream instead. Views,
// the filter and the decoders read records, index entries and the record
// layout through it.
//
// One lock serialises commit, reads, clear, create and close. The window
// request takes none (only the reader thread moves the scratch positions while
// a capture runs), nor does the notification walk (the tables lock
// themselves). The name and HID tables' locks are taken after the store's,
// never before.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/CaptureStoreRules.h"
#include "capture/HidTables.h"
#include "capture/NameTables.h"
#include "capture/Record.h"
#include "capture/RecordIndexArray.h"
#include "capture/RecordIndexer.h"
#include "capture/RecordView.h"
#include "capture/Result.h"
#include "capture/win/MessageTarget.h"
#include "capture/win/ScratchBuffer.h"

namespace brx {

// The store's result for a refused window (LOG_E_FULL) as an HRESULT.
constexpr HRESULT HR_LOG_E_FULL = static_cast<HRESULT>(LOG_E_FULL);

// Posts the store's fullness: WM_LOGFULLNESS with the percentage, unless it
// equals the last value posted. A value the target could not post (no main
// window yet) is not remembered, so it goes out once there is a window.
class CFullnessNotifier {
public:
    explicit CFullnessNotifier(IMessageTarget& target) : target_(target) {}
    // True when the value was posted.
    bool Post(uint32_t percent);
    // The last value posted, -1 before the first.
    int32_t GetLastPosted() const { return last_.load(); }

private:
    IMessageTarget& target_;
    std::atomic<int32_t> last_{-1};
};

class CCaptureStore {
public:
    // The fullness goes to the target (the main window when null); the index
    // lives in the given reserved memory (the system's when null).
    explicit CCaptureStore(IMessageTarget* fullnessTarget = nullptr, IReservedMemory* indexMemory = nullptr);
    ~CCaptureStore();
    CCaptureStore(const CCaptureStore&) = delete;
    CCaptureStore& operator=(const CCaptureStore&) = delete;

    // Empties the store and creates its scratch file of size bytes (held to
    // 8 MB .. 1 GB) in the folder: 0, STG_E_PATHNOTFOUND for a folder that
    // does not exist, or the storage form of the scratch file's Win32 error.
    // Posts fullness 0 afterwards.
    HRESULT CreateTempFile(const wchar_t* folder, uint32_t size);

    // Reader thread, no lock: the writable bytes at the scratch write
    // position, or a null window and LOG_E_FULL when no more than the full
    // reserve is left (or the store is not live). Posts the fullness.
    HRESULT AcquireWriteWindow(uint8_t** window, uint32_t* length);

    // Reader thread: indexes the records the driver wrote into the window
    // (which must be the one handed out, count at most its length) and moves
    // the write position past the records walked. 0; E_FAIL for a count below
    // the request offset, a window that is not the write position, or a store
    // that is not live; STG_E_INSUFFICIENTMEMORY when the index could not grow
    // (the records before stay indexed and stored); STG_E_ABNORMALAPIEXIT on
    // an unexpected exception.
    HRESULT CommitCapturedData(const uint8_t* window, uint32_t count);

    // Copies record `index` into the view's buffer and fills the view: 0,
    // STG_E_READFAULT for an index outside the index, or the read's error.
    HRESULT ReadRecordView(uint32_t index, CRecordView& view);
    // The record, its issue or completion companion, and for a mass-storage
    // data or status stage whose command needs it the command block of its
    // wrapper. The result is that of the last read.
    HRESULT ReadRecordPair(uint32_t index, CRecordPairView& pair);
    HRESULT GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY* entry);

    // Copies record bytes from a position: the scratch for a live store, the
    // data stream for an opened file. 0, STG_E_READFAULT, or the stream's
    // error.
    HRESULT ReadRecordBytes(uint32_t position, void* destination, uint32_t length, uint32_t* count);

    uint32_t GetRecordCount();
    bool IsLive() const { return live_.load(); }
    // No more than the full reserve is free (a store that is not live has no
    // room at all).
    bool IsFull() const;
    // What a full store does: WRAP_STOP_WHEN_FULL, the one mode it has (the
    // reader is refused further windows and the capture stops). Another mode
    // is refused and the store keeps stopping; whether the mode was taken.
    enum : int { WRAP_STOP_WHEN_FULL = 0 };
    bool SetWrapMode(int mode);
    int GetWrapMode() const { return wrapMode_; }
    bool Is64Bit() const { return is64Bit_; }
    // Records committed or cleared since the store was created or saved.
    bool HasUnsavedRecords() const { return unsavedRecords_; }
    FILETIME GetCreationTime() const { return creationTime_; }

    // Hands the blocks of a driver notification buffer to the name and HID
    // tables; whether a block was used. No store lock.
    bool AddDriverNotifications(const uint8_t* buffer, size_t length);

    void SetDriverInfo(const DRIVER_INFO& info);
    DRIVER_INFO GetDriverInfo();
    RECORD_LAYOUT GetRecordLayout();
    void SetDefaultLayout();
    // Empty driver information; the layout is invalid until information or
    // the default layout is set.
    void ResetDriverInfo();
    int64_t GetCounterFrequency();
    void SetCounterFrequency(int64_t frequency);
    int64_t GetFirstCounterStamp();
    CAPTURE_BASE_BLOCK GetBaseBlock();

    // Live store only: empties records, index, maps and tables and resets
    // the base block and driver information; posts fullness 0 and returns
    // whether that was posted. Nothing for a store that is not live.
    bool Clear();
    // Releases the content; the store is no longer live. The scratch file
    // stays until the next CreateTempFile (which reuses it for the same
    // folder and size) or the store's destruction.
    HRESULT Close();

    // Sizes of the records at the given positions (ascending, as in the
    // index): the distance to the next position, or for the last one (or when
    // the next is not larger) the record's own size field. 0 when a read
    // fails or the store is not live.
    void GetRecordSizes(const uint32_t* positions, uint32_t* sizes, uint32_t count);

    // Names by the object keys of a record's request part: the device object
    // (DWORDs at +0 and +4) and the driver object (+12 and +16).
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const;
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const;

    // ---- Capture files (capture/win/CaptureFile.cpp) ----
    // Saves the live log as a capture file at path: 0; STG_E_ACCESSDENIED for
    // a store that is not live or a read-only target; STG_E_WRITEFAULT for a
    // log without records; else the first storage or Win32 error (as an
    // HRESULT). Written under a temporary name in the target's folder that
    // replaces the target only when everything was written, so a failure
    // leaves the old file as it was. When nothing was committed since the log
    // was last saved to this same file, nothing is written and the result is
    // 0; any other path gets the whole log. WM_LOGPROGRESS goes to the target
    // (the main window when null): 1, 1-99 while records are written, 100
    // after success, 0 at the end.
    HRESULT SaveCaptureFile(const wchar_t* path, IMessageTarget* progress = nullptr);
    // Whether a file can be opened: 0, LOG_S_NEWER_FORMAT (ask first),
    // LOG_E_OLD_FORMAT, STG_E_FILENOTFOUND, STG_E_SHAREVIOLATION or
    // STG_E_DOCFILECORRUPT.
    static HRESULT CheckCaptureFileFormat(const wchar_t* path);
    // Opens a capture file into the store (not live; records are read from
    // the file's data stream, kept open) and rebuilds its index and tables:
    // 0, STG_E_FILENOTFOUND, STG_E_FILEALREADYEXISTS when a file is open
    // already, the error of opening the compound file, STG_E_DOCFILECORRUPT,
    // or STG_E_INSUFFICIENTMEMORY. A file from a 64-bit capture is refused
    // with a message. Records that do not lie wholly in the data stream are
    // left out; a file left without records is refused.
    HRESULT OpenCaptureFile(const wchar_t* path, IMessageTarget* progress = nullptr);
    // The records the last open left out because they could not be read.
    uint32_t GetSkippedRecords() const { return skippedRecords_; }
    // Whether the last failed open told the user why itself (the 64-bit
    // message), so that its caller does not say it again.
    bool OpenRefusalShown() const { return openRefusalShown_; }
    // Save As of a store opened from a capture file: the opened file is
    // copied whole into a temporary
    // file beside the target, which then replaces the target; a failure
    // leaves the target as it was. STG_E_ACCESSDENIED for a live store or a
    // read-only target. Progress 1, 100 on success, 0 at the end.
    HRESULT SaveOpenedCaptureFile(const wchar_t* path, IMessageTarget* progress = nullptr);

    // The log's HID report descriptors, and the parsed cache (the global one)
    // that is emptied with them.
    CHIDDeviceRDHash& GetRDHash() { return hidDescriptors_; }
    void SetHIDDataHash(CHIDDeviceDataHash* cache) { hidCache_ = cache; }
    CHIDDeviceDataHash* GetHIDDataHash() const { return hidCache_.load(); }

protected:
    // The opened capture file: root storage, storage "0000" and its data
    // stream (null for a live store). The capture-file operations fill them.
    IStorage* rootStorage_ = nullptr;
    IStorage* storage0000_ = nullptr;
    IStream* dataStream_ = nullptr;
    uint32_t skippedRecords_ = 0;
    bool openRefusalShown_ = false;

    // Releases the opened file and empties index, maps, tables and base block.
    void ReleaseContent();

private:
    class CLock;
    class CTableSink;
    class CFileIo;   // the capture-file steps (capture/win/CaptureFile.cpp)

    HRESULT ReadRecordViewLocked(uint32_t index, CRecordView& view);
    void EmptyIndexAndTables();

    mutable CRITICAL_SECTION lock_;
    std::atomic<bool> live_{false};
    bool is64Bit_ = false;
    FILETIME creationTime_{};
    CAPTURE_BASE_BLOCK baseBlock_;
    DRIVER_INFO driverInfo_;
    RECORD_LAYOUT layout_{};
    uint32_t saveCount_ = 0;
    CRecordIndexArray index_;
    CRecordIndexer indexer_;   // the sequence, pending-command and device-kind maps
    bool unsavedRecords_ = false;
    CScratchBuffer scratch_;
    uint32_t fullReserve_ = 0;
    int wrapMode_ = WRAP_STOP_WHEN_FULL;
    CDriverNameHash driverNames_;
    CDeviceNameHash deviceNames_;
    CHIDDeviceRDHash hidDescriptors_;
    std::atomic<CHIDDeviceDataHash*> hidCache_{nullptr};
    CFullnessNotifier fullness_;
    // The file this log was last saved to, and the creation time of the log
    // then (a new scratch file starts a new log).
    std::wstring savedPath_;
    FILETIME savedCreationTime_{};
};

} // namespace brx
