// The capture log: the one open log of the program with its display name,
// path, modified flag and record store. It creates the temporary capture file
// of a new log (smaller when the disk is short of space), opens and saves
// capture files, asks to save changes, keeps the main window's title, and
// tells the record filter about every change so that the capture list
// follows. CLogTemplate holds the file-type strings and the single log;
// CLogManager (one, created at start-up) is the entry for New, Open and the
// open-file prompt. There is never more than one log: opening or creating
// reuses the existing log object.
//
// Threads: the reader thread calls only the ICaptureTarget calls marked for
// it (write window, commit, notification blocks); everything else runs on
// the user-interface thread. Notifications reach the filter, which posts them
// on, so the reader thread never waits for the list.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "capture/FilterLog.h"
#include "capture/MessageTarget.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/CaptureTarget.h"

namespace brx {

class CFilter;
class CLogTemplate;
class CLogManager;

// Posted to the main window when a capture ended by itself (wParam =
// CaptureEnd, lParam = the Win32 error of a read error); the main frame
// answers with CCaptureDriver::HandleCaptureEnd.
constexpr uint32_t WM_CAPTUREENDED = 0x0400 + 5;

// Temporary capture file sizes.
constexpr uint32_t MIN_TEMP_FILE_SIZE = 0x800000;    // 8 MB
constexpr uint32_t TEMP_FILE_SIZE_MASK = 0xFF800000; // multiples of 8 MB

// The next size to try after a temporary file of `size` did not fit: one
// eighth less, rounded down to 8 MB; 0 when `size` was 8 MB or less.
uint32_t NextSmallerTempFileSize(uint32_t size);

// What a save that found the disk full says after "Cannot save the log file
// <path>.": "The disk is full. Free some space on it, or save the file on
// another disk."
extern const wchar_t kTextDiskFull[];

// Where a saved or opened file's path goes: the application's recent-file
// list. Null (the default) adds nothing.
using RecentFileHook = void (*)(const wchar_t* path);
void SetRecentFileHook(RecentFileHook hook);

class CCaptureLog final : public ICaptureTarget, public IFilterLog {
public:
    // filter: the record filter told about every change (the program's one
    // when null); messages: the target of fullness, progress and capture
    // ends (the main window when null).
    explicit CCaptureLog(CFilter* filter = nullptr, IMessageTarget* messages = nullptr);
    // Detaches the log from its template.
    ~CCaptureLog() override;
    CCaptureLog(const CCaptureLog&) = delete;
    CCaptureLog& operator=(const CCaptureLog&) = delete;

    // A new empty temporary capture file: notification 5, then 1 on success.
    // On a disk short of space the size shrinks in steps of an eighth
    // (multiples of 8 MB) down to 8 MB, and the new size is kept in the
    // preferences.
    BOOL CreateTempCaptureFile();
    // Opens a capture file into the log (notification 2); on failure the log
    // falls back to a new temporary file. Whether the file was opened.
    BOOL OpenFile(const wchar_t* path);
    static HRESULT CheckFileFormat(const wchar_t* path);
    // Writes the log as a capture file: modified 0 on success, a message on
    // failure.
    BOOL WriteFile(const wchar_t* path);
    // Saves to path, or asks for a name when path is null; setPath makes the
    // saved file the log's path. A live log without records writes nothing
    // and asks nothing: it succeeds as an untitled new log.
    BOOL DoSave(const wchar_t* path, BOOL setPath);
    BOOL Save();
    BOOL SaveAs();
    // Asks to save a modified log: 1 to go on, 0 to stay (cancel, or the
    // save failed).
    BOOL SaveModified();
    // Empties the records of a live log (notification 5); the log is
    // modified.
    void Clear();
    // Releases the store (notification 5); deletes the log when auto-delete
    // is set.
    void Close();

    void SetTitle(const wchar_t* name);
    void UpdateMainTitle();
    void SetPathName(const wchar_t* path, BOOL addToRecent);
    const std::wstring& GetTitle() const { return title_; }
    const std::wstring& GetPathName() const { return path_; }

