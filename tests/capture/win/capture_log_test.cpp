// The capture log and the log manager on real temporary files and capture
// files: the temporary file shrinking on a disk short of space (free space
// injected through the system seam), records appended through the capture
// target calls with their notifications, new, open, save, save as, clear,
// the save-changes prompt, titles and the active-log queries. Dialogs and
// message boxes are scripted.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "capture/Filter.h"
#include "capture/win/AppMessageBox.h"
#include "capture/win/CaptureDriver.h"
#include "capture/win/CaptureFile.h"
#include "capture/win/CaptureLog.h"
#include "capture/win/Preferences.h"
#include "capture/win/SystemHelpers.h"
#include "capture/win/SystemSeams.h"
#include "sim/RecordBuilder.h"
#include "sim/win/SimulatedDriver.h"
#include "tests/capture/MixedStream.h"
#include "tests/capture/win/CaptureFileFixtures.h"
#include "tests/capture/win/FakeDisk.h"
#include "tests/capture/win/ScratchFolder.h"
#include "tests/capture/win/ScriptedPrompts.h"

using namespace brx;
using brx::fixtures::ScratchFolder;
using brx::testing::FakeDisk;
using brx::testing::ScriptedPrompts;

namespace {

constexpr uint32_t kMB = 1u << 20;

// What reached a target: the filter's WM_LOGCHANGED codes, or the log's
// other messages.
class Recorder final : public IMessageTarget {
public:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_);
        posted_.push_back({message, wParam, lParam});
        // A receiver that keeps up: each notice is taken as it comes, so
        // every change is posted.
        if (taker && message == WM_LOGCHANGED) taker->TakeNotify(static_cast<uint32_t>(wParam));
        return true;
    }
    CFilter* taker = nullptr;
    intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_);
        sent_.push_back({message, wParam, lParam});
        return 0;
    }
    // The wParams of the posts of one message.
    std::vector<uint32_t> Posted(uint32_t message) {
        std::lock_guard<std::mutex> lock(m_);
        std::vector<uint32_t> out;
        for (const Message& p : posted_)
            if (p.message == message) out.push_back(static_cast<uint32_t>(p.wParam));
        return out;
    }
    std::vector<Message> Sent() {
        std::lock_guard<std::mutex> lock(m_);
        return sent_;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_);
        posted_.clear();
        sent_.clear();
    }

private:
    std::mutex m_;
    std::vector<Message> posted_;
    std::vector<Message> sent_;
};

// The paths handed to the recent-file list.
std::vector<std::wstring> g_recentFiles;
void RecordRecentFile(const wchar_t* path) { g_recentFiles.push_back(path); }

const wchar_t kFilterStrings[] = L"Brindlex Capture Files (*.bdx);*.bdx;All Files (*.*);*.*;";

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> ReadAll(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

void WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// Every record of the log, as bytes in index order.
std::vector<std::vector<uint8_t>> Records(CCaptureLog& log) {
    std::vector<std::vector<uint8_t>> out;
    std::vector<uint8_t> buffer(64 * 1024);
    for (uint32_t i = 0; i < log.GetRecordCount(); ++i) {
        CRecordView view;
        view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
        EXPECT_EQ(log.ReadRecord(i, view), S_OK32) << i;
        out.emplace_back(buffer.begin(), buffer.begin() + view.copied);
    }
    return out;
}

// The records of a stream, one vector each.
std::vector<std::vector<uint8_t>> Split(const RecordStream& s) {
    std::vector<std::vector<uint8_t>> out;
    const auto& offsets = s.offsets();
    for (size_t i = 0; i < offsets.size(); ++i) {
        const size_t end = i + 1 < offsets.size() ? offsets[i + 1] : s.bytes().size();
        out.emplace_back(s.bytes().begin() + offsets[i], s.bytes().begin() + end);
    }
    return out;
}

// The scratch files ("Scr" prefix) in a folder.
std::vector<std::wstring> ScratchFilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\Scr*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(fd.cFileName);
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return names;
}

class CaptureLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPreferences& p = GetPreferences();
        wchar_t dir[MAX_PATH + 1] = {};
        p.GetTempDirectory(dir, MAX_PATH + 1);
        savedFolder_ = dir;
        savedSize_ = p.GetTempFileSize();
        ASSERT_TRUE(p.SetTempDirectory(scratch.path().c_str()));
        ASSERT_TRUE(p.SetTempFileSize(8 * kMB));
        files = scratch.path() + L"\\files";
        ASSERT_TRUE(CreateDirectoryW(files.c_str(), nullptr));
        codes.taker = &filter;
    }
    void TearDown() override {
        delete manager;
        manager = nullptr;
        for (const std::wstring& f : created) DeleteFileW(f.c_str());
        RemoveDirectoryW(files.c_str());
        CPreferences& p = GetPreferences();
        p.SetTempDirectory(savedFolder_.c_str());
        p.SetTempFileSize(savedSize_);
    }

    // The program's start: a manager with the capture-file template.
    void StartManager() {
        manager = new CLogManager(&filter);
        auto* t = new CLogTemplate(&filter, &messages);
        t->SetStrings(kFilterStrings, L"bdx", L"Brindlex.Document", L"Brindlex Capture File");
        manager->SetTemplate(t);
        filter.SetNotifyTarget(&codes);
    }
    std::wstring File(const wchar_t* name) {
        std::wstring path = files + L"\\" + name;
        created.push_back(path);
        return path;
    }

    // The reader thread's turn through the capture target: a window, the
    // bytes, a commit.
    void Deliver(CCaptureLog& log, const Bytes& bytes) {
        uint8_t* window = nullptr;
        uint32_t length = 0;
        ASSERT_EQ(log.AcquireWriteWindow(&window, &length), S_OK32);
        ASSERT_GE(length, bytes.size());
        std::memcpy(window, bytes.data(), bytes.size());
        ASSERT_EQ(log.CommitCapturedData(window, static_cast<uint32_t>(bytes.size())), S_OK32);
    }
    RecordStream Capture(CCaptureLog& log, size_t count) {
        log.SetDriverInfo(MakeDriverInfo(kDriverRecordLayout));
        RecordBuilder b;
        RecordStream s = fixtures::MixedStream(count, b);
        Deliver(log, s.bytes());
        return s;
    }

    ScratchFolder scratch;
    std::wstring files;
    std::vector<std::wstring> created;
    ScriptedPrompts prompts;
    Recorder codes;      // the filter's WM_LOGCHANGED (taken at once)
    Recorder messages;   // fullness, progress, capture ends
    CFilter filter;
    CLogManager* manager = nullptr;

private:
    std::wstring savedFolder_;
    uint32_t savedSize_ = 0;
};

// ---------------------------------------------------------------------------
// The temporary file

TEST(TempFileSize, ShrinksByAnEighthInMultiplesOf8MB) {
    const struct {
        uint32_t size, next;
    } cases[] = {
        {32 * kMB, 24 * kMB}, {24 * kMB, 16 * kMB}, {16 * kMB, 8 * kMB}, {8 * kMB, 0},
        {1024 * kMB, 896 * kMB}, {12 * kMB, 8 * kMB}, {4 * kMB, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextSmallerTempFileSize(c.size), c.next) << (c.size >> 20);
}

TEST_F(CaptureLogTest, LowDiskSpaceShrinksTheTemporaryFileAndSaysSo) {
    FakeDisk disk;
    disk.freeBytes = 20 * kMB;
    ASSERT_TRUE(GetPreferences().SetTempFileSize(32 * kMB));
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);
    filter.SetNotifyTarget(&codes);

    ASSERT_TRUE(log.CreateTempCaptureFile());
    EXPECT_EQ(disk.queries, 3);   // 32, 24, then 16 MB
    EXPECT_TRUE(log.IsLive());
    EXPECT_EQ(GetPreferences().GetTempFileSize(), 16 * kMB);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    const std::wstring drive(scratch.path().substr(0, 2));
    EXPECT_EQ(prompts.boxes[0].text, L"The temporary capture file size has been reduced from 32 MB to 16 MB due to "
                                     L"low free space on disk " + drive + L".");
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    // Emptied, filter off, then ready.
    EXPECT_EQ(codes.Posted(WM_LOGCHANGED), (std::vector<uint32_t>{LOG_NOTIFY_CLEARED, LOG_NOTIFY_AFTER, LOG_NOTIFY_NEW}));
    log.Close();
}

TEST_F(CaptureLogTest, EightMegabytesThatDoNotFitFailAtOnce) {
    FakeDisk disk;
    disk.freeBytes = 5 * kMB;
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);

    EXPECT_FALSE(log.CreateTempCaptureFile());
    EXPECT_EQ(disk.queries, 1);
    EXPECT_FALSE(log.IsLive());
    EXPECT_TRUE(log.IsFull());   // so no capture can start into it
    EXPECT_EQ(GetPreferences().GetTempFileSize(), 8 * kMB);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, L"Cannot create the temporary capture file in " + scratch.path() +
                                         L" directory due to lack of disk space.\n\nTry freeing up disk space on the "
                                         L"disks or change the temporary capture file directory in the Preferences "
                                         L"dialog box.");
    EXPECT_TRUE(scratch.Files().empty());
}

// The disk says it has room, but the store's own file fills it: the store's
// "medium full" shrinks the size as the free-space answer would have.
TEST_F(CaptureLogTest, ADiskFullerThanItsAnswerShrinksTheFileThroughTheStore) {
    FakeDisk disk;
    disk.freeBytes = 40 * kMB;        // room for 32 MB, as far as the answer goes
    disk.mappingLimit = 16 * kMB;     // but no more than 16 MB fit
    ASSERT_TRUE(GetPreferences().SetTempFileSize(32 * kMB));
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);

    ASSERT_TRUE(log.CreateTempCaptureFile());
    EXPECT_EQ(disk.mappings, (std::vector<uint32_t>{32 * kMB, 24 * kMB, 16 * kMB}));
    EXPECT_EQ(disk.queries, 3);
    EXPECT_TRUE(log.IsLive());
    EXPECT_EQ(GetPreferences().GetTempFileSize(), 16 * kMB);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.rfind(L"The temporary capture file size has been reduced from 32 MB to 16 MB", 0),
              0u);
    log.Close();

    // Nothing fits, not even 8 MB: the lack of space is named and no file stays.
    disk.mappings.clear();
    disk.mappingLimit = 4 * kMB;
    prompts.boxes.clear();
    const std::vector<std::wstring> before = ScratchFilesIn(scratch.path());   // the first log's file
    EXPECT_EQ(before.size(), 1u);
    CCaptureLog full(&filter, &messages);
    full.SetAutoDelete(false);
    EXPECT_FALSE(full.CreateTempCaptureFile());
    EXPECT_EQ(disk.mappings, (std::vector<uint32_t>{16 * kMB, 8 * kMB}));
    EXPECT_FALSE(full.IsLive());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text.rfind(L"Cannot create the temporary capture file in " + scratch.path() +
                                              L" directory due to lack of disk space.", 0),
              0u);
    EXPECT_EQ(ScratchFilesIn(scratch.path()), before);
}

