#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "capture/win/ScratchBuffer.h"
#include "tests/capture/win/ScratchFolder.h"

using namespace brx;
using fixtures::ScratchFolder;

namespace {

std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

// Writes n bytes of a pattern into the write window and commits them.
bool WriteRecord(CScratchBuffer& s, DWORD n, uint8_t seed) {
    if (s.GetFreeSpan() < n) return false;
    uint8_t* window = s.GetWritePosition();
    for (DWORD i = 0; i < n; ++i) window[i] = static_cast<uint8_t>(seed + i);
    return s.AdvanceWrite(n) != FALSE;
}

bool HoldsRecord(const CScratchBuffer& s, DWORD offset, DWORD n, uint8_t seed) {
    std::vector<uint8_t> buf(n);
    DWORD got = 0;
    if (!s.Read(offset, buf.data(), n, &got) || got != n) return false;
    for (DWORD i = 0; i < n; ++i)
        if (buf[i] != static_cast<uint8_t>(seed + i)) return false;
    return true;
}

constexpr DWORD kSize = 1u << 20;

} // namespace

TEST(ScratchBuffer, CreateFillWrapAndClose) {
    ScratchFolder folder;
    CScratchBuffer s;
    EXPECT_EQ(s.GetFreeSpan(), 0u);
    EXPECT_FALSE(s.AdvanceWrite(0));
    SetLastError(ERROR_ACCESS_DENIED);   // a stale code must not become the result
    ASSERT_EQ(s.Create(folder.path().c_str(), kSize), 0u);
    const auto files = folder.Files();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].nFileSizeLow, kSize);
    // (The hidden attribute is not checked: Wine keeps it only where the file
    // system holds extended attributes.)
    EXPECT_EQ(s.GetSize(), kSize);
    EXPECT_EQ(s.GetUsed(), 0u);
    EXPECT_EQ(s.GetFreeSpan(), kSize);
    EXPECT_EQ(s.GetWritePosition(), s.GetBase());

    // Fill with records, the last one exactly to the end.
    std::vector<DWORD> offsets;
    uint8_t seed = 0;
    while (s.GetFreeSpan() >= 1000) {
        offsets.push_back(s.GetUsed());
        ASSERT_TRUE(WriteRecord(s, 1000, seed++));
    }
    const DWORD tail = s.GetFreeSpan();
    ASSERT_GT(tail, 0u);
    EXPECT_FALSE(s.AdvanceWrite(tail + 1));
    const DWORD tailOffset = s.GetUsed();
    ASSERT_TRUE(WriteRecord(s, tail, 0xA0));
    EXPECT_EQ(s.GetUsed(), kSize);
    EXPECT_EQ(s.GetFreeSpan(), 0u);
    EXPECT_FALSE(s.AdvanceWrite(1));
    EXPECT_TRUE(s.AdvanceWrite(0));
    for (size_t i = 0; i < offsets.size(); ++i)
        ASSERT_TRUE(HoldsRecord(s, offsets[i], 1000, static_cast<uint8_t>(i))) << i;
    EXPECT_TRUE(HoldsRecord(s, tailOffset, tail, 0xA0));

    // Reads are clipped to the file; an offset outside gives nothing.
    uint8_t buf[64];
    DWORD got = 99;
    EXPECT_TRUE(s.Read(kSize - 10, buf, sizeof buf, &got));
    EXPECT_EQ(got, 10u);
    EXPECT_FALSE(s.Read(kSize, buf, sizeof buf, &got));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(s.Read(0xFFFFFFFF, buf, sizeof buf, &got));

    // Wrap: writing starts over at the base.
    s.Reset();
    EXPECT_EQ(s.GetUsed(), 0u);
    EXPECT_EQ(s.GetFreeSpan(), kSize);
    ASSERT_TRUE(WriteRecord(s, 500, 0x55));
    EXPECT_TRUE(HoldsRecord(s, 0, 500, 0x55));
    EXPECT_TRUE(HoldsRecord(s, 1000, 1000, 1));   // older bytes beyond are still readable

    s.Close();
    EXPECT_TRUE(folder.Files().empty());
    EXPECT_EQ(s.GetBase(), nullptr);
    EXPECT_EQ(s.GetSize(), 0u);
    EXPECT_EQ(s.GetFreeSpan(), 0u);
    EXPECT_FALSE(s.Read(0, buf, 1, &got));
    s.Close();   // twice is harmless
}

TEST(ScratchBuffer, SameFolderAndSizeKeepTheFile) {
    ScratchFolder folder;
    CScratchBuffer s;
    ASSERT_EQ(s.Create(folder.path().c_str(), kSize), 0u);
    const std::wstring name = folder.Files().at(0).cFileName;
    uint8_t* base = s.GetBase();
    ASSERT_TRUE(WriteRecord(s, 4000, 7));

    ASSERT_EQ(s.Create(Upper(folder.path()).c_str(), kSize), 0u);   // other letter case
    EXPECT_EQ(s.GetBase(), base);
    EXPECT_EQ(s.GetUsed(), 0u);
    ASSERT_EQ(folder.Files().size(), 1u);
    EXPECT_EQ(folder.Files()[0].cFileName, name);

    // Another size makes a new file; the old one is gone.
    ASSERT_EQ(s.Create(folder.path().c_str(), kSize * 2), 0u);
    EXPECT_EQ(s.GetSize(), kSize * 2);
    EXPECT_EQ(s.GetFreeSpan(), kSize * 2);
    EXPECT_EQ(folder.Files().size(), 1u);

    // Another folder too.
    ScratchFolder other;
    ASSERT_EQ(s.Create(other.path().c_str(), kSize * 2), 0u);
    EXPECT_TRUE(folder.Files().empty());
    EXPECT_EQ(other.Files().size(), 1u);
    s.Close();
    EXPECT_TRUE(other.Files().empty());
}

