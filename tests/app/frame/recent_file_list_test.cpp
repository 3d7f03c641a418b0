// The recent files list without windows: order on adding, the settings
// round trip with its bad counts, path shortening for drive and UNC paths,
// display names and menu numbering.
#include <gtest/gtest.h>

#include <map>

#include "app/frame/RecentFileList.h"

namespace brx {
namespace {

class FakeSettings : public RecentFilesSettings {
public:
    std::map<WString, uint32_t> dwords;
    std::map<WString, WString> strings;
    std::vector<WString> deleted;

    uint32_t ReadDword(const WString& name, uint32_t defaultValue) override {
        auto it = dwords.find(name);
        return it == dwords.end() ? defaultValue : it->second;
    }
    WString ReadString(const WString& name) override {
        auto it = strings.find(name);
        return it == strings.end() ? WString() : it->second;
    }
    void WriteDword(const WString& name, uint32_t value) override { dwords[name] = value; }
    void WriteString(const WString& name, const WString& value) override { strings[name] = value; }
    void DeleteValue(const WString& name) override {
        deleted.push_back(name);
        strings.erase(name);
    }
};

std::vector<WString> Entries(const RecentFileList& list) {
    std::vector<WString> out;
    for (int i = 0; i < list.GetSize(); ++i) out.push_back(list.Entry(i));
    return out;
}

RecentFileList Filled(std::initializer_list<const char16_t*> paths) {
    RecentFileList list(u"File%d");
    for (auto it = std::rbegin(paths); it != std::rend(paths); ++it) list.Add(*it, SameFileIgnoringAsciiCase);
    return list;
}

TEST(RecentFileList, StartsWithFourFreeSlots) {
    RecentFileList list(u"File%d");
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_EQ(list.CountUsed(), 0);
    EXPECT_EQ(list.ValueName(12), u"File12");
    EXPECT_TRUE(list.Entry(-1).empty());
    EXPECT_TRUE(list.Entry(4).empty());
}

TEST(RecentFileList, ReAddingMovesToTheTopIgnoringCase) {
    RecentFileList list = Filled({u"C:\\logs\\a.bdx", u"C:\\logs\\b.bdx", u"C:\\logs\\c.bdx"});
    ASSERT_EQ(Entries(list), (std::vector<WString>{u"C:\\logs\\a.bdx", u"C:\\logs\\b.bdx", u"C:\\logs\\c.bdx", u""}));
    EXPECT_TRUE(list.Add(u"c:\\LOGS\\C.BDX", SameFileIgnoringAsciiCase));
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"c:\\LOGS\\C.BDX", u"C:\\logs\\a.bdx", u"C:\\logs\\b.bdx", u""}));
    EXPECT_EQ(list.CountUsed(), 3);
    // The top entry added again stays alone at the top.
    list.Add(u"C:\\logs\\c.bdx", SameFileIgnoringAsciiCase);
    EXPECT_EQ(list.Entry(0), u"C:\\logs\\c.bdx");
    EXPECT_EQ(list.CountUsed(), 3);
}

TEST(RecentFileList, AFullListDropsTheLast) {
    RecentFileList list = Filled({u"C:\\1.bdx", u"C:\\2.bdx", u"C:\\3.bdx", u"C:\\4.bdx"});
    list.Add(u"C:\\new.bdx", SameFileIgnoringAsciiCase);
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"C:\\new.bdx", u"C:\\1.bdx", u"C:\\2.bdx", u"C:\\3.bdx"}));
    // The last entry itself is not searched: adding it again drops it and
    // puts it on top, still without a duplicate.
    list.Add(u"C:\\3.bdx", SameFileIgnoringAsciiCase);
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"C:\\3.bdx", u"C:\\new.bdx", u"C:\\1.bdx", u"C:\\2.bdx"}));
}

TEST(RecentFileList, NothingIsAddedWithoutSlots) {
    RecentFileList list(u"File%d");
    list.SetSize(0);
    EXPECT_FALSE(list.Add(u"C:\\a.bdx", SameFileIgnoringAsciiCase));
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_FALSE(list.Remove(0));
}

TEST(RecentFileList, SetSizeClampsAndKeepsTheFirst) {
    RecentFileList list(u"File%d");
    list.SetSize(8);
    for (const char16_t* p : {u"C:\\8", u"C:\\7", u"C:\\6", u"C:\\5", u"C:\\4", u"C:\\3", u"C:\\2", u"C:\\1"})
        list.Add(p, SameFileIgnoringAsciiCase);
    list.SetSize(4);
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"C:\\1", u"C:\\2", u"C:\\3", u"C:\\4"}));
    list.SetSize(40);
    EXPECT_EQ(list.GetSize(), 16);
    EXPECT_EQ(list.Entry(3), u"C:\\4");
    list.SetSize(-3);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(RecentFileList, RemoveMovesTheFollowingUp) {
    RecentFileList list = Filled({u"C:\\a", u"C:\\b", u"C:\\c", u"C:\\d"});
    EXPECT_FALSE(list.Remove(4));
    EXPECT_FALSE(list.Remove(-1));
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"C:\\a", u"C:\\c", u"C:\\d", u""}));
}