TEST_F(CaptureLogTest, MissingTemporaryFolderFallsBackToTheDefault) {
    const std::wstring gone = scratch.path() + L"\\gone";
    ASSERT_TRUE(GetPreferences().SetTempDirectory(gone.c_str()));   // created
    ASSERT_TRUE(RemoveDirectoryW(gone.c_str()));
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);

    wchar_t defaults[MAX_PATH + 1] = {};
    ASSERT_TRUE(GetDefaultTempDirectory(defaults, MAX_PATH + 1));
    const std::vector<std::wstring> before = ScratchFilesIn(defaults);

    ASSERT_TRUE(log.CreateTempCaptureFile());
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, L"The temporary capture file directory " + gone +
                                         L" does not exist.\nThe default directory will be used. You can change it "
                                         L"in the Preferences dialog box.");
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    wchar_t now[MAX_PATH + 1] = {};
    GetPreferences().GetTempDirectory(now, MAX_PATH + 1);
    EXPECT_STREQ(now, defaults);
    EXPECT_TRUE(log.IsLive());
    // The scratch file lives in the default folder.
    std::vector<std::wstring> added;
    for (const std::wstring& f : ScratchFilesIn(defaults))
        if (std::find(before.begin(), before.end(), f) == before.end()) added.push_back(f);
    EXPECT_EQ(added.size(), 1u);
    log.Close();
}

// ---------------------------------------------------------------------------
// Records through the capture target

TEST_F(CaptureLogTest, AppendsNotifyAroundWindowAndCommitAndMarkTheLogModified) {
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);
    filter.SetNotifyTarget(&codes);
    filter.SetLogSource([&log]() -> IFilterLog* { return &log; });
    ASSERT_TRUE(log.CreateTempCaptureFile());
    EXPECT_FALSE(log.IsModified());
    codes.Clear();

    RecordStream s = Capture(log, 40);
    EXPECT_EQ(codes.Posted(WM_LOGCHANGED),
              (std::vector<uint32_t>{LOG_NOTIFY_BEFORE, LOG_NOTIFY_AFTER, LOG_NOTIFY_BEFORE, LOG_NOTIFY_AFTER}));
    EXPECT_TRUE(log.IsModified());
    EXPECT_EQ(Records(log), Split(s));
    EXPECT_EQ(filter.GetRowCount(), 40u);

    uint32_t first = 0, last = 0;
    ASSERT_TRUE(log.GetSequenceRange(first, last));
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(last, 40u);

    // Clear: emptied, code 5, modified (the records are gone).
    log.SetModifiedFlag(false);
    codes.Clear();
    log.Clear();
    EXPECT_EQ(log.GetRecordCount(), 0u);
    EXPECT_TRUE(log.IsModified());
    EXPECT_EQ(codes.Posted(WM_LOGCHANGED), (std::vector<uint32_t>{LOG_NOTIFY_CLEARED}));
    EXPECT_FALSE(log.GetSequenceRange(first, last));
    log.Close();
}

TEST_F(CaptureLogTest, FloodFillsTheLogAndEndsWithCodeSixAfterFour) {
    CCaptureLog log(&filter, &messages);
    log.SetAutoDelete(false);
    filter.SetNotifyTarget(&codes);
    filter.SetLogSource([&log]() -> IFilterLog* { return &log; });
    ASSERT_TRUE(log.CreateTempCaptureFile());
    // Stop when full, as the application asks for every new log; the store
    // has no other mode and keeps it when asked for another.
    EXPECT_TRUE(log.SetWrapMode(0));
    EXPECT_FALSE(log.SetWrapMode(1));
    EXPECT_EQ(log.GetStore().GetWrapMode(), 0);

    CSimulatedDriver sim;
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.flood = true;
    sim.SetKnobs(k);
    CCaptureDriver driver(&sim, nullptr);
    CAPTURE_TIMEOUTS timeouts;
    timeouts.readerEndWait = 0;   // the reader ends at once, without waiting for the stop
    driver.SetTimeouts(timeouts);
    ASSERT_TRUE(driver.Connect());
    uint32_t list[3] = {2, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT};
    ASSERT_TRUE(driver.AddCaptureDevices(list));
    ASSERT_TRUE(driver.StartCapture(&log));
    ASSERT_TRUE(driver.WaitForReaderEnd(60000));
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::StoreFull);
    driver.StopCapture();
    driver.Disconnect();

    EXPECT_TRUE(log.IsFull());
    EXPECT_GT(log.GetRecordCount(), 1000u);
    const std::vector<uint32_t> c = codes.Posted(WM_LOGCHANGED);
    ASSERT_GE(c.size(), 3u);
    EXPECT_EQ(c[c.size() - 1], LOG_NOTIFY_FULL);
    EXPECT_EQ(c[c.size() - 2], LOG_NOTIFY_AFTER);
    EXPECT_EQ(c[c.size() - 3], LOG_NOTIFY_BEFORE);
    // The end of the capture goes to the main window as a post.
    EXPECT_EQ(messages.Posted(WM_CAPTUREENDED), (std::vector<uint32_t>{static_cast<uint32_t>(CaptureEnd::StoreFull)}));
    EXPECT_EQ(messages.Posted(WM_LOGFULLNESS).back(), 100u);
    log.Close();
}

