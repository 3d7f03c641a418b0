// The update rules of the main frame's commands: for each command, whether
// its menu item and button are enabled and how they are checked, computed
// from a snapshot of the program's state. The frame fills the snapshot; the
// rules themselves touch nothing.
#pragma once
#include <cstdint>

namespace brx {

// The modeless dialogs of the frame.
enum OpenDialog : uint32_t {
    DIALOG_CAPTURE_SETTINGS = 0x1,
    DIALOG_FILTER = 0x2,
    DIALOG_FIND = 0x4,
    DIALOG_GO_TO = 0x8,
};

struct FrameState {
    bool capturing = false;      // a capture runs
    bool driverOpen = false;     // connected to the capture driver (not view-only)
    bool live = false;           // the active log is backed by the scratch file
    bool empty = true;           // no active log or no records
    bool full = true;            // the log takes no more records (true without a log)
    bool modified = false;       // unsaved changes
    bool filterApplied = false;
    bool findSet = false;        // find criteria can match
    uint32_t openDialogs = 0;    // OpenDialog bits
    uint32_t listCount = 0;      // items in the capture list
    int64_t selectedRow = -1;    // -1 without a selection
    bool autoScroll = false;
    bool alwaysOnTop = false;
    bool captureHotPlugged = false;
    bool captureEntireStack = false;
    bool toolbarVisible = false;
    bool statusBarVisible = false;
    bool toolbarsLocked = false;
    int currentScreenSet = 0;       // 0..3
    uint32_t lockedScreenSets = 0;  // bit i: set i locked
    uint32_t hiddenPanes = 0;       // bit p: pane p (1..9) hidden
};

struct CommandUpdate {
    enum Check : int8_t { NoCheck = -1, Unchecked = 0, Checked = 1 };
    bool hasRule = false;    // false: the command has no update rule (enabled when handled)
    bool enabled = true;
    Check check = NoCheck;   // NoCheck: the rule leaves the check alone
    bool radio = false;      // the check is shown as a radio mark
};

CommandUpdate GetCommandUpdate(uint32_t id, const FrameState& state);

} // namespace brx
