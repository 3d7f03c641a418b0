#include "capture/win/Prompts.h"

namespace brx {

namespace {

class SystemPrompts final : public IPrompts {
public:
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override {
        return ::MessageBoxW(owner, text, caption, type);
    }
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override {
        return ::MessageBoxA(owner, text, caption, type);
    }
    BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) override { return ::GetOpenFileNameW(dialog); }
    BOOL GetSaveFileNameW(OPENFILENAMEW* dialog) override { return ::GetSaveFileNameW(dialog); }
    PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) override {
        return ::SHBrowseForFolderW(info);
    }
};

SystemPrompts g_systemPrompts;
IPrompts* g_prompts = nullptr;

} // namespace

IPrompts& Prompts() { return g_prompts ? *g_prompts : g_systemPrompts; }

IPrompts* SetPrompts(IPrompts* prompts) {
    IPrompts* previous = g_prompts;
    g_prompts = prompts;
    return previous;
}

} // namespace brx
