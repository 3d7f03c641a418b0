#include "app/frame/RecentFileList.h"

#include <algorithm>

namespace brx {

namespace {

constexpr size_t npos = WString::npos;

WString Number(int value) {
    WString digits;
    unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v);
    return digits;
}

size_t NameStart(const WString& path) {
    size_t slash = path.find_last_of(u'\\');
    return slash == npos ? 0 : slash + 1;
}

// Where the kept root of a path ends (at a backslash before the file name),
// npos when the path has no root to keep. nameStart is where the file name
// begins, so the folder part is path[0, nameStart).
size_t RootEnd(const WString& path, size_t nameStart) {
    size_t end;
    if (path.size() >= 2 && path[0] == u'\\' && path[1] == u'\\') {
        end = path.find(u'\\', 2); // the backslash after the server name
        if (end == npos || end == 2 || end >= nameStart) return npos;
    } else if (path.size() >= 3 && path[1] == u':' && path[2] == u'\\') {
        end = 2;
    } else {
        return npos;
    }
    // One folder further (the share of a UNC path), unless the file sits
    // right below the drive.
    if (nameStart > 3) {
        size_t next = path.find(u'\\', end + 1);
        if (next == npos || next >= nameStart) return npos;
        end = next;
    }
    return end;
}

} // namespace

RecentFileList::RecentFileList(WString valueFormat) : m_format(std::move(valueFormat)) {
    SetSize(kRecentFilesDefaultCount);
}

void RecentFileList::SetSize(int n) {
    n = std::clamp(n, 0, kRecentFilesMaxCount);
    m_entries.resize(static_cast<size_t>(n));
}

WString RecentFileList::ValueName(int number) const {
    WString name = m_format;
    size_t at = name.find(u"%d");
    if (at != npos) name.replace(at, 2, Number(number));
    return name;
}

void RecentFileList::Load(RecentFilesSettings& settings) {
    // The count is a signed number in a DWORD: a negative one gives no entries.
    SetSize(static_cast<int32_t>(settings.ReadDword(u"Count", kRecentFilesDefaultCount)));
    // A value that is missing, of another type or too long is no file: the
    // files after it move up, so that the menu never shows a hole (the
    // first empty entry ends the menu's items).
    size_t next = 0;
    for (int i = 0; i < GetSize(); ++i) {
        WString path = settings.ReadString(ValueName(i + 1));
        if (path.empty() || path.size() >= kRecentFilesPathLimit) continue;
        m_entries[next++] = std::move(path);
    }
    for (; next < m_entries.size(); ++next) m_entries[next].clear();
}

void RecentFileList::Save(RecentFilesSettings& settings) const {
    settings.WriteDword(u"Count", static_cast<uint32_t>(GetSize()));
    for (int i = 0; i < GetSize(); ++i)
        if (!m_entries[static_cast<size_t>(i)].empty())
            settings.WriteString(ValueName(i + 1), m_entries[static_cast<size_t>(i)]);
}

void RecentFileList::DeleteValues(RecentFilesSettings& settings) const {
    for (int i = 1; i <= GetSize(); ++i) settings.DeleteValue(ValueName(i));
}

bool RecentFileList::Add(const WString& fullPath, const SameFileTest& sameFile) {
    if (m_entries.empty()) return false;
    size_t at = m_entries.size() - 1;
    for (size_t i = 0; i + 1 < m_entries.size(); ++i) {
        if (sameFile(m_entries[i], fullPath)) {
            at = i;
            break;
        }
    }
    std::move_backward(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(at),
                       m_entries.begin() + static_cast<std::ptrdiff_t>(at) + 1);
    m_entries[0] = fullPath;
    return true;
}

bool RecentFileList::Remove(int index) {
    if (index < 0 || index >= GetSize()) return false;
    m_entries.erase(m_entries.begin() + index);
    m_entries.emplace_back();
    return true;
}

void RecentFileList::Clear() {
    for (WString& entry : m_entries) entry.clear();
}

int RecentFileList::CountUsed() const {
    return static_cast<int>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const WString& e) { return !e.empty(); }));
}

const WString& RecentFileList::Entry(int index) const {
    static const WString none;
    return index >= 0 && index < GetSize() ? m_entries[static_cast<size_t>(index)] : none;
}

bool SameFileIgnoringAsciiCase(const WString& a, const WString& b) { return !a.empty() && WideEqualsIgnoreCase(a, b); }

WString AbbreviatePath(const WString& path, int maxLength, bool atLeastName) {
    if (maxLength < 0 || path.size() <= static_cast<size_t>(maxLength)) return path;
    const size_t n = static_cast<size_t>(maxLength);
    const size_t nameStart = NameStart(path);
    WString name = path.substr(nameStart);
    if (name.size() + 1 > n) return atLeastName ? name : WString();
    const size_t root = RootEnd(path, nameStart);
    if (root == npos || n < name.size() + root + 4) return name;
    // Folders give way from the left until root + "\..." + the rest fits; the
    // rest always keeps the backslash before the name, and when even that is
    // too long the name stands alone.
    size_t rest = root;
    while (root + 4 + (path.size() - rest) > n) {
        size_t next = path.find(u'\\', rest + 1);
        if (next == npos || next >= nameStart) return name;
        rest = next;
    }
    return path.substr(0, root) + u"\\..." + path.substr(rest);
}

bool RecentDisplayName(const WString& path, const WString& currentDirectory, int maxLength, bool atLeastName,
                       const FileTitleFunction& title, WString& out) {
    if (path.empty() || path.size() >= kRecentFilesPathLimit) return false;
    const size_t nameStart = NameStart(path);
    const WString folder = path.substr(0, nameStart);
    const WString name = path.substr(nameStart);
    WString fileTitle;
    const bool titled = title && title(name, fileTitle) && !fileTitle.empty();
    if (folder.size() == currentDirectory.size() && WideEqualsIgnoreCase(folder, currentDirectory)) {
        out = titled ? fileTitle : name;
        return true;
    }
    if (maxLength == -1) {
        out = path;
        return true;
    }
    out = AbbreviatePath(titled ? folder + fileTitle : path, maxLength, atLeastName);
    return true;
}

WString RecentMenuText(int index, const WString& display) {
    const int k = (index + 1) % 16;
    WString text;
    if (k == 10) text = u"1&0 ";
    else if (k >= 11) text = Number(k) + u" ";
    else text = u"&" + Number(k) + u" ";
    for (char16_t c : display) {
        if (c == u'&') text += u'&';
        text += c;
    }
    return text;
}

} // namespace brx
