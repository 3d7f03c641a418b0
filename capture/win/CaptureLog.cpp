#include "capture/win/CaptureLog.h"

#include <cwchar>
#include <new>

#include "base/ByteReader.h"
#include "base/win/WaitCursor.h"
#include "capture/Filter.h"
#include "capture/Product.h"
#include "capture/Result.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/MessageTarget.h"
#include "capture/win/Preferences.h"
#include "capture/win/Prompts.h"
#include "capture/win/SystemHelpers.h"
#include "capture/win/SystemSeams.h"

namespace brx {

namespace {

CLogManager* g_logManager = nullptr;
std::atomic<RecentFileHook> g_recentFileHook{nullptr};

const wchar_t* ProductName() { return reinterpret_cast<const wchar_t*>(GetProductNameW()); }

std::wstring Decimal(uint32_t value) {
    wchar_t text[16];
    swprintf(text, 16, L"%u", value);
    return text;
}

// The system's text for a storage or Win32 code.
std::wstring ErrorText(HRESULT code) {
    wchar_t text[512] = {};
    SystemErrorText(StgErrorToWin32(static_cast<HRESULT32>(code)), text, 512);
    return text;
}

// A message on a failure: the text, then the system's text for the code.
void ShowFailure(const std::wstring& text, HRESULT code) {
    AppMessageBox((text + ErrorText(code)).c_str(), nullptr, MB_ICONEXCLAMATION);
}

// Why a capture file was not opened: the file is missing, held by another
// process, damaged, or the system's text for any other failure.
void ShowOpenRefusal(const wchar_t* path, HRESULT code) {
    const wchar_t* format = L"Cannot open the log file %s.\n\n";
    UINT icon = MB_ICONEXCLAMATION;
    if (code == STG_E_FILENOTFOUND) {
        format = L"The log file %s was not found.\n";
    } else if (code == STG_E_SHAREVIOLATION) {
        format = L"Cannot access the log file %s because it is being used by another process.\n";
    } else if (code == STG_E_DOCFILECORRUPT) {
        format = L"The log file %s appears to be damaged or corrupted.\n";
        icon = MB_ICONHAND;
    }
    std::wstring text = format;
    text.replace(text.find(L"%s"), 2, path);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\n\n") == 0) text += ErrorText(code);
    AppMessageBox(text.c_str(), nullptr, icon);
}

// The file name part of a path (after the last '\', '/' or ':'), at most 256
// characters.
std::wstring FileTitle(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    std::wstring title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (title.size() > 256) title.resize(256);
    return title;
}

bool SamePath(const std::wstring& a, const wchar_t* b) {
    const size_t n = wcslen(b);
    if (a.size() != n || n == 0 || n > static_cast<size_t>(INT_MAX)) return false;
    return CompareStringOrdinal(a.c_str(), static_cast<int>(n), b, static_cast<int>(n), TRUE) == CSTR_EQUAL;
}

// The full form of a path; the path itself when it cannot be had.
std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH + 1] = {};
    const DWORD n = GetFullPathNameW(path, MAX_PATH + 1, full, nullptr);
    return n > 0 && n <= MAX_PATH ? std::wstring(full) : std::wstring(path);
}


} // namespace

uint32_t NextSmallerTempFileSize(uint32_t size) {
    if (size <= MIN_TEMP_FILE_SIZE) return 0;
    // Sizes between 8 and 16 MB would round down to 0: 8 MB is the last try.
    const uint32_t next = (size - size / 8) & TEMP_FILE_SIZE_MASK;
    return next < MIN_TEMP_FILE_SIZE ? MIN_TEMP_FILE_SIZE : next;
}

void SetRecentFileHook(RecentFileHook hook) { g_recentFileHook.store(hook); }

const wchar_t kTextDiskFull[] =
    L"The disk is full. Free some space on it, or save the file on another disk.";

// ---------------------------------------------------------------------------
// CCaptureLog

CCaptureLog::CCaptureLog(CFilter* filter, IMessageTarget* messages)
    : filter_(filter), messages_(messages), store_(messages) {}

