// The Tip of the Day: one tip at a time with Next and Previous, and the
// "Show tips at startup" check box stored under "Preferences"\"TipOfTheDay"
// however the dialog is closed.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace brx {

class CTipDlg : public CDialog {
public:
    // Reads the show-at-start-up flag and the tips of the program's resource.
    explicit CTipDlg(HWND parent = nullptr);
    // Stores the flag again (so that closing with Escape keeps the choice).
    ~CTipDlg() override;

    // IDOK without showing anything when there are no tips.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    bool OnCommand(CCommand& cmd) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    void OnNextTip();
    void OnPrevTip();
    // Draws the current tip (with the frame: the whole tip area).
    void DrawTip(HDC dc, bool withFrame);

    int m_bStartup = 0;
    std::vector<std::wstring> m_tips;
    int m_nTip = 0;

protected:
    void OnPaint();
    void StoreFlag() const;
};

} // namespace brx