// ---------------------------------------------------------------------------
// Active-log queries and the manager

TEST_F(CaptureLogTest, ActiveLogQueriesWithoutAndWithALog) {
    EXPECT_EQ(GetActiveLog(), nullptr);
    EXPECT_EQ(GetActiveRDHash(), nullptr);
    EXPECT_FALSE(IsActiveLogModified());
    EXPECT_FALSE(IsActiveLogLive());
    EXPECT_TRUE(IsActiveLogFull());
    EXPECT_TRUE(IsActiveLogEmpty());

    StartManager();
    EXPECT_EQ(GetActiveLog(), nullptr);
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(GetActiveLog(), log);
    EXPECT_EQ(GetActiveRDHash(), &log->GetRDHash());
    EXPECT_TRUE(IsActiveLogLive());
    EXPECT_FALSE(IsActiveLogFull());
    EXPECT_TRUE(IsActiveLogEmpty());
    EXPECT_EQ(log->GetTitle(), L"Untitled");
    Capture(*log, 10);
    EXPECT_TRUE(IsActiveLogModified());
    EXPECT_FALSE(IsActiveLogEmpty());

    // New again reuses the log object, after asking to save (No).
    prompts.buttons = {IDNO};
    EXPECT_EQ(manager->NewLog(), log);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, L"Save changes to Untitled");
    EXPECT_EQ(prompts.boxes[0].type & (MB_TYPEMASK | MB_ICONMASK), static_cast<UINT>(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_TRUE(IsActiveLogEmpty());
    EXPECT_FALSE(IsActiveLogModified());

    // Closing deletes the log and detaches it.
    log->Close();
    EXPECT_EQ(GetActiveLog(), nullptr);
}

TEST_F(CaptureLogTest, TemplateStringsAndMatching) {
    CLogTemplate t(&filter, &messages);
    t.SetStrings(kFilterStrings, L"bdx", L"Brindlex.Document", L"Brindlex Capture File");
    std::wstring s;
    const wchar_t* expected[] = {kFilterStrings, L"bdx", L"Brindlex.Document", L"Brindlex Capture File"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(t.GetDocString(s, i));
        EXPECT_EQ(s, expected[i]);
    }
    for (int i : {-1, 4}) {
        s = L"x";
        EXPECT_FALSE(t.GetDocString(s, i));
        EXPECT_TRUE(s.empty());
    }
    CCaptureLog* found = reinterpret_cast<CCaptureLog*>(1);
    EXPECT_EQ(t.MatchDocument(L"C:\\a.bdx", found), CLogTemplate::MATCH_NONE);
    EXPECT_EQ(found, nullptr);

    CCaptureLog* log = t.CreateLog();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(t.GetLog(), log);
    log->SetPathName(L"C:\\Captures\\Run.bdx", FALSE);
    EXPECT_EQ(log->GetTitle(), L"Run.bdx");
    EXPECT_EQ(t.MatchDocument(L"c:\\captures\\RUN.BDX", found), CLogTemplate::MATCH_OPEN);
    EXPECT_EQ(found, log);
    EXPECT_EQ(t.MatchDocument(L"C:\\Captures\\Run2.bdx", found), CLogTemplate::MATCH_NONE);
}

TEST_F(CaptureLogTest, TitleOfTheMainWindow) {
    HWND main = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(main, nullptr);
    SetAppMainWindow(main);
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    wchar_t text[256] = {};
    GetWindowTextW(main, text, 256);
    EXPECT_STREQ(text, L"Untitled - Brindlex");
    log->SetPathName(L"C:\\Captures\\Stick.bdx", FALSE);
    GetWindowTextW(main, text, 256);
    EXPECT_STREQ(text, L"Stick.bdx - Brindlex");
    SetAppMainWindow(nullptr);
    DestroyWindow(main);
}

TEST_F(CaptureLogTest, SaveChangesPromptAnswers) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);

    Capture(*log, 5);
    log->SetModifiedFlag(false);

    // Not modified: no question.
    EXPECT_TRUE(log->SaveModified());
    EXPECT_TRUE(prompts.boxes.empty());

    struct Case {
        const char* name;
        int button;
        const wchar_t* file;   // the save dialog's answer (null: not asked, "" cancels)
        BOOL result;
        bool stillModified;
    };
    const Case cases[] = {
        {"cancel", IDCANCEL, nullptr, FALSE, true},
        {"no", IDNO, nullptr, TRUE, true},
        {"yes, dialog cancelled", IDYES, L"", FALSE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log->SetModifiedFlag(true);
        prompts.boxes.clear();
        prompts.fileDialogs.clear();
        prompts.buttons = {c.button};
        if (c.file) prompts.files = {c.file};
        EXPECT_EQ(log->SaveModified(), c.result);
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.boxes[0].text, L"Save changes to Untitled");
        EXPECT_EQ(prompts.fileDialogs.size(), c.file ? 1u : 0u);
        EXPECT_EQ(log->IsModified(), c.stillModified);
    }

    // Cancel when opening another file keeps the log and opens nothing.
    log->SetModifiedFlag(true);
    prompts.boxes.clear();
    prompts.buttons = {IDCANCEL};
    const uint32_t before = static_cast<uint32_t>(codes.Posted(WM_LOGCHANGED).size());
    EXPECT_EQ(manager->OpenLog(File(L"other.bdx").c_str()), nullptr);
    EXPECT_EQ(GetActiveLog(), log);
    EXPECT_TRUE(log->IsModified());
    EXPECT_EQ(codes.Posted(WM_LOGCHANGED).size(), before);
    ASSERT_EQ(prompts.boxes.size(), 1u);
}

