// Save As of a log opened from a capture file: the opened compound file is
// copied whole (its records, index, tables and properties as they are) into a
// new file beside the target, which replaces the target only once everything
// was written.
#include <string>

#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureStore.h"

namespace brx {

namespace {

HRESULT LastErrorAsHresult() {
    const DWORD e = GetLastError();
    return HRESULT_FROM_WIN32(e ? e : ERROR_GEN_FAILURE);
}

class CGuard {
public:
    explicit CGuard(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~CGuard() { LeaveCriticalSection(&cs_); }
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

} // namespace

HRESULT CCaptureStore::SaveOpenedCaptureFile(const wchar_t* path, IMessageTarget* progressTarget) {
    if (!path || !*path) return STG_E_INVALIDNAME;
    wchar_t full[MAX_PATH + 1] = {};
    const DWORD n = GetFullPathNameW(path, MAX_PATH + 1, full, nullptr);
    if (n == 0 || n > MAX_PATH) return STG_E_INVALIDNAME;
    const std::wstring target(full);
    const size_t slash = target.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return STG_E_INVALIDNAME;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return STG_E_ACCESSDENIED;

    CGuard guard(lock_);
    if (live_.load() || !rootStorage_) return STG_E_ACCESSDENIED;
    IMessageTarget& progress = progressTarget ? *progressTarget : MainWindowTarget();
    progress.Send(WM_LOGPROGRESS, 1, 0);

    wchar_t temp[MAX_PATH + 1] = {};
    HRESULT hr = S_OK;
    if (GetTempFileNameW(target.substr(0, slash + 1).c_str(), L"Bdx", 0, temp) == 0) {
        hr = LastErrorAsHresult();
    } else {
        IStorage* copy = nullptr;
        hr = CompoundFiles().StgCreateDocfile(temp, STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, 0, &copy);
        if (SUCCEEDED(hr) && copy) {
            hr = rootStorage_->CopyTo(0, nullptr, nullptr, copy);
            if (SUCCEEDED(hr)) hr = copy->Commit(STGC_DEFAULT);
            copy->Release();
        } else if (SUCCEEDED(hr)) {
            hr = STG_E_WRITEFAULT;
        }
        if (SUCCEEDED(hr) &&
            !CompoundFiles().MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            hr = LastErrorAsHresult();
        if (FAILED(hr)) DeleteFileW(temp);
    }
    if (SUCCEEDED(hr)) progress.Send(WM_LOGPROGRESS, 100, 0);
    progress.Send(WM_LOGPROGRESS, 0, 0);
    return hr;
}

} // namespace brx
