// Capture files through our own byte array and page cache: the file saved is
// the one the system's own file access writes, byte for byte but for the
// times of saving; a disk that fills up at any point fails the save with a
// full-medium error and leaves the old file whole; a file opened for reading
// cannot be written.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureStore.h"
#include "capture/win/FileLockBytes.h"
#include "tests/capture/win/CaptureFileFixtures.h"

using namespace brx;
using namespace brx::fixtures;

namespace {

// The save's compound-file calls, installed for the lifetime of the object.
class InstalledFiles : public ICompoundFiles {
public:
    InstalledFiles() { previous_ = SetCompoundFiles(this); }
    ~InstalledFiles() override { SetCompoundFiles(previous_); }
    BOOL MoveFileExW(const WCHAR* existing, const WCHAR* target, DWORD flags) override {
        return ::MoveFileExW(existing, target, flags);
    }

private:
    ICompoundFiles* previous_ = nullptr;
};

// The system's own file access.
class SystemFiles final : public InstalledFiles {
public:
    HRESULT StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved, IStorage** out) override {
        return ::StgCreateDocfile(name, mode, reserved, out);
    }
};

// A file on a disk with room for `room` more bytes.
class NearlyFullDisk final : public IFileAccess {
public:
    NearlyFullDisk(std::unique_ptr<CHandleFile> file, uint64_t room) : file_(std::move(file)), room_(room) {}
    uint32_t ReadAt(uint64_t offset, void* destination, uint32_t length, uint32_t* got) override {
        return file_->ReadAt(offset, destination, length, got);
    }
    uint32_t WriteAt(uint64_t offset, const void* source, uint32_t length) override {
        if (length > room_) return ERROR_DISK_FULL;
        room_ -= length;
        return file_->WriteAt(offset, source, length);
    }
    uint32_t SetSize(uint64_t size) override { return file_->SetSize(size); }

private:
    std::unique_ptr<CHandleFile> file_;
    uint64_t room_;
};

// Saves go to our byte array over a nearly full disk.
class FullDiskFiles final : public InstalledFiles {
public:
    explicit FullDiskFiles(uint64_t room) : room_(room) {}
    HRESULT StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD, IStorage** out) override {
        *out = nullptr;
        std::unique_ptr<CHandleFile> file;
        HRESULT hr = CHandleFile::Open(name, mode, true, file);
        if (FAILED(hr)) return hr;
        auto disk = std::make_unique<NearlyFullDisk>(std::move(file), room_);
        CFileLockBytes* bytes = new CFileLockBytes(std::move(disk), 0, name, true);
        hr = StgCreateDocfileOnILockBytes(bytes, mode, 0, out);
        bytes->Release();
        return hr;
    }

private:
    uint64_t room_;
};

class FileLockBytesTest : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        EXPECT_TRUE(files.Temporaries().empty()) << "a save left its temporary file";
        CoUninitialize();
    }
    FileFolder files;
};

} // namespace

// A log of several MB, far more than the cache holds, saved through the
// system's file access and through ours: the same size, and the bytes differ
// only in the times of saving (the last-saved property and the times of the
// storage "0000", each an 8-byte FILETIME).
TEST_F(FileLockBytesTest, SavesTheFileTheSystemsOwnAccessSaves) {
    SampleLog log(15000);
    const std::wstring ours = files.File(L"ours.bdx"), system = files.File(L"system.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(ours.c_str(), &log.messages), S_OK);
    {
        SystemFiles installed;
        ASSERT_EQ(log.store->SaveCaptureFile(system.c_str(), &log.messages), S_OK);
    }
    const std::vector<uint8_t> a = ReadFileBytes(ours), b = ReadFileBytes(system);
    ASSERT_GT(a.size(), 3u * kMB);
    ASSERT_EQ(a.size(), b.size());
    std::vector<std::pair<size_t, size_t>> runs;   // differing bytes, as [first, last] runs
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (!runs.empty() && i - runs.back().second <= 8) runs.back().second = i;
        else runs.emplace_back(i, i);
    }
    EXPECT_LE(runs.size(), 3u);
    for (const auto& r : runs) EXPECT_LT(r.second - r.first, 8u) << "at " << r.first;
    EXPECT_EQ(OpenedCount(ours), 15000u);
    EXPECT_EQ(OpenedCount(system), 15000u);
}

