#include "app/frame/win/MainToolBar.h"

#include "app/res/frame_ids.h"

namespace brx {

namespace {

constexpr TBBUTTONEX Button(int id, int image, BYTE style) {
    TBBUTTONEX b{};
    b.tbinfo.iBitmap = image;
    b.tbinfo.idCommand = id;
    b.tbinfo.fsState = TBSTATE_ENABLED;
    b.tbinfo.fsStyle = style;
    b.tbinfo.iString = -1;
    b.bInitiallyVisible = TRUE;
    return b;
}
constexpr TBBUTTONEX Separator() { return Button(0, 0, BTNS_SEP); }

constexpr BYTE kPush = BTNS_BUTTON, kCheck = BTNS_CHECK, kGroup = BTNS_CHECKGROUP;

const TBBUTTONEX kButtons[kMainToolBarButtons] = {
    Button(ID_FILE_NEW, 5, kPush),
    Button(ID_FILE_OPEN, 6, kPush),
    Button(ID_FILE_SAVE, 7, kPush),
    Separator(),
    Button(ID_CAPTURE_SETTINGS, 0, kPush),
    Button(ID_CAPTURE_START, 1, kGroup),
    Button(ID_CAPTURE_STOP, 2, kGroup),
    Separator(),
    Button(ID_CAPTURE_CLEAR, 9, kPush),
    Separator(),
    Button(ID_FILTER_SETTINGS, 3, kPush),
    Button(ID_FILTER_APPLY, 4, kCheck),
    Separator(),
    Button(ID_FIND_PREV, 10, kPush),
    Button(ID_FIND, 11, kPush),
    Button(ID_FIND_NEXT, 12, kPush),
    Separator(),
    Button(ID_AUTO_SCROLL, 14, kCheck),
    Separator(),
    Button(ID_SCREEN_SET_1, 15, kGroup),
    Button(ID_SCREEN_SET_2, 16, kGroup),
    Button(ID_SCREEN_SET_3, 17, kGroup),
    Button(ID_SCREEN_SET_4, 18, kGroup),
};

} // namespace

const TBBUTTONEX* MainToolBarButtons() { return kButtons; }

void CToolBarMain::InitBar() {
    SetBitmaps(IDB_MAINTOOLBAR_SMALL, IDB_MAINTOOLBAR_SMALL, -1, IDB_MAINTOOLBAR_LARGE, IDB_MAINTOOLBAR_LARGE, -1, 0,
               RGB(255, 0, 255));
    SetButtons(kMainToolBarButtons, kButtons, 1);
    SetIconOptions(0, true);
}

bool CToolBarMain::HasButtonText(UINT id) { return id == ID_CAPTURE_START || id == ID_CAPTURE_STOP; }

} // namespace brx
