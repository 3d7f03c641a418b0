// The small modal dialog that asks for the name of a preset to save: one
// edit of at most 40 characters, starting with a proposed name fully
// selected; OK only while the edit is not empty.
#pragma once
#include <windows.h>

#include <string>

#include "framework/Dialog.h"

namespace brx {

class CPresetNameDlg final : public CDialog {
public:
    // templateId: the dialog with the edit editId, OK and Cancel; names are
    // at most maxChars long.
    CPresetNameDlg(UINT templateId, UINT editId, HWND parent, std::wstring initial, size_t maxChars = 40);

    const std::wstring& Name() const { return m_name; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(CCommand& cmd) override;

private:
    UINT m_editId;
    size_t m_maxChars;
    std::wstring m_name;
};

} // namespace brx
