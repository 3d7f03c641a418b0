// The recent files list in a real File menu: the numbered items it builds,
// the ampersands shown as such, titles for files in the current directory,
// the greyed popup and Clear item of an empty list, and the settings store
// behind it.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "app/frame/win/RecentFilesMenu.h"
#include "app/res/frame_ids.h"
#include "capture/win/SettingsStore.h"
#include "tests/capture/win/TestRegistry.h"

namespace brx {
namespace {

// The File menu with its "&Recent Files" popup as the menu resource has it.
struct FileMenu {
    HMENU file = ::CreatePopupMenu();
    HMENU recent = ::CreatePopupMenu();
    FileMenu() {
        ::AppendMenuW(recent, MF_STRING, ID_FILE_MRU_FIRST, L"Recent File");
        ::AppendMenuW(recent, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(recent, MF_STRING, ID_FILE_MRU_CLEAR, L"&Clear Recent Files List");
        ::AppendMenuW(file, MF_STRING, 40003, L"&Open...");
        ::AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"&Recent Files");
    }
    ~FileMenu() { ::DestroyMenu(file); }
    FileMenu(const FileMenu&) = delete;
    FileMenu& operator=(const FileMenu&) = delete;

    std::vector<std::wstring> Items() const {
        std::vector<std::wstring> out;
        for (int i = 0; i < ::GetMenuItemCount(recent); ++i) {
            wchar_t text[300] = {};
            ::GetMenuStringW(recent, static_cast<UINT>(i), text, 300, MF_BYPOSITION);
            out.push_back(text);
        }
        return out;
    }
    bool Enabled(HMENU menu, UINT item, UINT by) const {
        return (::GetMenuState(menu, item, by) & (MF_DISABLED | MF_GRAYED)) == 0;
    }
};

// Routes the updates of the menu's items to the list, as the main frame does.
class CMenuTarget : public CCmdTarget {
public:
    explicit CMenuTarget(CRecentFilesMenu& list) : m_list(list) {}
    bool OnUpdateCommand(CCmdUI& ui) override {
        if (ui.m_nID == ID_FILE_MRU_FIRST) {
            m_list.UpdateMenu(&ui);
            return true;
        }
        // Clear keeps the state the list's update gave it.
        return ui.m_nID == ID_FILE_MRU_CLEAR;
    }
    bool OnCommand(CCommand& cmd) override {
        if (cmd.InRange(ID_FILE_MRU_FIRST, ID_FILE_MRU_CLEAR)) return cmd.Run([] {});
        return false;
    }

private:
    CRecentFilesMenu& m_list;
};

// Makes a folder the current directory while it lives.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& path) {
        ::GetCurrentDirectoryW(MAX_PATH, m_old);
        ::CreateDirectoryW(path.c_str(), nullptr);
        ::SetCurrentDirectoryW(path.c_str());
    }
    ~CurrentDirectory() { ::SetCurrentDirectoryW(m_old); }

private:
    wchar_t m_old[MAX_PATH] = {};
};

std::wstring StoredString(const wchar_t* value) {
    wchar_t buffer[300] = {};
    return ReadAppRegString(L"RecentFiles", value, buffer, 300) ? buffer : L"";
}

TEST(RecentFilesMenu, MenuItemsAreNumberedWithAmpersandsShown) {
    testing::TestRegistry registry;
    CurrentDirectory cd(L"C:\\recent-test");
    CRecentFilesMenu list(L"RecentFiles", L"File%d");
    list.SetSize(12);
    for (int i = 12; i >= 1; --i) list.AddFile((L"D:\\logs\\run " + std::to_wstring(i) + L".bdx").c_str());
    list.AddFile(L"D:\\Tom & Jerry\\a&b.bdx");
    list.AddFile(L"C:\\recent-test\\here.bdx"); // in the current directory: its title only
    FileMenu menu;
    CMenuTarget target(list);
    UpdateMenuItems(menu.recent, &target, true);
    std::vector<std::wstring> items = menu.Items();
    ASSERT_EQ(items.size(), 14u); // 12 entries, the separator and Clear
    wchar_t title[MAX_PATH] = {};
    ASSERT_EQ(::GetFileTitleW(L"here.bdx", title, MAX_PATH), 0);
    EXPECT_EQ(items[0], std::wstring(L"&1 ") + title);
    EXPECT_EQ(items[1], L"&2 D:\\Tom && Jerry\\a&&b" + std::wstring(wcsstr(title, L".") ? L".bdx" : L""));
    EXPECT_EQ(items[2].substr(0, 3), L"&3 ");
    EXPECT_EQ(items[9].substr(0, 4), L"1&0 ");
    EXPECT_EQ(items[10].substr(0, 3), L"11 ");
    EXPECT_EQ(items[11].substr(0, 3), L"12 ");
    EXPECT_EQ(items[13], L"&Clear Recent Files List");
    for (int i = 0; i < 12; ++i) EXPECT_EQ(::GetMenuItemID(menu.recent, i), static_cast<UINT>(ID_FILE_MRU_FIRST + i));
    EXPECT_TRUE(menu.Enabled(menu.recent, ID_FILE_MRU_CLEAR, MF_BYCOMMAND));
    // A second update rebuilds the same items, without duplicates.
    UpdateMenuItems(menu.recent, &target, true);
    EXPECT_EQ(menu.Items(), items);
    // The popup's own item is enabled while entries exist.
    UpdateMenuItems(menu.file, &target, true);
    EXPECT_TRUE(menu.Enabled(menu.file, 1, MF_BYPOSITION));
}