    // Read and written from both threads.
    bool IsModified() const { return modified_.load(); }
    void SetModifiedFlag(bool modified) { modified_.store(modified); }
    void SetAutoDelete(bool on) { autoDelete_ = on; }

    CLogTemplate* GetTemplate() const { return owner_; }
    void SetTemplate(CLogTemplate* owner) { owner_ = owner; }

    // The sequence numbers of the first and last record; 0 without records.
    BOOL GetSequenceRange(uint32_t& first, uint32_t& last);

    // Forwards to the store.
    bool IsLive() const { return store_.IsLive(); }
    // The store's wrap mode: 0, stop when full, is the one it has (the
    // application sets it for every new log).
    bool SetWrapMode(int mode) { return store_.SetWrapMode(mode); }
    bool IsEmpty() { return store_.GetRecordCount() == 0; }
    int64_t GetCounterFrequency() { return store_.GetCounterFrequency(); }
    int64_t GetFirstCounterStamp() { return store_.GetFirstCounterStamp(); }
    CHIDDeviceRDHash& GetRDHash() { return store_.GetRDHash(); }
    void SetHIDDataHash(CHIDDeviceDataHash* cache) { store_.SetHIDDataHash(cache); }
    CHIDDeviceDataHash* GetHIDDataHash() const { return store_.GetHIDDataHash(); }
    uint32_t LookupDeviceName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
        return store_.LookupDeviceName(key, out, capacity);
    }
    uint32_t LookupDriverName(OBJECT_KEY key, char16_t* out, uint32_t capacity) const {
        return store_.LookupDriverName(key, out, capacity);
    }
    CCaptureStore& GetStore() { return store_; }

    // IFilterLog.
    uint32_t GetRecordCount() override { return store_.GetRecordCount(); }
    HRESULT32 GetIndexEntry(uint32_t index, RECORD_INDEX_ENTRY& entry) override {
        return static_cast<HRESULT32>(store_.GetIndexEntry(index, &entry));
    }
    HRESULT32 ReadRecord(uint32_t index, CRecordView& view) override {
        return static_cast<HRESULT32>(store_.ReadRecordView(index, view));
    }
    HRESULT32 ReadRecordPair(uint32_t index, CRecordPairView& pair) override {
        return static_cast<HRESULT32>(store_.ReadRecordPair(index, pair));
    }
    RECORD_LAYOUT GetRecordLayout() override { return store_.GetRecordLayout(); }

    // ICaptureTarget.
    bool IsFull() override { return store_.IsFull(); }
    void SetCounterFrequency(uint64_t frequency) override {
        store_.SetCounterFrequency(static_cast<int64_t>(frequency));
    }
    void SetDriverInfo(const DRIVER_INFO& info) override { store_.SetDriverInfo(info); }
    bool AddDriverNotifications(const uint8_t* buffer, uint32_t length) override {
        return store_.AddDriverNotifications(buffer, length);
    }
    // Reader thread: notifications 3 and 4 around the store's window, 6
    // after 4 when the store is full.
    HRESULT32 AcquireWriteWindow(uint8_t** window, uint32_t* length) override;
    // Reader thread: notifications 3 and 4 around the store's commit; the
    // log is modified once the store holds records.
    HRESULT32 CommitCapturedData(uint8_t* window, uint32_t count) override;
    // Reader thread: posts WM_CAPTUREENDED, nothing else.
    void OnCaptureEnded(CaptureEnd end, uint32_t win32Error) override;

private:
    void Notify(uint32_t code);
    void ApplyFilterOff();
    CFilter& Filter() const;

    std::wstring title_;
    std::wstring path_;
    CLogTemplate* owner_ = nullptr;
    std::atomic<bool> modified_{false};
    bool autoDelete_ = true;
    CFilter* filter_;
    IMessageTarget* messages_;
    CCaptureStore store_;
};