TEST_F(CaptureLogTest, SavingAnUnnamedLogProposesItsTitleWithTheExtension) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 5);
    log->SetTitle(L"Stick run: 2");
    prompts.files = {L""};   // cancelled
    EXPECT_FALSE(log->Save());
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    const auto& d = prompts.fileDialogs[0];
    EXPECT_FALSE(d.open);
    EXPECT_EQ(d.initialName, L"Stick run.bdx");
    EXPECT_EQ(d.defaultExtension, L"bdx");
    EXPECT_EQ(d.filter, kFilterStrings);
    EXPECT_EQ(d.flags, static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | 0x880406));
}

TEST_F(CaptureLogTest, OpenPromptCancelledOpensNothing) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    prompts.files = {L""};
    EXPECT_EQ(manager->OpenLogPrompt(nullptr), nullptr);
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_TRUE(prompts.fileDialogs[0].open);
    EXPECT_EQ(prompts.fileDialogs[0].flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | 0x880406));
    EXPECT_EQ(GetActiveLog(), log);
}

// ---------------------------------------------------------------------------
// Capture files

TEST_F(CaptureLogTest, FailedOpenFallsBackToANewLog) {
    StartManager();
    const std::wstring missing = File(L"missing.bdx");
    const std::wstring damaged = File(L"damaged.bdx");
    WriteAll(damaged, std::vector<uint8_t>(4096, 0x5A));

    struct Case {
        const char* name;
        std::wstring path;
        std::wstring text;
        UINT icon;
    };
    const Case cases[] = {
        {"missing", missing, L"The log file " + missing + L" was not found.\n", MB_ICONEXCLAMATION},
        {"damaged", damaged, L"The log file " + damaged + L" appears to be damaged or corrupted.\n", MB_ICONHAND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // First with no log at all (the command line at start-up), then with
        // the log that exists.
        for (int round = 0; round < 2; ++round) {
            prompts.boxes.clear();
            EXPECT_EQ(manager->OpenLog(c.path.c_str()), nullptr);
            ASSERT_EQ(prompts.boxes.size(), 1u);
            EXPECT_EQ(prompts.boxes[0].text, c.text);
            EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, c.icon);
            CCaptureLog* log = GetActiveLog();
            ASSERT_NE(log, nullptr);
            EXPECT_TRUE(log->IsLive());
            EXPECT_TRUE(log->GetPathName().empty());
            EXPECT_EQ(log->GetTitle(), L"Untitled");
            EXPECT_FALSE(log->IsModified());
        }
        GetActiveLog()->Close();
    }
}

// An older format is refused with its message; a newer one is opened only
// when the user says Yes; a file another process holds is named as such. The
// log that was open stays as it was whenever nothing was opened.
TEST_F(CaptureLogTest, FormatAndSharingMessagesOfOpen) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 12);
    const std::vector<std::vector<uint8_t>> captured = Records(*log);
    const std::wstring saved = File(L"saved.bdx");
    ASSERT_TRUE(log->DoSave(saved.c_str(), FALSE));
    const std::vector<uint8_t> savedBytes = ReadAll(saved);
    auto withVersion = [&](const wchar_t* name, ULONG version) {
        const std::wstring path = File(name);
        WriteAll(path, savedBytes);
        fixtures::EditFile(path, [version](IStorage* r) {
            fixtures::EditProperties(r, FMTID_CAPTURE_LOG, [version](IPropertyStorage* p) {
                fixtures::WriteProperty(p, LOG_PID_VERSION, fixtures::UInt32Value(version));
            });
        });
        return path;
    };
    const std::wstring older = withVersion(L"older.bdx", 0x00010000);
    const std::wstring newer = withVersion(L"newer.bdx", 0x00010002);
    auto expectUnchanged = [&]() {
        EXPECT_EQ(GetActiveLog(), log);
        EXPECT_TRUE(log->IsLive());
        EXPECT_TRUE(log->GetPathName().empty());
        EXPECT_EQ(Records(*log), captured);
    };

    prompts.boxes.clear();
    EXPECT_EQ(manager->OpenLog(older.c_str()), nullptr);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, L"You are trying to open the file \"" + older +
                                         L"\" that was saved in an older file format. The older file format is no "
                                         L"longer supported.\n\n");
    EXPECT_EQ(prompts.boxes[0].type & (MB_TYPEMASK | MB_ICONMASK), static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    expectUnchanged();

    const std::wstring newerText = L"The file \"" + newer +
                                   L"\" was created by newer version of Brindlex. This file cannot be converted "
                                   L"and an attempt to open it may lead to a program crash.\n\nDo you want to "
                                   L"proceed anyway?";
    prompts.boxes.clear();
    prompts.buttons = {IDNO};
    EXPECT_EQ(manager->OpenLog(newer.c_str()), nullptr);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, newerText);
    EXPECT_EQ(prompts.boxes[0].type & (MB_TYPEMASK | MB_DEFMASK | MB_ICONMASK),
              static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION));
    expectUnchanged();

    HANDLE held = CreateFileW(saved.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    prompts.boxes.clear();
    EXPECT_EQ(manager->OpenLog(saved.c_str()), nullptr);
    CloseHandle(held);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text,
              L"Cannot access the log file " + saved + L" because it is being used by another process.\n");
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    expectUnchanged();

    prompts.boxes.clear();
    prompts.buttons = {IDYES};
    ASSERT_EQ(manager->OpenLog(newer.c_str()), log);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, newerText);
    EXPECT_FALSE(log->IsLive());
    EXPECT_EQ(log->GetPathName(), newer);
    EXPECT_EQ(Records(*log), captured);
    log->Close();
}