TEST(RecentFileList, SettingsRoundTrip) {
    FakeSettings settings;
    RecentFileList list = Filled({u"C:\\a.bdx", u"\\\\srv\\share\\b.bdx"});
    list.Save(settings);
    EXPECT_EQ(settings.dwords[u"Count"], 4u);
    EXPECT_EQ(settings.strings.size(), 2u); // empty slots are not written
    EXPECT_EQ(settings.strings[u"File2"], u"\\\\srv\\share\\b.bdx");

    RecentFileList loaded(u"File%d");
    loaded.Load(settings);
    EXPECT_EQ(Entries(loaded), Entries(list));

    // Clearing empties the entries and deletes their values; the count stays.
    loaded.Clear();
    loaded.DeleteValues(settings);
    EXPECT_EQ(loaded.CountUsed(), 0);
    EXPECT_EQ(loaded.GetSize(), 4);
    EXPECT_EQ(settings.deleted, (std::vector<WString>{u"File1", u"File2", u"File3", u"File4"}));
    EXPECT_TRUE(settings.strings.empty());
    EXPECT_EQ(settings.dwords[u"Count"], 4u);
}

TEST(RecentFileList, StoredCountsOutOfRange) {
    struct Case {
        uint32_t stored;
        int size;
    } cases[] = {{0, 0}, {1, 1}, {16, 16}, {17, 16}, {0xFFFFFFFFu, 0}, {0x80000000u, 0}};
    for (const Case& c : cases) {
        FakeSettings settings;
        settings.dwords[u"Count"] = c.stored;
        settings.strings[u"File1"] = u"C:\\x.bdx";
        RecentFileList list(u"File%d");
        list.Load(settings);
        EXPECT_EQ(list.GetSize(), c.size) << c.stored;
        EXPECT_EQ(list.CountUsed(), c.size ? 1 : 0) << c.stored;
    }
    // A missing count gives four; a missing value or an over-long path is
    // no file: the files after it move up (a hole would hide them behind an
    // empty menu).
    FakeSettings settings;
    settings.strings[u"File2"] = WString(300, u'x');
    settings.strings[u"File3"] = u"C:\\y.bdx";
    settings.strings[u"File4"] = WString(261, u'z');
    RecentFileList list(u"File%d");
    list.SetSize(9);
    list.Load(settings);
    EXPECT_EQ(Entries(list), (std::vector<WString>{u"C:\\y.bdx", u"", u"", u""}));
    // Loading again over held entries leaves none of the old ones behind.
    RecentFileList held = Filled({u"C:\\a.bdx", u"C:\\b.bdx", u"C:\\c.bdx"});
    held.Load(settings);
    EXPECT_EQ(Entries(held), (std::vector<WString>{u"C:\\y.bdx", u"", u"", u""}));
}

TEST(AbbreviatePath, Table) {
    struct Case {
        const char16_t* path;
        int max;
        bool atLeastName;
        const char16_t* expected;
    } cases[] = {
        // Fits: unchanged (also with no limit).
        {u"C:\\a\\b\\file.bdx", 15, true, u"C:\\a\\b\\file.bdx"},
        {u"C:\\a\\b\\file.bdx", -1, true, u"C:\\a\\b\\file.bdx"},
        // Drive paths keep the drive and the first folder.
        {u"C:\\logs\\usb\\2024\\march\\file.bdx", 30, true, u"C:\\logs\\...\\march\\file.bdx"},
        {u"C:\\logs\\usb\\2024\\march\\file.bdx", 24, true, u"C:\\logs\\...\\file.bdx"},
        // Root, "\..." and the name leave no room for the backslash before the
        // name: the name alone.
        {u"C:\\logs\\usb\\2024\\march\\file.bdx", 19, true, u"file.bdx"},
        {u"C:\\logs\\usb\\2024\\march\\file.bdx", 20, true, u"C:\\logs\\...\\file.bdx"},
        // UNC paths keep the server and the share.
        {u"\\\\server\\share\\dir\\sub\\file.bdx", 30, true, u"\\\\server\\share\\...\\file.bdx"},
        {u"\\\\server\\share\\dir\\sub\\deep\\file.bdx", 35, true, u"\\\\server\\share\\...\\deep\\file.bdx"},
        {u"\\\\server\\share\\dir\\sub\\file.bdx", 20, true, u"file.bdx"},
        // The name itself does not fit (with its terminator).
        {u"C:\\logs\\file.bdx", 8, true, u"file.bdx"},
        {u"C:\\logs\\file.bdx", 8, false, u""},
        {u"C:\\logs\\file.bdx", 9, false, u"file.bdx"},
        // A file right below the drive: the root is the drive alone.
        {u"C:\\a-very-long-file-name.bdx", 26, true, u"a-very-long-file-name.bdx"},
        // No root to keep: the name.
        {u"\\\\server\\file.bdx", 12, true, u"file.bdx"},
        {u"\\\\server", 5, true, u"server"},
        {u"relative\\dir\\file.bdx", 15, true, u"file.bdx"},
        {u"C:file.bdx", 5, false, u""},
    };
    for (const Case& c : cases) {
        WString got = AbbreviatePath(c.path, c.max, c.atLeastName);
        EXPECT_EQ(got, c.expected) << WideToUtf8(c.path) << " max " << c.max;
    }
}

