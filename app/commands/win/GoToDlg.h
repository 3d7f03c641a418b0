// The modeless "Go to Record" dialog: the user types a sequence number and
// presses "&Go"; the frame selects that record or says why it cannot. The
// dialog stays open for further numbers until "Close", tells the frame when
// it goes, and deletes itself after its window is gone.
#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/Dialog.h"

namespace brx {

// What the dialog asks of the frame.
class IGoToTarget {
public:
    virtual ~IGoToTarget() = default;
    // Selects the record with the sequence number, or explains why not.
    virtual void GoToRecord(uint32_t sequence) = 0;
    // The dialog is closing: forget it.
    virtual void OnGoToDialogClosed() = 0;
};

class CGoToDlg final : public CDialog {
public:
    static constexpr UINT IDD = 148;
    // The longest number the edit takes.
    static constexpr int kMaxDigits = 10;

    // parent: the frame window, the dialog's owner; target: who goes to the
    // record (the frame).
    CGoToDlg(CWnd* parent, IGoToTarget* target);

    // Creates the modeless window from its template; whether it was created.
    BOOL Create();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(CCommand& cmd) override;

protected:
    void PostNcDestroy() override { delete this; }

private:
    void OnSequenceChanged();

    CWnd* m_pFrame;
    IGoToTarget* m_pTarget;
};

} // namespace brx