// Save on a file that became read-only asks for another name (Save As) and
// leaves the read-only file as it was.
TEST_F(CaptureLogTest, SaveOnAReadOnlyFileFallsBackToSaveAs) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 8);
    const std::wstring locked = File(L"locked.bdx");
    const std::wstring other = File(L"other.bdx");
    prompts.files = {locked};
    ASSERT_TRUE(log->Save());
    const std::vector<uint8_t> lockedBytes = ReadAll(locked);
    ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    Capture(*log, 4);

    // The dialog cancelled: nothing saved.
    prompts.fileDialogs.clear();
    prompts.files = {L""};
    EXPECT_FALSE(log->Save());
    ASSERT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_EQ(prompts.fileDialogs[0].initialName, locked);
    EXPECT_TRUE(log->IsModified());
    EXPECT_EQ(log->GetPathName(), locked);

    // Another name: saved there, which becomes the log's path.
    prompts.fileDialogs.clear();
    prompts.files = {other};
    EXPECT_TRUE(log->Save());
    EXPECT_EQ(prompts.fileDialogs.size(), 1u);
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_FALSE(log->IsModified());
    EXPECT_EQ(log->GetPathName(), other);
    EXPECT_EQ(ReadAll(locked), lockedBytes);
    const std::vector<std::vector<uint8_t>> captured = Records(*log);
    SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(manager->OpenLog(other.c_str()), log);
    EXPECT_EQ(Records(*log), captured);
    EXPECT_EQ(captured.size(), 12u);
    log->Close();
}

// Compound files whose creation fails, as on a full disk.
class FailingFiles final : public ICompoundFiles {
public:
    FailingFiles() { previous_ = SetCompoundFiles(this); }
    ~FailingFiles() override { SetCompoundFiles(previous_); }
    HRESULT StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage** storage) override {
        if (storage) *storage = nullptr;
        return STG_E_MEDIUMFULL;
    }
    BOOL MoveFileExW(const WCHAR*, const WCHAR*, DWORD) override {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }

private:
    ICompoundFiles* previous_ = nullptr;
};

TEST_F(CaptureLogTest, FailedSaveLeavesNoNewFileAndTheOldFileWhole) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 20);
    const std::wstring fresh = File(L"fresh.bdx");
    const std::wstring old = File(L"old.bdx");
    const std::vector<uint8_t> oldBytes(3000, 0x42);
    WriteAll(old, oldBytes);

    FailingFiles failing;
    for (const std::wstring& path : {fresh, old}) {
        prompts.boxes.clear();
        prompts.files = {path};
        EXPECT_FALSE(log->SaveAs());
        ASSERT_EQ(prompts.boxes.size(), 1u);
        EXPECT_EQ(prompts.boxes[0].text.rfind(L"Cannot save the log file " + path + L".\n\n", 0), 0u);
        EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        EXPECT_TRUE(log->IsModified());
        EXPECT_TRUE(log->GetPathName().empty());
    }
    EXPECT_FALSE(Exists(fresh));
    EXPECT_EQ(ReadAll(old), oldBytes);
}