TEST(RecentFilesMenu, StoredEntriesOfAnotherTypeOrTooLongAreMissing) {
    testing::TestRegistry registry;
    const std::wstring good = L"D:\\logs\\good.bdx";
    const std::wstring later = L"D:\\logs\\later.bdx";
    const std::wstring tooLong = L"D:\\" + std::wstring(300, L'x') + L".bdx";
    const DWORD number = 7;
    const BYTE binary[] = {'D', 0, ':', 0, '\\', 0, 'b', 0, 0, 0};
    auto putString = [&](const wchar_t* name, DWORD type, const std::wstring& text) {
        return registry.Put(L"RecentFiles", name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
    };
    ASSERT_TRUE(registry.Put(L"RecentFiles", L"Count", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(putString(L"File1", REG_SZ, good));
    ASSERT_TRUE(registry.Put(L"RecentFiles", L"File2", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(registry.Put(L"RecentFiles", L"File3", REG_BINARY, binary, sizeof binary));
    ASSERT_TRUE(putString(L"File4", REG_EXPAND_SZ, L"D:\\logs\\expand.bdx"));
    ASSERT_TRUE(putString(L"File5", REG_SZ, tooLong));
    ASSERT_TRUE(putString(L"File6", REG_MULTI_SZ, L"D:\\logs\\multi.bdx"));
    ASSERT_TRUE(putString(L"File7", REG_SZ, later));

    CRecentFilesMenu list(L"RecentFiles", L"File%d");
    list.Load();
    ASSERT_EQ(list.GetSize(), 7);
    EXPECT_EQ(list.GetEntry(0), good);
    EXPECT_EQ(list.GetEntry(1), later) << "the files after an unreadable entry move up";
    for (int i = 2; i < 7; ++i) EXPECT_TRUE(list.GetEntry(i).empty()) << "entry " << i + 1;
    EXPECT_EQ(list.CountUsed(), 2);

    // The menu shows both files and no item without a name.
    FileMenu menu;
    CMenuTarget target(list);
    UpdateMenuItems(menu.recent, &target, true);
    for (int i = 0; i < ::GetMenuItemCount(menu.recent); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(::GetMenuItemInfoW(menu.recent, static_cast<UINT>(i), TRUE, &info));
        if (info.fType & MFT_SEPARATOR) continue;
        wchar_t text[300] = {};
        ::GetMenuStringW(menu.recent, static_cast<UINT>(i), text, 300, MF_BYPOSITION);
        const std::wstring shown = text;
        EXPECT_GT(shown.size(), 3u) << "item " << i;
        EXPECT_EQ(shown.find(L"xxxx"), std::wstring::npos) << "no piece of the long path";
    }
    const std::vector<std::wstring> items = menu.Items();
    ASSERT_EQ(items.size(), 4u);   // two files, the separator and Clear
    EXPECT_EQ(items[0].substr(0, 3), L"&1 ");
    EXPECT_NE(items[1].find(L"later"), std::wstring::npos);

    // Unreadable first entries: the popup never opens onto "(empty)".
    ASSERT_TRUE(registry.Put(L"RecentFiles", L"File1", REG_DWORD, &number, sizeof number));
    CRecentFilesMenu again(L"RecentFiles", L"File%d");
    again.Load();
    EXPECT_EQ(again.GetEntry(0), later);
    FileMenu second;
    CMenuTarget secondTarget(again);
    UpdateMenuItems(second.file, &secondTarget, true);
    UpdateMenuItems(second.recent, &secondTarget, true);
    EXPECT_TRUE(second.Enabled(second.file, 1, MF_BYPOSITION));
    EXPECT_NE(second.Items().front().find(L"later"), std::wstring::npos);
}

TEST(RecentFilesMenu, ClearGreysThePopupAndKeepsTheCount) {
    testing::TestRegistry registry;
    CRecentFilesMenu list(L"RecentFiles", L"File%d");
    list.AddFile(L"D:\\logs\\a.bdx");
    list.AddFile(L"D:\\logs\\b.bdx");
    FileMenu menu;
    CMenuTarget target(list);
    UpdateMenuItems(menu.recent, &target, true);
    ASSERT_EQ(menu.Items().size(), 4u);
    EXPECT_EQ(StoredString(L"File2"), L"D:\\logs\\a.bdx");

    list.Clear();
    EXPECT_EQ(list.CountUsed(), 0);
    EXPECT_EQ(StoredString(L"File1"), L"");
    EXPECT_EQ(ReadAppRegDword(L"RecentFiles", L"Count", 0), 4u);
    UpdateMenuItems(menu.file, &target, true);
    EXPECT_FALSE(menu.Enabled(menu.file, 1, MF_BYPOSITION));
    UpdateMenuItems(menu.recent, &target, true);
    EXPECT_FALSE(menu.Enabled(menu.recent, 0, MF_BYPOSITION));
    EXPECT_FALSE(menu.Enabled(menu.recent, ID_FILE_MRU_CLEAR, MF_BYCOMMAND));

    // The next start has the same number of (empty) slots.
    CRecentFilesMenu next(L"RecentFiles", L"File%d");
    next.SetSize(9);
    next.Load();
    EXPECT_EQ(next.GetSize(), 4);
    EXPECT_EQ(next.CountUsed(), 0);
}

TEST(RecentFilesMenu, AddingStoresFullPathsAndMovesCaseInsensitively) {
    testing::TestRegistry registry;
    CurrentDirectory cd(L"C:\\recent-test");
    CRecentFilesMenu list(L"RecentFiles", L"File%d");
    list.AddFile(L"first.bdx"); // relative: made full
    list.AddFile(L"D:\\Logs\\Second.bdx");
    list.AddFile(L"C:\\RECENT-TEST\\FIRST.BDX"); // the same file, other case
    EXPECT_EQ(list.CountUsed(), 2);
    EXPECT_EQ(list.GetEntry(0), L"C:\\RECENT-TEST\\FIRST.BDX");
    EXPECT_EQ(list.GetEntry(1), L"D:\\Logs\\Second.bdx");
    EXPECT_EQ(StoredString(L"File1"), L"C:\\RECENT-TEST\\FIRST.BDX");
    EXPECT_EQ(StoredString(L"File2"), L"D:\\Logs\\Second.bdx");

    // Removing the first moves the second up, in the store too.
    list.RemoveFile(0);
    EXPECT_EQ(list.GetEntry(0), L"D:\\Logs\\Second.bdx");
    EXPECT_EQ(StoredString(L"File1"), L"D:\\Logs\\Second.bdx");
    EXPECT_EQ(StoredString(L"File2"), L"");
    list.RemoveFile(7); // outside: nothing
    EXPECT_EQ(list.CountUsed(), 1);

    CRecentFilesMenu loaded(L"RecentFiles", L"File%d");
    loaded.Load();
    EXPECT_EQ(loaded.GetEntry(0), L"D:\\Logs\\Second.bdx");
}

TEST(RecentFilesMenu, DisplayNamesOfLongPathsAreShortened) {
    testing::TestRegistry registry;
    CRecentFilesMenu list(L"RecentFiles", L"File%d");
    list.AddFile(L"\\\\server\\share\\captures\\2024\\march\\keyboard.bdx");
    list.AddFile(L"D:\\captures\\2024\\march\\week 2\\mouse.bdx");
    list.m_nMaxDisplayLength = 32;
    std::wstring name;
    const wchar_t dir[] = L"C:\\elsewhere\\";
    ASSERT_TRUE(list.GetDisplayName(name, 0, dir, 13));
    EXPECT_EQ(name.substr(0, 23), L"D:\\captures\\...\\week 2\\");
    EXPECT_EQ(name.substr(23, 5), L"mouse");
    ASSERT_TRUE(list.GetDisplayName(name, 1, dir, 13));
    EXPECT_EQ(name.substr(0, 19), L"\\\\server\\share\\...\\");
    EXPECT_EQ(name.substr(19, 8), L"keyboard");
    // Too short for the root: the name alone.
    list.m_nMaxDisplayLength = 20;
    ASSERT_TRUE(list.GetDisplayName(name, 1, dir, 13));
    EXPECT_EQ(name.substr(0, 8), L"keyboard");
    EXPECT_FALSE(list.GetDisplayName(name, 2, dir, 13)); // an empty slot
    list.m_nMaxDisplayLength = -1;
    ASSERT_TRUE(list.GetDisplayName(name, 0, dir, 13));
    EXPECT_EQ(name, L"D:\\captures\\2024\\march\\week 2\\mouse.bdx");
}

} // namespace
} // namespace brx
