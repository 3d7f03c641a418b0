// The recent files list without windows: the entries and their order, how
// they are stored in a settings section, how a path is shortened for a menu
// and how a menu item is numbered. The window half (menus, the settings store,
// full paths and file titles of the system) forwards to these.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "base/Text.h"

namespace brx {

// The values of the list's settings section.
class RecentFilesSettings {
public:
    virtual ~RecentFilesSettings() = default;
    virtual uint32_t ReadDword(const WString& name, uint32_t defaultValue) = 0;
    // Empty when the value is missing or cannot be read.
    virtual WString ReadString(const WString& name) = 0;
    virtual void WriteDword(const WString& name, uint32_t value) = 0;
    virtual void WriteString(const WString& name, const WString& value) = 0;
    virtual void DeleteValue(const WString& name) = 0;
};

inline constexpr int kRecentFilesMaxCount = 16;
inline constexpr int kRecentFilesDefaultCount = 4;
// Paths of this many characters and more are not shown.
inline constexpr size_t kRecentFilesPathLimit = 261;
inline constexpr int kRecentFilesDisplayLength = 260;

// Whether two full paths name the same file.
using SameFileTest = std::function<bool(const WString&, const WString&)>;

class RecentFileList {
public:
    // valueFormat names the entries' values: its "%d" becomes the 1-based
    // entry number ("File%d": File1, File2, ...).
    explicit RecentFileList(WString valueFormat);

    // n clamped to 0..16; the first entries are kept.
    void SetSize(int n);
    int GetSize() const { return static_cast<int>(m_entries.size()); }

    // "Count" (default 4), then the entries; a value that is missing, empty
    // or 261 characters long or more is skipped and the files after it move
    // up.
    void Load(RecentFilesSettings& settings);
    // "Count", then every entry that is not empty.
    void Save(RecentFilesSettings& settings) const;
    // Deletes the entries' values 1 .. count.
    void DeleteValues(RecentFilesSettings& settings) const;

    // Puts a full path at the top: an entry naming the same file (among all
    // but the last) moves up, else the last entry drops out. False (nothing
    // changed) when the list has no entries.
    bool Add(const WString& fullPath, const SameFileTest& sameFile);
    // Removes one entry, the ones after it move up; false outside the list.
    bool Remove(int index);
    // Empties every entry (the count stays).
    void Clear();
    int CountUsed() const;
    // The entry, empty outside the list.
    const WString& Entry(int index) const;
    WString ValueName(int number) const;

private:
    std::vector<WString> m_entries;
    WString m_format;
};

// Case-insensitive for the letters A-Z (the window half uses the system's
// comparison).
bool SameFileIgnoringAsciiCase(const WString& a, const WString& b);

// Shortens a full path to at most maxLength characters: the root (a drive
// and its first folder, or a UNC server and share) stays, folders after it
// give way to "\..." from the left; when that cannot fit, the file name
// alone (or, when even that does not fit, the name with atLeastName set and
// else nothing).
WString AbbreviatePath(const WString& path, int maxLength, bool atLeastName);

// A file's title as the shell shows it; false when it has none.
using FileTitleFunction = std::function<bool(const WString& fileName, WString& title)>;

// The menu text of an entry: the title alone for a file in the current
// directory (given with its trailing backslash), else the full path with the
// title as its last part, shortened to maxLength (-1: not shortened). False
// for an empty path or one of 261 characters or more.
bool RecentDisplayName(const WString& path, const WString& currentDirectory, int maxLength, bool atLeastName,
                       const FileTitleFunction& title, WString& out);

// The numbered menu item of entry index (from 0) with its text; ampersands
// of the text show as such.
WString RecentMenuText(int index, const WString& display);

} // namespace brx