TEST_F(CaptureLogTest, SaveOnAFullDiskSaysSoBeforeWritingAnything) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 200);
    const std::wstring path = File(L"full.bdx");
    const std::wstring old = File(L"old.bdx");
    const std::vector<uint8_t> oldBytes(3000, 0x42);
    WriteAll(old, oldBytes);
    auto temporaries = [&] {
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW((files + L"\\bdx*.tmp").c_str(), &found);
        if (h == INVALID_HANDLE_VALUE) return 0;
        int n = 0;
        do ++n;
        while (FindNextFileW(h, &found));
        FindClose(h);
        return n;
    };
    {
        FakeDisk disk;
        disk.freeBytes = 64 * 1024;   // less than 200 records and their index
        for (const std::wstring& target : {path, old}) {
            prompts.boxes.clear();
            prompts.files = {target};
            EXPECT_FALSE(log->SaveAs());
            ASSERT_EQ(prompts.boxes.size(), 1u);
            EXPECT_EQ(prompts.boxes[0].text, L"Cannot save the log file " + target + L".\n\n" + kTextDiskFull);
            EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_EQ(temporaries(), 0);
            EXPECT_TRUE(log->IsModified());
        }
        EXPECT_GT(disk.queries, 0);
        EXPECT_FALSE(Exists(path));
        EXPECT_EQ(ReadAll(old), oldBytes);
        // With room for the file the same save goes through.
        disk.freeBytes = 64ull << 20;
        prompts.boxes.clear();
        prompts.files = {path};
        EXPECT_TRUE(log->SaveAs());
        EXPECT_TRUE(prompts.boxes.empty());
    }
    EXPECT_TRUE(Exists(path));
}

TEST_F(CaptureLogTest, OpeningTellsHowManyRecordsWereLeftOut) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 40);
    const uint32_t n = log->GetRecordCount();
    const std::wstring saved = File(L"whole.bdx");
    prompts.files = {saved};
    ASSERT_TRUE(log->SaveAs());
    const std::vector<uint8_t> whole = ReadAll(saved);
    struct Case {
        const char* what;
        std::vector<uint32_t> lost;   // records whose index offsets point outside the data
        std::wstring text;            // after the path
    };
    const std::wstring path = File(L"damaged.bdx");
    const Case cases[] = {
        {"whole", {}, L""},
        {"one record", {7}, L"1 record of the log file " + path + L" could not be read and was left out."},
        {"three records", {3, 9, 20},
         L"3 records of the log file " + path + L" could not be read and were left out."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(path, whole);
        for (uint32_t record : c.lost) {
            IStorage* root = nullptr;
            ASSERT_EQ(StgOpenStorageEx(path.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0,
                                       nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(&root)),
                      S_OK);
            IStorage* storage = nullptr;
            ASSERT_EQ(root->OpenStorage(L"0000", nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, nullptr, 0, &storage),
                      S_OK);
            const std::u16string name = StreamNameFromGuid(GUID_INDEX_STREAM);
            IStream* index = nullptr;
            ASSERT_EQ(storage->OpenStream(reinterpret_cast<const wchar_t*>(name.c_str()), nullptr,
                                          STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &index),
                      S_OK);
            LARGE_INTEGER at;
            at.QuadPart = 64 + 4 * record;
            const uint32_t outside = 0x7FFFFFF0;
            ASSERT_EQ(index->Seek(at, STREAM_SEEK_SET, nullptr), S_OK);
            ASSERT_EQ(index->Write(&outside, 4, nullptr), S_OK);
            index->Release();
            ASSERT_EQ(storage->Commit(STGC_DEFAULT), S_OK);
            storage->Release();
            ASSERT_EQ(root->Commit(STGC_DEFAULT), S_OK);
            root->Release();
        }
        prompts.boxes.clear();
        CCaptureLog* opened = manager->OpenLog(path.c_str());
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->GetRecordCount(), n - c.lost.size());
        if (c.text.empty()) {
            EXPECT_TRUE(prompts.boxes.empty());
        } else {
            ASSERT_EQ(prompts.boxes.size(), 1u);
            EXPECT_EQ(prompts.boxes[0].text, c.text);
            EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
        }
        opened->Close();
        ASSERT_NE(manager->NewLog(), nullptr);
    }
}

// Every refused open says why, once: a layout no record satisfies is found by
// the check; a file the open itself refuses (opened without the check) gets
// the same message; the 64-bit refusal keeps its own message alone.
TEST_F(CaptureLogTest, EveryRefusedOpenSaysWhyOnce) {
    StartManager();
    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    Capture(*log, 20);
    const std::wstring saved = File(L"sound.bdx");
    ASSERT_TRUE(log->DoSave(saved.c_str(), FALSE));
    const std::vector<uint8_t> savedBytes = ReadAll(saved);
    std::vector<uint8_t> blob;
    auto edited = [&](const wchar_t* name, PROPID id, PROPVARIANT value) {
        const std::wstring path = File(name);
        WriteAll(path, savedBytes);
        fixtures::EditFile(path, [&](IStorage* r) {
            fixtures::EditProperties(r, FMTID_CAPTURE_LOG, [&](IPropertyStorage* p) { fixtures::WriteProperty(p, id, value); });
        });
        return path;
    };
    const std::wstring layout = edited(L"layout.bdx", LOG_PID_DRIVER_INFO, fixtures::DriverInfoOfDwords(blob, 0xFFFF));
    const std::wstring wide = edited(L"wide.bdx", LOG_PID_BITNESS, fixtures::UInt32Value(LOG_BITNESS_64));
    const std::wstring damaged = L"The log file " + layout + L" appears to be damaged or corrupted.\n";

    // Through the manager: the check refuses the layout.
    prompts.boxes.clear();
    EXPECT_EQ(manager->OpenLog(layout.c_str()), nullptr);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, damaged);
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONHAND));
    log = GetActiveLog();
    ASSERT_NE(log, nullptr);

    // The open alone (as Save As reopens a file) says the same.
    prompts.boxes.clear();
    EXPECT_FALSE(log->OpenFile(layout.c_str()));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, damaged);
    EXPECT_TRUE(log->IsLive());

    // A failure without a text of its own (a folder cannot be read as a
    // file) is named with the system's text for its code.
    prompts.boxes.clear();
    EXPECT_FALSE(log->OpenFile(files.c_str()));
    ASSERT_EQ(prompts.boxes.size(), 1u);
    const std::wstring cannot = L"Cannot open the log file " + files + L".\n\n";
    EXPECT_EQ(prompts.boxes[0].text.substr(0, cannot.size()), cannot);
    EXPECT_GT(prompts.boxes[0].text.size(), cannot.size()) << "the system's text";
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));

    prompts.boxes.clear();
    EXPECT_EQ(manager->OpenLog(wide.c_str()), nullptr);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, std::wstring(kText64BitCapture));
    GetActiveLog()->Close();
}