TEST(AbbreviatePath, NeverLongerThanAskedWhenTheNameFits) {
    const WString path = u"\\\\server\\share\\one\\two\\three\\four\\five\\capture.bdx";
    for (int max = 12; max <= static_cast<int>(path.size()); ++max) {
        WString got = AbbreviatePath(path, max, true);
        EXPECT_LE(got.size(), static_cast<size_t>(max)) << max;
        EXPECT_EQ(got.substr(got.size() - 11), u"capture.bdx") << max;
    }
}

bool DropExtension(const WString& name, WString& title) {
    size_t dot = name.rfind(u'.');
    if (dot == WString::npos || dot == 0) return false;
    title = name.substr(0, dot);
    return true;
}

TEST(RecentDisplayName, CurrentDirectoryShowsTheTitle) {
    WString out;
    EXPECT_TRUE(RecentDisplayName(u"C:\\Logs\\a.bdx", u"c:\\logs\\", 260, true, DropExtension, out));
    EXPECT_EQ(out, u"a");
    EXPECT_TRUE(RecentDisplayName(u"C:\\Logs\\noext", u"C:\\Logs\\", 260, true, DropExtension, out));
    EXPECT_EQ(out, u"noext");
    // Elsewhere: the full path with the title as last part, or in full.
    EXPECT_TRUE(RecentDisplayName(u"D:\\other\\a.bdx", u"C:\\Logs\\", 260, true, DropExtension, out));
    EXPECT_EQ(out, u"D:\\other\\a");
    EXPECT_TRUE(RecentDisplayName(u"D:\\other\\a.bdx", u"C:\\Logs\\", -1, true, DropExtension, out));
    EXPECT_EQ(out, u"D:\\other\\a.bdx");
    EXPECT_TRUE(RecentDisplayName(u"D:\\one\\two\\three\\a.bdx", u"C:\\", 14, true, DropExtension, out));
    EXPECT_EQ(out, u"D:\\one\\...\\a");
    // A subfolder of the current directory is not the current directory.
    EXPECT_TRUE(RecentDisplayName(u"C:\\Logs\\x\\a.bdx", u"C:\\Logs\\", 260, true, DropExtension, out));
    EXPECT_EQ(out, u"C:\\Logs\\x\\a");
}

TEST(RecentDisplayName, EmptyAndOverlongPathsFail) {
    WString out = u"kept";
    EXPECT_FALSE(RecentDisplayName(u"", u"C:\\", 260, true, DropExtension, out));
    WString longPath = u"C:\\" + WString(257, u'x') + u"y"; // 261 characters
    EXPECT_FALSE(RecentDisplayName(longPath, u"C:\\", 260, true, DropExtension, out));
    longPath.pop_back();
    EXPECT_TRUE(RecentDisplayName(longPath, u"D:\\", 260, true, nullptr, out));
    EXPECT_EQ(out, longPath);
}

TEST(RecentMenuText, NumberingAndAmpersands) {
    struct Case {
        int index;
        const char16_t* display;
        const char16_t* expected;
    } cases[] = {
        {0, u"C:\\a.bdx", u"&1 C:\\a.bdx"},
        {8, u"x", u"&9 x"},
        {9, u"x", u"1&0 x"},
        {10, u"x", u"11 x"},
        {14, u"x", u"15 x"},
        {15, u"x", u"&0 x"},
        {1, u"C:\\Tom & Jerry\\&&.bdx", u"&2 C:\\Tom && Jerry\\&&&&.bdx"},
    };
    for (const Case& c : cases) EXPECT_EQ(RecentMenuText(c.index, c.display), c.expected) << c.index;
}

} // namespace
} // namespace brx