TEST(ScratchBuffer, RefusedCreateLeavesTheOldFile) {
    ScratchFolder folder;
    const std::wstring missing = folder.path() + L"\\no such folder";
    // A file where a folder is expected: the name cannot be made in it.
    const std::wstring plainFile = folder.path() + L"\\plain.txt";
    HANDLE h = CreateFileW(plainFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);

    struct Case {
        const char* what;
        const wchar_t* folder;
        DWORD size;
        DWORD expected;   // 0: any failure
    } cases[] = {
        {"null folder", nullptr, kSize, ERROR_INVALID_PARAMETER},
        {"missing folder", missing.c_str(), kSize, ERROR_PATH_NOT_FOUND},
        {"missing folder, size 0", missing.c_str(), 0, ERROR_PATH_NOT_FOUND},
        {"empty folder name", L"", kSize, ERROR_PATH_NOT_FOUND},
        {"size 0", folder.path().c_str(), 0, ERROR_INVALID_PARAMETER},
        {"size 0, same folder in other case", Upper(folder.path()).c_str(), 0, ERROR_INVALID_PARAMETER},
        {"a file for a folder", plainFile.c_str(), kSize, 0},
    };
    CScratchBuffer s;
    ASSERT_EQ(s.Create(folder.path().c_str(), kSize), 0u);
    ASSERT_TRUE(WriteRecord(s, 3000, 9));
    uint8_t* base = s.GetBase();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        const DWORD rc = s.Create(c.folder, c.size);
        if (c.expected) EXPECT_EQ(rc, c.expected);
        else EXPECT_NE(rc, 0u);
        EXPECT_EQ(s.GetBase(), base);
        EXPECT_EQ(s.GetSize(), kSize);
        EXPECT_EQ(s.GetUsed(), 3000u);
        EXPECT_TRUE(HoldsRecord(s, 0, 3000, 9));
        EXPECT_EQ(folder.Files().size(), 1u);
    }
    // A refused create on a closed buffer leaves it closed and makes no file.
    CScratchBuffer closed;
    EXPECT_EQ(closed.Create(missing.c_str(), kSize), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(closed.GetBase(), nullptr);
    s.Close();
    EXPECT_TRUE(folder.Files().empty());
    EXPECT_TRUE(DeleteFileW(plainFile.c_str()));
}

TEST(ScratchBuffer, DestructionDeletesTheFile) {
    ScratchFolder folder;
    {
        CScratchBuffer s;
        ASSERT_EQ(s.Create(folder.path().c_str(), kSize), 0u);
        ASSERT_TRUE(WriteRecord(s, 100, 1));
        EXPECT_EQ(folder.Files().size(), 1u);
    }
    EXPECT_TRUE(folder.Files().empty());
}

// The helper touches the pages ahead of the writer, a stretch at a time, and
// never changes a byte, also where the writer writes at the same moment.
TEST(ScratchBuffer, PagesAheadOfTheWriterAreTouchedAndKeepTheirBytes) {
    ScratchFolder folder;
    CScratchBuffer s;
    const DWORD size = CScratchBuffer::kTouchAhead + 8 * kSize;
    ASSERT_EQ(s.Create(folder.path().c_str(), size), 0u);
    // Records written while the helper starts from the base.
    std::vector<DWORD> offsets;
    uint8_t seed = 0;
    while (s.GetUsed() < 4 * kSize) {
        offsets.push_back(s.GetUsed());
        ASSERT_TRUE(WriteRecord(s, 999, seed++));
    }
    auto waitFor = [&s](DWORD touched) {
        const DWORD until = GetTickCount() + 20000;
        while (s.GetTouched() < touched && GetTickCount() < until) Sleep(5);
        return s.GetTouched();
    };
    // A stretch ahead of the write position, to the end of its page, no more.
    const DWORD ahead = (s.GetUsed() + CScratchBuffer::kTouchAhead + 4095) & ~4095u;
    EXPECT_EQ(waitFor(ahead), ahead);
    Sleep(50);
    EXPECT_EQ(s.GetTouched(), ahead);
    for (size_t i = 0; i < offsets.size(); ++i) ASSERT_TRUE(HoldsRecord(s, offsets[i], 999, static_cast<uint8_t>(i))) << i;

    // Past half the stretch, the rest of the file follows.
    const DWORD first = s.GetUsed();
    ASSERT_TRUE(s.AdvanceWrite(CScratchBuffer::kTouchAhead / 2 - first + 1));
    offsets.clear();
    while (s.GetFreeSpan() >= 999) {
        offsets.push_back(s.GetUsed());
        ASSERT_TRUE(WriteRecord(s, 999, seed++));
    }
    EXPECT_EQ(waitFor(size), size);
    const uint8_t firstSeed = static_cast<uint8_t>(seed - offsets.size());
    for (size_t i = 0; i < offsets.size(); ++i)
        ASSERT_TRUE(HoldsRecord(s, offsets[i], 999, static_cast<uint8_t>(firstSeed + i))) << i;

    // Closing while the helper runs ends it first.
    ASSERT_EQ(s.Create(folder.path().c_str(), size + kSize), 0u);
    s.Close();
    EXPECT_EQ(s.GetTouched(), 0u);
    EXPECT_TRUE(folder.Files().empty());
}
