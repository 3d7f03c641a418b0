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
    // templateId: the dialog with the edit editId, OK and Cancel.
    CPresetNameDlg(UINT templateId, UINT editId, HWND parent, std::wstring initial);

    const std::wstring& Name() const { return m_name; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(CCommand& cmd) override;

private:
    UINT m_editId;
    std::wstring m_name;
};

} // namespace brx
