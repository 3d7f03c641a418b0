// The About box (command 40022): the product picture, the version in bold,
// the legal notice and a link to the product's web site.
#pragma once
#include <windows.h>

#include "framework/Dialog.h"
#include "toolkit/controls/win/HyperLink.h"
#include "toolkit/controls/win/PictureEx.h"

namespace brx {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(HWND parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    CHyperLink& GetLink() { return m_link; }
    CPictureEx& GetPicture() { return m_picture; }
    HFONT GetBoldFont() const { return m_hBoldFont; }

protected:
    void OnDestroy();

private:
    CHyperLink m_link;
    CPictureEx m_picture;
    HFONT m_hBoldFont = nullptr;
};

} // namespace brx
