// A fresh folder for scratch files under the temporary directory; the test
// fails when files are left in it at the end.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace brx::fixtures {

// Removed (it must be empty by then) at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        EXPECT_GT(n, 0u);
        static int serial = 0;
        path_ = std::wstring(temp) + L"brx_scratch_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++serial);
        EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr)) << GetLastError();
    }
    ~ScratchFolder() { EXPECT_TRUE(RemoveDirectoryW(path_.c_str())) << "left files behind: " << GetLastError(); }
    const std::wstring& path() const { return path_; }

    // The scratch files in the folder, with their attributes.
    std::vector<WIN32_FIND_DATAW> Files() const {
        std::vector<WIN32_FIND_DATAW> found;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"\\Scr*.tmp").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return found;
        do found.push_back(fd);
        while (FindNextFileW(h, &fd));
        FindClose(h);
        return found;
    }

private:
    std::wstring path_;
};

} // namespace brx::fixtures
