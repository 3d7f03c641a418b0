// A user at the keyboard and mouse of another process: the road test starts
// brindlex-sim.exe as a program of its own and drives it with keys (SendInput
// to the foreground window), clicks posted at client coordinates, and
// messages to its dialogs' controls; it reads what the windows show through
// their messages, with the item texts of lists and trees copied through the
// other process's memory.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/WindowScreenshot.h"

namespace brx::road {

constexpr DWORD kWait = 20000;

inline std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }
inline std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// Polls a condition until it holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, DWORD timeout = kWait) {
    const DWORD until = ::GetTickCount() + timeout;
    for (;;) {
        if (condition()) return true;
        if (static_cast<int32_t>(::GetTickCount() - until) >= 0) return false;
        ::Sleep(25);
    }
}

inline std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    ::GetClassNameW(w, name, 128);
    return name;
}

// WM_GETTEXT across processes: the system copies the text.
inline std::wstring TextOf(HWND w) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                          &got);
    text.resize(got);
    return text;
}

inline DWORD ProcessOf(HWND w) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return pid;
}

// The visible top-level windows of a process.
inline std::vector<HWND> TopWindows(DWORD pid) {
    struct Walk {
        DWORD pid;
        std::vector<HWND> found;
    } walk{pid, {}};
    ::EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* walk = reinterpret_cast<Walk*>(lp);
            if (ProcessOf(w) == walk->pid && ::IsWindowVisible(w)) walk->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

// A visible dialog (or any top-level window of the class) of the process
// whose caption holds the text; nullptr when none.
inline HWND FindTopWindow(DWORD pid, const std::wstring& caption, const wchar_t* className = L"#32770") {
    for (HWND w : TopWindows(pid))
        if ((!className || ClassOf(w) == className) && TextOf(w).find(caption) != std::wstring::npos) return w;
    return nullptr;
}

inline HWND WaitForTopWindow(DWORD pid, const std::wstring& caption, const wchar_t* className = L"#32770",
                             DWORD timeout = kWait) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(pid, caption, className)) != nullptr; }, timeout);
    return found;
}