// The disk fills up in the properties, early and late in the records and at
// the last flush: each save fails, never inside the storage's own sizing,
// and the old file stays as it was. The failure is the full medium, but for
// the property sets, whose writer reports any failure as a write fault.
TEST_F(FileLockBytesTest, AFullDiskFailsTheSaveAndKeepsTheOldFile) {
    SampleLog log(4000);
    const std::wstring path = files.File(L"kept.bdx");
    ASSERT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    const std::vector<uint8_t> old = ReadFileBytes(path);
    log.DeliverMore(50);
    const uint64_t size = old.size();
    const struct {
        uint64_t room;
        HRESULT result;
    } rows[] = {
        {0, STG_E_WRITEFAULT},           {1000, STG_E_WRITEFAULT},          {5000, STG_E_WRITEFAULT},
        {size / 4, STG_E_MEDIUMFULL},    {size / 2, STG_E_MEDIUMFULL},      {size - 4096, STG_E_MEDIUMFULL},
        {size + 2000, STG_E_MEDIUMFULL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.room);
        FullDiskFiles disk(row.room);
        EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), row.result);
        EXPECT_EQ(ReadFileBytes(path), old);
        EXPECT_TRUE(log.store->HasUnsavedRecords());
    }
    {
        FullDiskFiles disk(size * 2);
        EXPECT_EQ(log.store->SaveCaptureFile(path.c_str(), &log.messages), S_OK);
    }
    EXPECT_EQ(OpenedCount(path), 4050u);
}

// Opened for reading, the byte array refuses writes and size changes; a
// read past the end fails after copying what there is.
TEST_F(FileLockBytesTest, AReadOnlyArrayRefusesWritesAndAReadPastTheEndFails) {
    const std::wstring path = files.File(L"bytes.bin");
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13);
    WriteFileBytes(path, bytes.data(), bytes.size());
    std::unique_ptr<CHandleFile> file;
    ASSERT_EQ(CHandleFile::Open(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, false, file), S_OK);
    CFileLockBytes* array = new CFileLockBytes(std::move(file), bytes.size(), path, false);
    ULARGE_INTEGER at;
    at.QuadPart = 2900;
    uint8_t buffer[200] = {};
    ULONG n = 0;
    EXPECT_EQ(array->ReadAt(at, buffer, 200, &n), STG_E_READFAULT);
    EXPECT_EQ(n, 100u);
    EXPECT_EQ(buffer[99], bytes[2999]);
    at.QuadPart = 10;
    EXPECT_EQ(array->ReadAt(at, buffer, 200, &n), S_OK);
    EXPECT_EQ(n, 200u);
    EXPECT_EQ(buffer[0], bytes[10]);
    EXPECT_EQ(array->WriteAt(at, buffer, 10, &n), STG_E_ACCESSDENIED);
    EXPECT_EQ(n, 0u);
    at.QuadPart = 5000;
    EXPECT_EQ(array->SetSize(at), STG_E_ACCESSDENIED);
    STATSTG stat{};
    EXPECT_EQ(array->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 3000u);
    EXPECT_EQ(stat.type, static_cast<DWORD>(STGTY_LOCKBYTES));
    ASSERT_NE(stat.pwcsName, nullptr);
    EXPECT_EQ(std::wstring(stat.pwcsName), path);
    CoTaskMemFree(stat.pwcsName);
    array->Release();
    // The file was closed with the last release: it can be opened alone again.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(path), bytes);
}