class CLogTemplate {
public:
    CLogTemplate(CFilter* filter = nullptr, IMessageTarget* messages = nullptr);
    // Deletes its log.
    virtual ~CLogTemplate();
    CLogTemplate(const CLogTemplate&) = delete;
    CLogTemplate& operator=(const CLogTemplate&) = delete;

    // Nonzero: the manager deletes the template when it goes.
    uint32_t autoDelete = 1;

    enum : int { FILTER_STRING = 0, EXTENSION_STRING = 1, PROGID_STRING = 2, TYPE_NAME_STRING = 3 };
    void SetStrings(const wchar_t* filter, const wchar_t* extension, const wchar_t* progId,
                    const wchar_t* typeName);
    // The string at index 0-3; empty and 0 for other indices.
    BOOL GetDocString(std::wstring& out, int index) const;

    // A new log attached to the template.
    CCaptureLog* CreateLog();
    void AttachLog(CCaptureLog* log);
    void RemoveLog(CCaptureLog* log);
    CCaptureLog* GetLog() const { return log_.load(); }

    void SetDefaultTitle(CCaptureLog& log);
    enum : int { MATCH_NONE = 3, MATCH_OPEN = 5 };
    // MATCH_OPEN with the log when its path equals path (letter case
    // ignored), else MATCH_NONE with null.
    int MatchDocument(const wchar_t* path, CCaptureLog*& log) const;
    // The open or save dialog through the prompts; path in and out.
    BOOL PromptFileName(std::wstring& path, DWORD flags, BOOL open);
    // Opens a capture file (path) or starts a new log (null) in the single
    // log: the log, or null when nothing was opened.
    CCaptureLog* OpenLogFile(const wchar_t* path, BOOL visible);
    // How the last OpenLogFile ended: opened, declined by the user (Cancel at
    // "Save changes?", No to a file of a newer version) or failed (the file
    // cannot be opened, or no log could be made).
    enum class OpenOutcome { Opened, Declined, Failed };
    OpenOutcome LastOpenOutcome() const { return lastOpen_; }

private:
    std::wstring strings_[4];
    std::atomic<CCaptureLog*> log_{nullptr};
    CFilter* filter_;
    IMessageTarget* messages_;
    OpenOutcome lastOpen_ = OpenOutcome::Opened;
};

class CLogManager {
public:
    // Becomes the program's log manager (GetActiveLog) and the source of the
    // filter's log (the program's filter when null).
    explicit CLogManager(CFilter* filter = nullptr);
    virtual ~CLogManager();
    CLogManager(const CLogManager&) = delete;
    CLogManager& operator=(const CLogManager&) = delete;

    virtual CCaptureLog* OpenLog(const wchar_t* path);
    virtual CCaptureLog* NewLog();
    // With a null path asks for a file to open first.
    virtual CCaptureLog* OpenLogPrompt(const wchar_t* path);
    // Whether the last open failed because of the file (not because the
    // user declined it): only then is the file worth forgetting.
    bool LastOpenFailed() const;

    // Takes the template (ignored when null).
    void SetTemplate(CLogTemplate* logTemplate);
    CLogTemplate* GetTemplate() const { return template_; }

private:
    CLogTemplate* template_ = nullptr;
    CFilter* filter_;
};

// The program's log manager, null when there is none.
CLogManager* GetLogManager();

// The log of the log manager's template, null when there is none.
CCaptureLog* GetActiveLog();
CHIDDeviceRDHash* GetActiveRDHash();
// The parsed-descriptor cache the active log's decoders read through, or null.
CHIDDeviceDataHash* GetActiveHIDDataHash();
BOOL IsActiveLogModified();   // 0 without a log
BOOL IsActiveLogLive();       // 0 without a log
BOOL IsActiveLogFull();       // 1 without a log
BOOL IsActiveLogEmpty();      // 1 without a log or records

} // namespace brx