CCaptureLog::~CCaptureLog() {
    if (owner_) owner_->RemoveLog(this);
}

CFilter& CCaptureLog::Filter() const { return filter_ ? *filter_ : GetRecordFilter(); }

void CCaptureLog::Notify(uint32_t code) { Filter().OnLogNotify(code); }

void CCaptureLog::ApplyFilterOff() { Filter().Apply(0); }

BOOL CCaptureLog::CreateTempCaptureFile() {
    try {
        // 1. An empty log.
        store_.Close();
        Notify(LOG_NOTIFY_CLEARED);
        path_.clear();
        SetModifiedFlag(false);
        ApplyFilterOff();

        // 2.
        CPreferences& preferences = GetPreferences();
        wchar_t folder[MAX_PATH + 1] = {};
        preferences.GetTempDirectory(folder, MAX_PATH + 1);
        const uint32_t firstSize = preferences.GetTempFileSize();
        uint32_t size = firstSize;
        bool retriedFolder = false;

        // 3.
        for (;;) {
            HRESULT hr = DiskHasRoomFor(folder, size) ? store_.CreateTempFile(folder, size)
                                                   : static_cast<HRESULT>(STG_E_MEDIUMFULL);
            if (hr == STG_E_PATHNOTFOUND && !retriedFolder) {
                std::wstring text = L"The temporary capture file directory ";
                text += folder;
                text += L" does not exist.\nThe default directory will be used. You can change it in the "
                        L"Preferences dialog box.";
                AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
                if (!preferences.SetDefaultTempDirectory()) return FALSE;
                preferences.GetTempDirectory(folder, MAX_PATH + 1);
                retriedFolder = true;
                continue;
            }
            if (SUCCEEDED(hr)) {
                if (size != firstSize) {
                    preferences.SetTempFileSize(size);
                    const wchar_t drive[3] = {folder[0], L':', 0};
                    std::wstring text = L"The temporary capture file size has been reduced from ";
                    text += Decimal(firstSize >> 20);
                    text += L" MB to ";
                    text += Decimal(size >> 20);
                    text += L" MB due to low free space on disk ";
                    text += drive;
                    text += L".";
                    AppMessageBox(text.c_str(), nullptr, MB_ICONINFORMATION);
                }
                Notify(LOG_NOTIFY_NEW);
                return TRUE;
            }
            if (hr == STG_E_MEDIUMFULL) {
                const uint32_t next = NextSmallerTempFileSize(size);
                if (next != 0) {
                    size = next;
                    continue;
                }
                std::wstring text = L"Cannot create the temporary capture file in ";
                text += folder;
                text += L" directory due to lack of disk space.\n\nTry freeing up disk space on the disks or "
                        L"change the temporary capture file directory in the Preferences dialog box.";
                AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
                return FALSE;
            }
            ShowFailure(std::wstring(L"Cannot create the temporary capture file in ") + folder + L" directory.\n\n", hr);
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

BOOL CCaptureLog::OpenFile(const wchar_t* path) {
    bool opened = false;
    HRESULT refusal = E_UNEXPECTED;
    try {
        store_.Close();
        Notify(LOG_NOTIFY_CLEARED);
        SetModifiedFlag(false);
        CWaitCursor wait;
        refusal = store_.OpenCaptureFile(path, messages_);
        opened = SUCCEEDED(refusal);
    } catch (...) {
        opened = false;
    }
    if (opened) {
        ApplyFilterOff();
        Notify(LOG_NOTIFY_OPENED);
        SetModifiedFlag(false);
        // Records that could not be read were left out: the user is told
        // how many, so that a damaged file never passes for a whole one.
        if (const uint32_t skipped = store_.GetSkippedRecords()) {
            std::wstring text = Decimal(skipped);
            text += skipped == 1 ? L" record of the log file " : L" records of the log file ";
            text += path;
            text += skipped == 1 ? L" could not be read and was left out." : L" could not be read and were left out.";
            AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
        }
        return TRUE;
    }
    // Every refused file says why, unless the store said so already.
    if (!store_.OpenRefusalShown()) ShowOpenRefusal(path, refusal);
    store_.Close();
    CreateTempCaptureFile();
    return FALSE;
}

HRESULT CCaptureLog::CheckFileFormat(const wchar_t* path) { return CCaptureStore::CheckCaptureFileFormat(path); }

BOOL CCaptureLog::WriteFile(const wchar_t* path) {
    // A log opened from a file is that file: saving it to its own path has
    // nothing to write, another path gets a copy of the whole file.
    if (!store_.IsLive() && !path_.empty() && SamePath(path_, FullPath(path).c_str())) {
        SetModifiedFlag(false);
        return TRUE;
    }
    HRESULT hr;
    try {
        CWaitCursor wait;
        hr = store_.IsLive() ? store_.SaveCaptureFile(path, messages_) : store_.SaveOpenedCaptureFile(path, messages_);
    } catch (...) {
        return FALSE;
    }
    if (SUCCEEDED(hr)) {
        SetModifiedFlag(false);
        return TRUE;
    }
    if (hr == STG_E_MEDIUMFULL) {
        // Found before anything was written, or by a write: the same words.
        std::wstring text = std::wstring(L"Cannot save the log file ") + path + L".\n\n" + kTextDiskFull;
        AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
        return FALSE;
    }
    ShowFailure(std::wstring(L"Cannot save the log file ") + path + L".\n\n", hr);
    return FALSE;
}

BOOL CCaptureLog::DoSave(const wchar_t* path, BOOL setPath) {
    // A live log without records (new, or cleared) has nothing to write: it
    // is saved as a new log, untitled and without a path, and no file is
    // touched, so that saving a cleared log neither fails nor empties the
    // capture file it was saved to before (which opens again with its
    // records).
    if (store_.IsLive() && store_.GetRecordCount() == 0) {
        SetModifiedFlag(false);
        if (setPath) {
            path_.clear();
            SetTitle(L"Untitled");
        }
        return TRUE;
    }
    // 1. The name.
    std::wstring name = path ? path : path_;
    if (name.empty() && setPath) {
        name = title_.substr(0, title_.find_first_of(L":/\\"));
        std::wstring extension;
        if (owner_ && owner_->GetDocString(extension, CLogTemplate::EXTENSION_STRING) && !extension.empty()) {
            name += L'.';
            name += extension;
        }
    }
    // 2. Asked when no path was given.
    const bool asked = path == nullptr;
    if (asked) {
        if (!owner_ || !GetLogManager()) return FALSE;
        if (!owner_->PromptFileName(name, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, FALSE)) return FALSE;
    }
    // 3. A failed write of a file that was not there before leaves none
    // behind; a file that existed stays as it was (saving replaces it only
    // once everything was written).
    const bool existed = GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
    BOOL written;
    {
        CWaitCursor wait;
        written = WriteFile(name.c_str());
    }
    if (!written) {
        if (asked && !existed) DeleteFileW(name.c_str());
        return FALSE;
    }
    // 4. A log opened from a file that was saved under another name becomes
    // that file: it holds the file it is named after, and the file it came
    // from is free to be opened again.
    if (setPath && !store_.IsLive() && !SamePath(path_, FullPath(name.c_str()).c_str())) {
        if (!OpenFile(name.c_str())) {
            SetTitle(L"Untitled");
            return TRUE;   // saved; the log fell back to a new one
        }
    }
    if (setPath) SetPathName(name.c_str(), TRUE);
    return TRUE;
}

BOOL CCaptureLog::Save() {
    const DWORD attributes = path_.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path_.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return DoSave(nullptr, TRUE);
    const std::wstring path = path_;
    return DoSave(path.c_str(), TRUE);
}

BOOL CCaptureLog::SaveAs() { return DoSave(nullptr, TRUE); }

BOOL CCaptureLog::SaveModified() {
    if (!IsModified()) return TRUE;
    std::wstring name = path_.empty() ? (title_.empty() ? std::wstring(L"Untitled") : title_) : FileTitle(path_);
    std::wstring text = L"Save changes to " + name;
    switch (AppMessageBox(text.c_str(), nullptr, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return Save() ? TRUE : FALSE;
    default:
        return TRUE;
    }
}

void CCaptureLog::Clear() {
    store_.Clear();
    Notify(LOG_NOTIFY_CLEARED);
    SetModifiedFlag(true);
}

void CCaptureLog::Close() {
    store_.Close();
    Notify(LOG_NOTIFY_CLEARED);
    if (autoDelete_) delete this;
}

HRESULT32 CCaptureLog::AcquireWriteWindow(uint8_t** window, uint32_t* length) {
    Notify(LOG_NOTIFY_BEFORE);
    const HRESULT hr = store_.AcquireWriteWindow(window, length);
    Notify(LOG_NOTIFY_AFTER);
    if (static_cast<HRESULT32>(hr) == LOG_E_FULL) Notify(LOG_NOTIFY_FULL);
    return static_cast<HRESULT32>(hr);
}

HRESULT32 CCaptureLog::CommitCapturedData(uint8_t* window, uint32_t count) {
    Notify(LOG_NOTIFY_BEFORE);
    const HRESULT hr = store_.CommitCapturedData(window, count);
    if (store_.GetRecordCount() != 0) SetModifiedFlag(true);
    Notify(LOG_NOTIFY_AFTER);
    return static_cast<HRESULT32>(hr);
}

void CCaptureLog::OnCaptureEnded(CaptureEnd end, uint32_t win32Error) {
    IMessageTarget& target = messages_ ? *messages_ : MainWindowTarget();
    target.Post(WM_CAPTUREENDED, static_cast<uintptr_t>(end), static_cast<intptr_t>(win32Error));
}

void CCaptureLog::SetTitle(const wchar_t* name) {
    title_ = name ? name : L"";
    UpdateMainTitle();
}

void CCaptureLog::UpdateMainTitle() {
    HWND main = GetAppMainWindow();
    if (!main) return;
    std::wstring text = title_ + L" - " + ProductName();
    SetWindowTextW(main, text.c_str());
}

void CCaptureLog::SetPathName(const wchar_t* path, BOOL addToRecent) {
    path_ = FullPath(path);
    SetTitle(FileTitle(path_).c_str());
    if (addToRecent)
        if (RecentFileHook hook = g_recentFileHook.load()) hook(path_.c_str());
}

BOOL CCaptureLog::GetSequenceRange(uint32_t& first, uint32_t& last) {
    first = last = 0;
    try {
        const uint32_t count = store_.GetRecordCount();
        if (count == 0) return FALSE;
        uint8_t buffer[24];
        CRecordView view;
        view.Init(buffer, sizeof buffer);
        if (SUCCEEDED(store_.ReadRecordView(0, view)) && view.copied > 7)
            ByteReader(buffer, view.copied).u32le(RECORD_SEQUENCE_OFFSET, first);
        view.Init(buffer, sizeof buffer);
        if (SUCCEEDED(store_.ReadRecordView(count - 1, view)) && view.copied > 7)
            ByteReader(buffer, view.copied).u32le(RECORD_SEQUENCE_OFFSET, last);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// ---------------------------------------------------------------------------
// CLogTemplate

CLogTemplate::CLogTemplate(CFilter* filter, IMessageTarget* messages) : filter_(filter), messages_(messages) {}

CLogTemplate::~CLogTemplate() {
    if (CCaptureLog* log = log_.exchange(nullptr)) {
        log->SetTemplate(nullptr);
        delete log;
    }
}

void CLogTemplate::SetStrings(const wchar_t* filter, const wchar_t* extension, const wchar_t* progId,
                              const wchar_t* typeName) {
    strings_[FILTER_STRING] = filter ? filter : L"";
    strings_[EXTENSION_STRING] = extension ? extension : L"";
    strings_[PROGID_STRING] = progId ? progId : L"";
    strings_[TYPE_NAME_STRING] = typeName ? typeName : L"";
}

BOOL CLogTemplate::GetDocString(std::wstring& out, int index) const {
    if (index < 0 || index > 3) {
        out.clear();
        return FALSE;
    }
    out = strings_[index];
    return TRUE;
}

CCaptureLog* CLogTemplate::CreateLog() {
    CCaptureLog* log = new (std::nothrow) CCaptureLog(filter_, messages_);
    if (log) AttachLog(log);
    return log;
}

void CLogTemplate::AttachLog(CCaptureLog* log) {
    log->SetTemplate(this);
    log_.store(log);
}

void CLogTemplate::RemoveLog(CCaptureLog* log) {
    CCaptureLog* expected = log;
    log_.compare_exchange_strong(expected, nullptr);
    log->SetTemplate(nullptr);
}

void CLogTemplate::SetDefaultTitle(CCaptureLog& log) { log.SetTitle(L"Untitled"); }

int CLogTemplate::MatchDocument(const wchar_t* path, CCaptureLog*& log) const {
    log = nullptr;
    CCaptureLog* open = log_.load();
    if (!open || !path || !*path) return MATCH_NONE;
    if (!SamePath(open->GetPathName(), path) && !SamePath(open->GetPathName(), FullPath(path).c_str()))
        return MATCH_NONE;
    log = open;
    return MATCH_OPEN;
}

BOOL CLogTemplate::PromptFileName(std::wstring& path, DWORD flags, BOOL open) {
    std::wstring filter = strings_[FILTER_STRING];
    for (wchar_t& c : filter)
        if (c == L';') c = 0;
    filter.push_back(0);   // the list ends with two NULs
    wchar_t file[MAX_PATH] = {};
    wcsncpy(file, path.c_str(), MAX_PATH - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetAppMainWindow();
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = strings_[EXTENSION_STRING].empty() ? nullptr : strings_[EXTENSION_STRING].c_str();
    dialog.Flags = flags | OFN_ENABLESIZING | OFN_EXPLORER | OFN_EXTENSIONDIFFERENT | OFN_HIDEREADONLY |
                   OFN_OVERWRITEPROMPT | (open ? OFN_FILEMUSTEXIST : OFN_PATHMUSTEXIST);
    const BOOL chosen = open ? Prompts().GetOpenFileNameW(&dialog) : Prompts().GetSaveFileNameW(&dialog);
    if (chosen) path = file;
    return chosen;
}

CCaptureLog* CLogTemplate::OpenLogFile(const wchar_t* path, BOOL visible) {
    (void)visible;
    // 1.-2.
    CCaptureLog* log = log_.load();
    bool created = false;
    lastOpen_ = OpenOutcome::Failed;
    if (log) {
        if (!log->SaveModified()) {
            lastOpen_ = OpenOutcome::Declined;
            return nullptr;
        }
    } else {
        log = CreateLog();
        created = true;
        if (!log) {
            AppMessageBox(L"Failed to create empty log.", nullptr, MB_ICONHAND);
            return nullptr;
        }
    }

    // A log made for this open that cannot have the file becomes a new,
    // empty log: the program always has one.
    auto fallBack = [&]() -> CCaptureLog* {
        if (created) {
            SetDefaultTitle(*log);
            if (!log->CreateTempCaptureFile()) delete log;
        }
        return nullptr;
    };

    // 4. A new log.
    if (!path) {
        SetDefaultTitle(*log);
        if (!log->CreateTempCaptureFile()) {
            if (created) delete log;
            return nullptr;
        }
        lastOpen_ = OpenOutcome::Opened;
        return log;
    }

    // 3. A capture file.
    const HRESULT check = CCaptureLog::CheckFileFormat(path);
    const HRESULT32 code = static_cast<HRESULT32>(check);
    if (code == LOG_E_OLD_FORMAT) {
        std::wstring text = L"You are trying to open the file \"";
        text += path;
        text += L"\" that was saved in an older file format. The older file format is no longer supported.\n\n";
        AppMessageBox(text.c_str(), nullptr, MB_ICONEXCLAMATION);
        return fallBack();
    }
    if (code == LOG_S_NEWER_FORMAT) {
        std::wstring text = L"The file \"";
        text += path;
        text += L"\" was created by newer version of ";
        text += ProductName();
        text += L". This file cannot be converted and an attempt to open it may lead to a program crash.\n\n"
                L"Do you want to proceed anyway?";
        if (AppMessageBox(text.c_str(), nullptr, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION) != IDYES) {
            CCaptureLog* result = fallBack();
            lastOpen_ = OpenOutcome::Declined;
            return result;
        }
    } else if (check != S_OK) {
        ShowOpenRefusal(path, check);
        return fallBack();
    }

    log->SetModifiedFlag(false);
    BOOL opened;
    {
        CWaitCursor wait;
        opened = log->OpenFile(path);
    }
    if (!opened) {
        // The log now holds a new temporary file (or none, when that failed
        // too) and no path: it is an untitled log, never the old file's, so
        // that a later save cannot write other records over that file.
        SetDefaultTitle(*log);
        return nullptr;
    }
    log->SetPathName(path, TRUE);
    lastOpen_ = OpenOutcome::Opened;
    return log;
}

// ---------------------------------------------------------------------------
// CLogManager

CLogManager::CLogManager(CFilter* filter) : filter_(filter) {
    g_logManager = this;
    CFilter& f = filter ? *filter : GetRecordFilter();
    f.SetLogSource([]() -> IFilterLog* { return GetActiveLog(); });
}

CLogManager::~CLogManager() {
    if (g_logManager == this) g_logManager = nullptr;
    if (template_ && template_->autoDelete) delete template_;
    template_ = nullptr;
}

void CLogManager::SetTemplate(CLogTemplate* logTemplate) {
    if (logTemplate) template_ = logTemplate;
}

CCaptureLog* CLogManager::OpenLog(const wchar_t* path) {
    if (!template_) return nullptr;
    CCaptureLog* log = nullptr;
    if (template_->MatchDocument(path, log) == CLogTemplate::MATCH_OPEN) return log;
    return template_->OpenLogFile(path, TRUE);
}

bool CLogManager::LastOpenFailed() const {
    return template_ && template_->LastOpenOutcome() == CLogTemplate::OpenOutcome::Failed;
}

CCaptureLog* CLogManager::NewLog() { return template_ ? template_->OpenLogFile(nullptr, TRUE) : nullptr; }

CCaptureLog* CLogManager::OpenLogPrompt(const wchar_t* path) {
    std::wstring name = path ? path : L"";
    if (!path) {
        if (!template_ || !template_->PromptFileName(name, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, TRUE)) return nullptr;
    }
    return OpenLog(name.c_str());
}

CLogManager* GetLogManager() { return g_logManager; }

CCaptureLog* GetActiveLog() {
    CLogManager* manager = g_logManager;
    CLogTemplate* t = manager ? manager->GetTemplate() : nullptr;
    return t ? t->GetLog() : nullptr;
}

CHIDDeviceRDHash* GetActiveRDHash() {
    CCaptureLog* log = GetActiveLog();
    return log ? &log->GetRDHash() : nullptr;
}

CHIDDeviceDataHash* GetActiveHIDDataHash() {
    CCaptureLog* log = GetActiveLog();
    return log ? log->GetHIDDataHash() : nullptr;
}

BOOL IsActiveLogModified() {
    CCaptureLog* log = GetActiveLog();
    return log && log->IsModified();
}

BOOL IsActiveLogLive() {
    CCaptureLog* log = GetActiveLog();
    return log && log->IsLive();
}

BOOL IsActiveLogFull() {
    CCaptureLog* log = GetActiveLog();
    return !log || log->IsFull();
}

BOOL IsActiveLogEmpty() {
    CCaptureLog* log = GetActiveLog();
    return !log || log->IsEmpty();
}

} // namespace brx