// New, records through the driver, save, clear, open the saved file, save
// as: the files hold exactly the records captured.
TEST_F(CaptureLogTest, ScriptedRunThroughTheLogManager) {
    StartManager();
    const std::wstring first = File(L"first.bdx");
    const std::wstring second = File(L"second.bdx");

    CCaptureLog* log = manager->NewLog();
    ASSERT_NE(log, nullptr);
    g_recentFiles.clear();
    SetRecentFileHook(RecordRecentFile);

    // Records through the reader thread, real windows and commits.
    CSimulatedDriver sim;
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.rounds = 3;
    k.keepDelivered = true;
    sim.SetKnobs(k);
    CCaptureDriver driver(&sim, nullptr);
    ASSERT_TRUE(driver.Connect());
    uint32_t list[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    ASSERT_TRUE(driver.AddCaptureDevices(list));
    ASSERT_TRUE(driver.StartCapture(log));
    ASSERT_TRUE(sim.WaitUntilDrained(20000));
    EXPECT_TRUE(driver.StopCapture());
    const std::vector<std::vector<uint8_t>> captured = Records(*log);
    ASSERT_EQ(captured.size(), sim.DeliveredRecords());
    {
        std::vector<uint8_t> joined;
        for (const auto& r : captured) joined.insert(joined.end(), r.begin(), r.end());
        EXPECT_EQ(joined, sim.DeliveredBytes());
    }
    EXPECT_TRUE(log->IsModified());

    // Save: asks for a name, writes, takes the path.
    prompts.files = {first};
    messages.Clear();
    ASSERT_TRUE(log->Save());
    EXPECT_FALSE(log->IsModified());
    EXPECT_EQ(log->GetPathName(), first);
    EXPECT_EQ(log->GetTitle(), L"first.bdx");
    EXPECT_TRUE(prompts.boxes.empty());
    const std::vector<Recorder::Message> progress = messages.Sent();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().wParam, 1u);
    EXPECT_EQ(progress.back().wParam, 0u);

    // Clear, then save: the cleared log saves without a fault, as a new log
    // does, and the file saved before keeps its records.
    log->Clear();
    EXPECT_TRUE(log->IsModified());
    prompts.fileDialogs.clear();
    EXPECT_TRUE(log->Save());
    EXPECT_TRUE(prompts.boxes.empty());
    EXPECT_TRUE(prompts.fileDialogs.empty());
    EXPECT_FALSE(log->IsModified());
    EXPECT_TRUE(log->GetPathName().empty());
    EXPECT_EQ(log->GetTitle(), L"Untitled");
    EXPECT_TRUE(log->SaveModified());   // nothing left to ask
    EXPECT_TRUE(prompts.boxes.empty());

    // Open the first file: its records, exactly.
    ASSERT_EQ(manager->OpenLog(first.c_str()), log);
    EXPECT_FALSE(log->IsLive());
    EXPECT_EQ(log->GetPathName(), first);
    EXPECT_EQ(Records(*log), captured);
    EXPECT_EQ(codes.Posted(WM_LOGCHANGED).back(), LOG_NOTIFY_OPENED);

    // Opening the open path again returns the log without reading the file.
    codes.Clear();
    messages.Clear();
    std::wstring upper = first;
    for (wchar_t& c : upper) c = towupper(c);
    EXPECT_EQ(manager->OpenLog(upper.c_str()), log);
    EXPECT_TRUE(codes.Posted(WM_LOGCHANGED).empty());
    EXPECT_TRUE(messages.Sent().empty());   // no progress: nothing read

    // Save as: the opened file's records go to the new file.
    prompts.files = {second};
    ASSERT_TRUE(log->SaveAs());
    EXPECT_EQ(log->GetPathName(), second);
    EXPECT_TRUE(prompts.boxes.empty());

    // Both files reopen with exactly the captured records.
    for (const std::wstring& path : {first, second}) {
        ASSERT_EQ(manager->OpenLog(path.c_str()), log)
            << (prompts.boxes.empty() ? std::string("no message") : std::string(prompts.boxes.back().text.begin(), prompts.boxes.back().text.end()));
        EXPECT_EQ(Records(*log), captured);
    }
    // Every file saved or opened went to the recent-file list.
    SetRecentFileHook(nullptr);
    EXPECT_EQ(g_recentFiles, (std::vector<std::wstring>{first, first, second, first, second}));
    driver.Disconnect();
    log->Close();
}

} // namespace