// Every descendant of a window.
inline std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> all;
    ::EnumChildWindows(
        root,
        [](HWND w, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

inline HWND DescendantById(HWND root, int id, const wchar_t* className = nullptr) {
    for (HWND w : Descendants(root))
        if (::GetDlgCtrlID(w) == id && (!className || ClassOf(w) == className)) return w;
    return nullptr;
}

inline HWND DescendantByClass(HWND root, const wchar_t* className, bool visibleOnly = true) {
    for (HWND w : Descendants(root))
        if (ClassOf(w) == className && (!visibleOnly || ::IsWindowVisible(w))) return w;
    return nullptr;
}

// Memory in the other process for the messages whose parameters point to
// structures.
class RemoteMemory {
public:
    RemoteMemory(HWND w, size_t size) : size_(size) {
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(w));
        if (process_) address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool Ok() const { return address_ != nullptr; }
    char* Address() const { return static_cast<char*>(address_); }
    LPARAM At(size_t offset = 0) const { return reinterpret_cast<LPARAM>(Address() + offset); }
    bool Write(const void* from, size_t size, size_t offset = 0) {
        SIZE_T done = 0;
        return offset + size <= size_ && ::WriteProcessMemory(process_, Address() + offset, from, size, &done) &&
               done == size;
    }
    bool Read(void* to, size_t size, size_t offset = 0) const {
        SIZE_T done = 0;
        return offset + size <= size_ && ::ReadProcessMemory(process_, Address() + offset, to, size, &done) &&
               done == size;
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

// List views.
inline int ListCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }
inline int ListSelected(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
inline int ListColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

inline std::wstring ListText(HWND list, int row, int column) {
    constexpr size_t kChars = 1024;
    RemoteMemory memory(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    if (!memory.Ok()) return {};
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(LVITEMW));
    memory.Write(&item, sizeof item);
    const int n = static_cast<int>(::SendMessageW(list, LVM_GETITEMTEXTW, row, memory.At()));
    std::wstring text(kChars, L'\0');
    memory.Read(text.data(), kChars * sizeof(wchar_t), sizeof(LVITEMW));
    text.resize(n >= 0 && n < static_cast<int>(kChars) ? n : 0);
    return text;
}

inline std::wstring ListColumnTitle(HWND list, int column) {
    constexpr size_t kChars = 256;
    RemoteMemory memory(list, sizeof(LVCOLUMNW) + kChars * sizeof(wchar_t));
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.cchTextMax = kChars;
    col.pszText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(LVCOLUMNW));
    memory.Write(&col, sizeof col);
    if (!::SendMessageW(list, LVM_GETCOLUMNW, column, memory.At())) return {};
    std::wstring text(kChars, L'\0');
    memory.Read(text.data(), kChars * sizeof(wchar_t), sizeof(LVCOLUMNW));
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
}

inline RECT ListItemRect(HWND list, int row) {
    RemoteMemory memory(list, sizeof(RECT));
    RECT rc{LVIR_BOUNDS, 0, 0, 0};
    memory.Write(&rc, sizeof rc);
    ::SendMessageW(list, LVM_GETITEMRECT, row, memory.At());
    memory.Read(&rc, sizeof rc);
    return rc;
}

// Tree views.
inline int TreeCount(HWND tree) { return static_cast<int>(::SendMessageW(tree, TVM_GETCOUNT, 0, 0)); }
inline HTREEITEM TreeNext(HWND tree, HTREEITEM item, UINT how) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}
inline std::wstring TreeText(HWND tree, HTREEITEM item) {
    constexpr size_t kChars = 512;
    RemoteMemory memory(tree, sizeof(TVITEMW) + kChars * sizeof(wchar_t));
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.cchTextMax = kChars;
    tv.pszText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(TVITEMW));
    memory.Write(&tv, sizeof tv);
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, memory.At())) return {};
    std::wstring text(kChars, L'\0');
    memory.Read(text.data(), kChars * sizeof(wchar_t), sizeof(TVITEMW));
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
}
inline int TreeCheckState(HWND tree, HTREEITEM item) {
    return static_cast<int>(::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >>
                            12);
}
inline RECT TreeItemRect(HWND tree, HTREEITEM item) {
    RemoteMemory memory(tree, sizeof(RECT));
    RECT rc{};
    *reinterpret_cast<HTREEITEM*>(&rc) = item;
    memory.Write(&rc, sizeof rc);
    ::SendMessageW(tree, TVM_GETITEMRECT, TRUE, memory.At());
    memory.Read(&rc, sizeof rc);
    return rc;
}
// Every item of a tree in display order (expanded or not), with its text.
inline void WalkTree(HWND tree, const std::function<void(HTREEITEM, const std::wstring&, int)>& visit) {
    std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM item, int depth) {
        for (; item; item = TreeNext(tree, item, TVGN_NEXT)) {
            visit(item, TreeText(tree, item), depth);
            walk(TreeNext(tree, item, TVGN_CHILD), depth + 1);
        }
    };
    walk(TreeNext(tree, nullptr, TVGN_ROOT), 0);
}
inline std::wstring TreeAllText(HWND tree) {
    std::wstring all;
    WalkTree(tree, [&](HTREEITEM, const std::wstring& text, int) { all += text + L"\n"; });
    return all;
}

// The mouse: a click posted at client coordinates. The button's release is
// queued with the press, so that controls that track the mouse after a press
// find it.
inline void Click(HWND w, int x, int y, bool right = false) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageW(w, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(w, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    ::PostMessageW(w, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}
// A click whose press is sent, for windows that act on the press at once
// (the dock group's tabs do nothing with a posted press under Wine): the
// release waits in the queue for the press's tracking.
inline void SentClick(HWND w, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageW(w, WM_LBUTTONUP, 0, at);
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
}
inline void ClickCentre(HWND w, const RECT& rc, bool right = false) {
    Click(w, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2, right);
}
inline void DoubleClick(HWND w, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(w, WM_LBUTTONUP, 0, at);
    ::PostMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(w, WM_LBUTTONUP, 0, at);
}

// The keyboard: keys as the hardware sends them, to the foreground window.
inline void KeyEvent(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN || vk == VK_HOME || vk == VK_END ||
        vk == VK_PRIOR || vk == VK_NEXT || vk == VK_DELETE || vk == VK_INSERT)
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    ::SendInput(1, &in, sizeof in);
    ::Sleep(15);
}
// A key with modifiers held: "Ctrl", "Alt", "Shift" as flags.
enum Mods : unsigned { kNone = 0, kCtrl = 1, kAlt = 2, kShift = 4 };
inline void Key(WORD vk, unsigned mods = kNone) {
    if (mods & kCtrl) KeyEvent(VK_CONTROL, false);
    if (mods & kAlt) KeyEvent(VK_MENU, false);
    if (mods & kShift) KeyEvent(VK_SHIFT, false);
    KeyEvent(vk, false);
    KeyEvent(vk, true);
    if (mods & kShift) KeyEvent(VK_SHIFT, true);
    if (mods & kAlt) KeyEvent(VK_MENU, true);
    if (mods & kCtrl) KeyEvent(VK_CONTROL, true);
}
// Typed text (letters, digits, spaces).
inline void Type(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT vk = ::VkKeyScanW(c);
        if (vk == -1) continue;
        Key(static_cast<WORD>(vk & 0xFF), (vk & 0x100) ? kShift : kNone);
    }
}

