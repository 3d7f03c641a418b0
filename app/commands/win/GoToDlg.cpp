#include "app/commands/win/GoToDlg.h"

#include <string>

#include "app/commands/GoTo.h"
#include "app/res/goto_ids.h"

namespace brx {

static_assert(CGoToDlg::IDD == IDD_GOTO);

CGoToDlg::CGoToDlg(CWnd* parent, IGoToTarget* target)
    : CDialog(IDD, parent ? parent->m_hWnd : nullptr), m_pFrame(parent), m_pTarget(target) {}

BOOL CGoToDlg::Create() { return CDialog::Create(IDD, m_pFrame ? m_pFrame->m_hWnd : nullptr); }

BOOL CGoToDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    ::SendMessageW(GetDlgItem(IDC_GOTO_SEQUENCE), EM_LIMITTEXT, kMaxDigits, 0);
    CenterWindow();
    return TRUE;
}

void CGoToDlg::OnSequenceChanged() {
    const std::wstring text = GetWindowText(GetDlgItem(IDC_GOTO_SEQUENCE));
    ::EnableWindow(GetDlgItem(IDOK), !text.empty());
}

void CGoToDlg::OnOK() {
    // Digits only, within 32 bits; anything else does nothing.
    const std::wstring text = GetWindowText(GetDlgItem(IDC_GOTO_SEQUENCE));
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    const auto sequence =
        ParseSequenceNumber(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
    if (sequence && m_pTarget) m_pTarget->GoToRecord(*sequence);
}

void CGoToDlg::OnCancel() {
    if (m_pTarget) m_pTarget->OnGoToDialogClosed();
    DestroyWindow();
}

bool CGoToDlg::OnCommand(CCommand& cmd) {
    if (cmd.IsNotify(IDC_GOTO_SEQUENCE, EN_CHANGE)) return cmd.Run([&] { OnSequenceChanged(); });
    return CDialog::OnCommand(cmd);
}

} // namespace brx
