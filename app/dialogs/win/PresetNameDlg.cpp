#include "app/dialogs/win/PresetNameDlg.h"

#include "app/dialogs/PresetChoice.h"

namespace brx {

CPresetNameDlg::CPresetNameDlg(UINT templateId, UINT editId, HWND parent, std::wstring initial, size_t maxChars)
    : CDialog(templateId, parent), m_editId(editId), m_maxChars(maxChars), m_name(std::move(initial)) {}

BOOL CPresetNameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND edit = GetDlgItem(m_editId);
    ::SendMessageW(edit, EM_LIMITTEXT, m_maxChars, 0);
    if (m_name.size() > m_maxChars) m_name.resize(m_maxChars);
    ::SetWindowTextW(edit, m_name.c_str());
    ::EnableWindow(GetDlgItem(IDOK), !m_name.empty());
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    GotoDlgCtrl(edit);
    return FALSE; // the focus is set
}

void CPresetNameDlg::OnOK() {
    m_name = GetWindowText(GetDlgItem(m_editId));
    CDialog::OnOK();
}

bool CPresetNameDlg::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(m_editId, EN_CHANGE)) return cmd.Run([&] {
        ::EnableWindow(GetDlgItem(IDOK), ::GetWindowTextLengthW(GetDlgItem(m_editId)) > 0);
    });
    return CDialog::OnCommand(cmd);
}

} // namespace brx