// A menu command as a user picks it: Alt with the menu's letter, then the
// item's letters (a submenu's letter opens it).
inline void MenuKeys(const std::wstring& letters) {
    for (size_t i = 0; i < letters.size(); ++i) {
        const WORD vk = static_cast<WORD>(::VkKeyScanW(letters[i]) & 0xFF);
        if (i == 0)
            Key(vk, kAlt);
        else
            Key(vk);
        ::Sleep(120);
    }
}

// A button of a dialog pressed as a click does: BM_CLICK sends the press and
// the release, and the button tells its dialog.
inline void PressButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    if (button) ::SendMessageW(button, BM_CLICK, 0, 0);
}
inline void PostPressButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    if (button) ::PostMessageW(button, BM_CLICK, 0, 0);
}

// A whole-screen picture (the dialogs over the main window) saved in the test
// output folder.
inline bool ScreenShot(const char* name) {
    ::Sleep(150);
    std::string path = BRX_TEST_OUTPUT_DIR;
    path.append("/road/").append(name);
    return test::SaveWindowBmp(::GetDesktopWindow(), path);
}

// ---- The program under test, started as a process of its own

struct Program {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    DWORD pid() const { return process.dwProcessId; }
};

// The program's visible main window (its frame's class is "Brindlex").
inline HWND FindMainWindow(DWORD pid) {
    for (HWND w : TopWindows(pid))
        if (ClassOf(w) == L"Brindlex") return w;
    return nullptr;
}

// Starts brindlex-sim.exe with its command line's arguments; the program
// makes the cue file once its main window is drawn (BRX_DRAWN_FILE). While
// waiting, eachWait runs every turn (a caller with windows of its own pumps
// its messages there). With waitDrawn false it returns once the process runs.
inline bool StartProgram(Program& p, const std::wstring& arguments, const std::wstring& cue,
                         const std::function<void()>& eachWait = {}, bool waitDrawn = true) {
    const std::wstring program = Widen(std::string(BRX_TEST_OUTPUT_DIR)) + L"/../app/brindlex-sim.exe";
    std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::DeleteFileW(cue.c_str());
    ::SetEnvironmentVariableW(L"BRX_DRAWN_FILE", cue.c_str());
    const BOOL created = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &startup, &p.process);
    ::SetEnvironmentVariableW(L"BRX_DRAWN_FILE", nullptr);
    if (!created) return false;
    if (!waitDrawn) return true;
    WaitFor([&] {
        if (eachWait) eachWait();
        return ::GetFileAttributesW(cue.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    p.main = FindMainWindow(p.pid());
    return p.main != nullptr;
}

// Ends a program that is left running after a failed step.
inline void EndProgram(Program& p) {
    if (!p.process.hProcess) return;
    if (::WaitForSingleObject(p.process.hProcess, 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(p.process.hProcess, 99);
        ::WaitForSingleObject(p.process.hProcess, kWait);
    }
    ::CloseHandle(p.process.hThread);
    ::CloseHandle(p.process.hProcess);
    p = Program{};
}

// Ends a second program when its step ends, also when the step fails.
struct ProgramGuard {
    Program& p;
    ~ProgramGuard() { EndProgram(p); }
};

} // namespace brx::road
