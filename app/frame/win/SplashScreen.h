// The splash screen the main frame shows while it builds itself: a
// modeless dialog with the product picture, the short version and the legal
// notice painted over it. A key or a click removes it at once.
#pragma once
#include <windows.h>

#include "framework/Dialog.h"
#include "toolkit/controls/win/PictureEx.h"

namespace brx {

// The picture with the short version and the legal notice painted over it.
class CPictureExEx : public CPictureEx {
protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnPaint();
};

class CSplashScreen : public CDialog {
public:
    explicit CSplashScreen(HWND parent = nullptr);
    // The modeless splash window (template 1081) owned by the parent.
    BOOL Create(HWND parent);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Centres the window on the desktop, keeping its top-left corner on the
    // desktop's client area.
    void CenterOnDesktop();
    // Messages that remove a splash screen (a key or a mouse button).
    static bool IsDismissMessage(UINT msg);

    CPictureExEx& GetPicture() { return m_picture; }

protected:
    // The desktop window's rectangle and client area.
    virtual void GetDesktopRects(RECT& window, RECT& client) const;

private:
    CPictureExEx m_picture;
};

} // namespace brx
