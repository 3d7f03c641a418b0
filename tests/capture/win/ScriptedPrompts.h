// Scripted answers to the prompts for tests: each call is recorded and
// answered from a queue (or with a default), and an optional hook runs inside
// the call. Installed for its lifetime.
#pragma once
#include <cwchar>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "capture/win/Prompts.h"

namespace brx::testing {

class ScriptedPrompts final : public IPrompts {
public:
    struct MessageBoxCall {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT type;
    };

    ScriptedPrompts() { previous_ = SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(previous_); }

    std::deque<int> buttons;             // answers of message boxes (default IDOK)
    std::vector<MessageBoxCall> boxes;   // every message box shown
    std::function<void()> duringMessageBox;
    std::deque<std::wstring> files;      // answers of open and save dialogs ("" cancels)
    struct FileDialogCall {
        bool open;                       // GetOpenFileNameW, else GetSaveFileNameW
        std::wstring initialName;        // the file buffer on entry
        DWORD flags;
        std::wstring filter;             // the NUL-separated list with ';' between its items
        std::wstring defaultExtension;
        HWND owner = nullptr;
    };
    std::vector<FileDialogCall> fileDialogs;   // every open and save dialog shown
    // Answers the folder picker: gets the request, returns an item list
    // allocated through the shell allocator, or null to cancel.
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOW*)> browse;

    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
        boxes.push_back({owner, text ? text : L"", caption ? caption : L"", type});
        if (duringMessageBox)
            duringMessageBox();
        return Next();
    }
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override {
        auto widen = [](LPCSTR s) {
            std::wstring w;
            for (; s && *s; ++s)
                w.push_back(static_cast<unsigned char>(*s));
            return w;
        };
        boxes.push_back({owner, widen(text), widen(caption), type});
        if (duringMessageBox)
            duringMessageBox();
        return Next();
    }
    BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) override { return AnswerFile(dialog, true); }
    BOOL GetSaveFileNameW(OPENFILENAMEW* dialog) override { return AnswerFile(dialog, false); }
    PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) override {
        return browse ? browse(info) : nullptr;
    }

private:
    int Next() {
        if (buttons.empty())
            return IDOK;
        int b = buttons.front();
        buttons.pop_front();
        return b;
    }
    BOOL AnswerFile(OPENFILENAMEW* dialog, bool open) {
        if (dialog) {
            FileDialogCall call{open, dialog->lpstrFile ? dialog->lpstrFile : L"", dialog->Flags, {}, {}, dialog->hwndOwner};
            for (const wchar_t* f = dialog->lpstrFilter; f && *f; f += wcslen(f) + 1) {
                call.filter += f;
                call.filter += L';';
            }
            if (dialog->lpstrDefExt) call.defaultExtension = dialog->lpstrDefExt;
            fileDialogs.push_back(call);
        }
        if (files.empty())
            return FALSE;
        std::wstring f = files.front();
        files.pop_front();
        if (f.empty() || !dialog || !dialog->lpstrFile || f.size() >= dialog->nMaxFile)
            return FALSE;
        f.copy(dialog->lpstrFile, f.size());
        dialog->lpstrFile[f.size()] = 0;
        return TRUE;
    }

    IPrompts* previous_ = nullptr;
};

} // namespace brx::testing
