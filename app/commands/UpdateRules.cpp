#include "app/commands/UpdateRules.h"

#include "app/commands/CommandIds.h"

namespace brx {

namespace {

CommandUpdate Enabled(bool on) {
    CommandUpdate u;
    u.hasRule = true;
    u.enabled = on;
    return u;
}

CommandUpdate Checked(bool on, bool enabled = true) {
    CommandUpdate u = Enabled(enabled);
    u.check = on ? CommandUpdate::Checked : CommandUpdate::Unchecked;
    return u;
}

CommandUpdate Radio(bool on, bool enabled = true) {
    CommandUpdate u = Checked(on, enabled);
    u.radio = true;
    return u;
}

bool Open(const FrameState& s, uint32_t dialog) { return (s.openDialogs & dialog) != 0; }

} // namespace

CommandUpdate GetCommandUpdate(uint32_t id, const FrameState& s) {
    // Start, Stop and Auto Scroll belong to a capture into the scratch file.
    const bool canCapture = s.live && s.driverOpen && !s.full;
    switch (id) {
    case cmd::kNew: return Enabled(!s.capturing && s.driverOpen);
    case cmd::kOpen: return Enabled(!s.capturing);
    case cmd::kClose: return Enabled(!s.live);
    case cmd::kSave: return Enabled(!s.empty && s.live && s.modified && !s.capturing);
    case cmd::kSaveAs: return Enabled(!s.empty && s.live && !s.capturing);
    case cmd::kExportList: return Enabled(!s.capturing && s.listCount >= 1);
    case cmd::kExit: return Enabled(true);
    case cmd::kCaptureSettings: return Enabled(!Open(s, DIALOG_CAPTURE_SETTINGS) && s.driverOpen);
    case cmd::kStartCapture: return Radio(s.capturing, canCapture && !Open(s, DIALOG_FILTER));
    // A capture into a store that just became full still runs until it is
    // stopped: Stop stays available while it does.
    case cmd::kStopCapture: return Radio(!s.capturing, canCapture || s.capturing);
    case cmd::kCaptureHotPlugged: return Checked(s.driverOpen && s.captureHotPlugged, s.driverOpen);
    case cmd::kCaptureEntireStack: return Checked(s.driverOpen && s.captureEntireStack, s.driverOpen);
    case cmd::kFilterSettings: return Enabled(!Open(s, DIALOG_FILTER) && !s.empty && !s.capturing);
    case cmd::kApplyFilter: {
        const bool on = !s.empty && !s.capturing;
        return Checked(on && s.filterApplied, on);
    }
    case cmd::kClearCaptureList: return Enabled(!s.empty && s.live);
    case cmd::kFind: return Enabled(!Open(s, DIALOG_FIND) && !s.empty);
    case cmd::kFindNext:
        return Enabled(s.findSet && s.listCount > 1 &&
                       (s.selectedRow < 0 || s.selectedRow != static_cast<int64_t>(s.listCount) - 1));
    case cmd::kFindPrev: return Enabled(s.findSet && s.listCount > 1 && s.selectedRow != 0);
    case cmd::kGoToRecord: return Enabled(!Open(s, DIALOG_GO_TO) && !s.empty);
    case cmd::kAutoScroll: return Checked(s.autoScroll, canCapture);
    case cmd::kMainToolbar: return Checked(s.toolbarVisible);
    case cmd::kLockToolbars: return Checked(s.toolbarsLocked);
    case cmd::kStatusBar: return Checked(s.statusBarVisible);
    case cmd::kLockScreenSet: return Checked(((s.lockedScreenSets >> s.currentScreenSet) & 1) != 0);
    case cmd::kResetScreenSet: return Enabled(((s.lockedScreenSets >> s.currentScreenSet) & 1) == 0);
    case cmd::kAlwaysOnTop: return Checked(s.alwaysOnTop);
    default: break;
    }
    if (id >= cmd::kScreenSetFirst && id <= cmd::kScreenSetLast)
        return Radio(static_cast<int>(id - cmd::kScreenSetFirst) == s.currentScreenSet);
    if (const int pane = cmd::PaneOfCommand(id)) return Checked(((s.hiddenPanes >> pane) & 1) == 0);
    CommandUpdate none;
    return none;
}

} // namespace brx
