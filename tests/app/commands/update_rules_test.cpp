// The update rules of the main frame's commands over the states they read:
// capturing, driver open, live, empty, full, modified, filter applied, the
// open dialogs, the list and its selection.
#include <gtest/gtest.h>

#include <functional>

#include "app/commands/CommandIds.h"
#include "app/commands/UpdateRules.h"

using namespace brx;

namespace {

// A live log with records, unsaved, the driver open, nothing running.
FrameState LiveLog() {
    FrameState s;
    s.driverOpen = true;
    s.live = true;
    s.empty = false;
    s.full = false;
    s.modified = true;
    s.findSet = true;
    s.listCount = 10;
    s.selectedRow = 4;
    return s;
}

// A capture file opened for viewing (not live, nothing to capture into).
FrameState OpenedFile() {
    FrameState s = LiveLog();
    s.live = false;
    s.modified = false;
    s.full = true;
    return s;
}

enum Expect { Off, On };
constexpr int kNone = -1, kUnchecked = 0, kChecked = 1;

struct Row {
    const char* name;
    uint32_t id;
    std::function<void(FrameState&)> change;
    Expect enabled;
    int check;
};

void Capturing(FrameState& s) { s.capturing = true; }
void NoDriver(FrameState& s) { s.driverOpen = false; }
void Empty(FrameState& s) {
    s.empty = true;
    s.listCount = 0;
    s.selectedRow = -1;
}
void Full(FrameState& s) { s.full = true; }
void Saved(FrameState& s) { s.modified = false; }
void NotLive(FrameState& s) { s.live = false; }
void NoChange(FrameState&) {}

TEST(UpdateRules, TableOverTheFrameStates) {
    using namespace cmd;
    const Row rows[] = {
        {"new", kNew, NoChange, On, kNone},
        {"new while capturing", kNew, Capturing, Off, kNone},
        {"new view-only", kNew, NoDriver, Off, kNone},
        {"open", kOpen, NoChange, On, kNone},
        {"open while capturing", kOpen, Capturing, Off, kNone},
        {"open view-only", kOpen, NoDriver, On, kNone},
        {"close live", kClose, NoChange, Off, kNone},
        {"close file", kClose, NotLive, On, kNone},
        {"save", kSave, NoChange, On, kNone},
        {"save unmodified", kSave, Saved, Off, kNone},
        {"save empty", kSave, Empty, Off, kNone},
        {"save file", kSave, NotLive, Off, kNone},
        {"save while capturing", kSave, Capturing, Off, kNone},
        {"save as", kSaveAs, Saved, On, kNone},
        {"save as empty", kSaveAs, Empty, Off, kNone},
        {"save as file", kSaveAs, NotLive, Off, kNone},
        {"save as while capturing", kSaveAs, Capturing, Off, kNone},
        {"export", kExportList, NotLive, On, kNone},
        {"export empty list", kExportList, Empty, Off, kNone},
        {"export while capturing", kExportList, Capturing, Off, kNone},
        {"exit while capturing", kExit, Capturing, On, kNone},
        {"exit view-only", kExit, NoDriver, On, kNone},
        {"capture settings", kCaptureSettings, Empty, On, kNone},
        {"capture settings open", kCaptureSettings, [](FrameState& s) { s.openDialogs = DIALOG_CAPTURE_SETTINGS; }, Off, kNone},
        {"capture settings view-only", kCaptureSettings, NoDriver, Off, kNone},
        {"start", kStartCapture, NoChange, On, kUnchecked},
        {"start while capturing", kStartCapture, Capturing, On, kChecked},
        {"start full", kStartCapture, Full, Off, kUnchecked},
        {"start file", kStartCapture, NotLive, Off, kUnchecked},
        {"start view-only", kStartCapture, NoDriver, Off, kUnchecked},
        {"start with filter dialog", kStartCapture, [](FrameState& s) { s.openDialogs = DIALOG_FILTER; }, Off, kUnchecked},
        {"start with filter applied", kStartCapture, [](FrameState& s) { s.filterApplied = true; }, On, kUnchecked},
        {"stop", kStopCapture, NoChange, On, kChecked},
        {"stop while capturing", kStopCapture, Capturing, On, kUnchecked},
        {"stop full", kStopCapture, Full, Off, kChecked},
        {"stop while capturing into a full store", kStopCapture, [](FrameState& s) { Capturing(s); Full(s); }, On, kUnchecked},
        {"stop file", kStopCapture, NotLive, Off, kChecked},
        {"stop with filter dialog", kStopCapture, [](FrameState& s) { s.openDialogs = DIALOG_FILTER; }, On, kChecked},
        {"hot-plugged", kCaptureHotPlugged, [](FrameState& s) { s.captureHotPlugged = true; }, On, kChecked},
        {"hot-plugged off", kCaptureHotPlugged, NoChange, On, kUnchecked},
        {"hot-plugged view-only", kCaptureHotPlugged, [](FrameState& s) { s.captureHotPlugged = true; s.driverOpen = false; }, Off, kUnchecked},
        {"entire stack", kCaptureEntireStack, [](FrameState& s) { s.captureEntireStack = true; }, On, kChecked},
        {"entire stack view-only", kCaptureEntireStack, NoDriver, Off, kUnchecked},
        {"filter settings", kFilterSettings, NotLive, On, kNone},
        {"filter settings open", kFilterSettings, [](FrameState& s) { s.openDialogs = DIALOG_FILTER; }, Off, kNone},
        {"filter settings empty", kFilterSettings, Empty, Off, kNone},
        {"filter settings while capturing", kFilterSettings, Capturing, Off, kNone},
        {"apply filter", kApplyFilter, NoChange, On, kUnchecked},
        {"filter applied", kApplyFilter, [](FrameState& s) { s.filterApplied = true; }, On, kChecked},
        {"filter applied, empty", kApplyFilter, [](FrameState& s) { Empty(s); s.filterApplied = true; }, Off, kUnchecked},
        {"apply filter while capturing", kApplyFilter, Capturing, Off, kUnchecked},
        {"clear", kClearCaptureList, NoChange, On, kNone},
        {"clear while capturing", kClearCaptureList, Capturing, On, kNone},
        {"clear full", kClearCaptureList, Full, On, kNone},
        {"clear empty", kClearCaptureList, Empty, Off, kNone},
        {"clear file", kClearCaptureList, NotLive, Off, kNone},
        {"find", kFind, NotLive, On, kNone},
        {"find open", kFind, [](FrameState& s) { s.openDialogs = DIALOG_FIND; }, Off, kNone},
        {"find empty", kFind, Empty, Off, kNone},
        {"find next", kFindNext, NoChange, On, kNone},
        {"find next on the last row", kFindNext, [](FrameState& s) { s.selectedRow = 9; }, Off, kNone},
        {"find next without selection", kFindNext, [](FrameState& s) { s.selectedRow = -1; }, On, kNone},
        {"find next on row 0", kFindNext, [](FrameState& s) { s.selectedRow = 0; }, On, kNone},
        {"find next, one item", kFindNext, [](FrameState& s) { s.listCount = 1; s.selectedRow = -1; }, Off, kNone},
        {"find next without criteria", kFindNext, [](FrameState& s) { s.findSet = false; }, Off, kNone},
        {"find prev", kFindPrev, NoChange, On, kNone},
        {"find prev on row 0", kFindPrev, [](FrameState& s) { s.selectedRow = 0; }, Off, kNone},
        {"find prev without selection", kFindPrev, [](FrameState& s) { s.selectedRow = -1; }, On, kNone},
        {"find prev on the last row", kFindPrev, [](FrameState& s) { s.selectedRow = 9; }, On, kNone},
        {"find prev, one item", kFindPrev, [](FrameState& s) { s.listCount = 1; }, Off, kNone},
        {"find prev without criteria", kFindPrev, [](FrameState& s) { s.findSet = false; }, Off, kNone},
        {"go to", kGoToRecord, Capturing, On, kNone},
        {"go to open", kGoToRecord, [](FrameState& s) { s.openDialogs = DIALOG_GO_TO; }, Off, kNone},
        {"go to, other dialogs open", kGoToRecord, [](FrameState& s) { s.openDialogs = DIALOG_FIND | DIALOG_FILTER; }, On, kNone},
        {"go to empty", kGoToRecord, Empty, Off, kNone},
        {"auto scroll", kAutoScroll, [](FrameState& s) { s.autoScroll = true; }, On, kChecked},
        {"auto scroll off", kAutoScroll, NoChange, On, kUnchecked},
        {"auto scroll full", kAutoScroll, [](FrameState& s) { s.autoScroll = true; s.full = true; }, Off, kChecked},
        {"auto scroll file", kAutoScroll, NotLive, Off, kUnchecked},
        {"main toolbar", kMainToolbar, [](FrameState& s) { s.toolbarVisible = true; }, On, kChecked},
        {"main toolbar hidden", kMainToolbar, NoChange, On, kUnchecked},
        {"status bar", kStatusBar, [](FrameState& s) { s.statusBarVisible = true; }, On, kChecked},
        {"lock toolbars", kLockToolbars, [](FrameState& s) { s.toolbarsLocked = true; }, On, kChecked},
        {"always on top", kAlwaysOnTop, [](FrameState& s) { s.alwaysOnTop = true; }, On, kChecked},
        {"lock screen set", kLockScreenSet, [](FrameState& s) { s.currentScreenSet = 2; s.lockedScreenSets = 4; }, On, kChecked},
        {"lock screen set, other locked", kLockScreenSet, [](FrameState& s) { s.currentScreenSet = 1; s.lockedScreenSets = 4; }, On, kUnchecked},
        {"reset screen set", kResetScreenSet, [](FrameState& s) { s.currentScreenSet = 1; s.lockedScreenSets = 4; }, On, kNone},
        {"reset locked screen set", kResetScreenSet, [](FrameState& s) { s.currentScreenSet = 2; s.lockedScreenSets = 4; }, Off, kNone},
        {"screen set 3 current", kScreenSetFirst + 2, [](FrameState& s) { s.currentScreenSet = 2; }, On, kChecked},
        {"screen set 1 not current", kScreenSetFirst, [](FrameState& s) { s.currentScreenSet = 2; }, On, kUnchecked},
        {"device tree shown", kPaneDeviceTree, NoChange, On, kChecked},
        {"device tree hidden", kPaneDeviceTree, [](FrameState& s) { s.hiddenPanes = 1u << 1; }, On, kUnchecked},
        {"raw data hidden", kPaneRawData, [](FrameState& s) { s.hiddenPanes = 1u << 6; }, On, kUnchecked},
        {"data analysis hidden", kPaneDataAnalysis, [](FrameState& s) { s.hiddenPanes = 1u << 9; }, On, kUnchecked},
        {"data analysis, second id", kPaneDataAnalysis2, [](FrameState& s) { s.hiddenPanes = 1u << 9; }, On, kUnchecked},
        {"URB details with data analysis hidden", kPaneUrbDetails, [](FrameState& s) { s.hiddenPanes = 1u << 9; }, On, kChecked},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FrameState s = LiveLog();
        row.change(s);
        const CommandUpdate u = GetCommandUpdate(row.id, s);
        EXPECT_TRUE(u.hasRule);
        EXPECT_EQ(u.enabled, row.enabled == On);
        EXPECT_EQ(static_cast<int>(u.check), row.check);
    }
}

TEST(UpdateRules, RadioMarksAreRadios) {
    FrameState s = LiveLog();
    EXPECT_TRUE(GetCommandUpdate(cmd::kStartCapture, s).radio);
    EXPECT_TRUE(GetCommandUpdate(cmd::kStopCapture, s).radio);
    EXPECT_TRUE(GetCommandUpdate(cmd::kScreenSetLast, s).radio);
    EXPECT_FALSE(GetCommandUpdate(cmd::kAutoScroll, s).radio);
    EXPECT_FALSE(GetCommandUpdate(cmd::kApplyFilter, s).radio);
}

TEST(UpdateRules, AnOpenedFileOffersViewingOnly) {
    const FrameState s = OpenedFile();
    for (uint32_t id : {cmd::kStartCapture, cmd::kStopCapture, cmd::kSave, cmd::kSaveAs, cmd::kClearCaptureList,
                        cmd::kAutoScroll})
        EXPECT_FALSE(GetCommandUpdate(id, s).enabled) << id;
    for (uint32_t id : {cmd::kOpen, cmd::kClose, cmd::kNew, cmd::kFind, cmd::kGoToRecord, cmd::kApplyFilter,
                        cmd::kExportList, cmd::kFindNext})
        EXPECT_TRUE(GetCommandUpdate(id, s).enabled) << id;
}

TEST(UpdateRules, CommandsWithoutRulesAreLeftToTheirHandlers) {
    const FrameState s = LiveLog();
    for (uint32_t id : {cmd::kGoToCorresponding, cmd::kSyncWithTree, cmd::kAutoSyncWithTree, cmd::kSetElapsedReference,
                        cmd::kClearElapsedReference, cmd::kGoToElapsedReference, cmd::kNextPane, cmd::kPreferences,
                        cmd::kAbout, cmd::kTipOfTheDay, cmd::kHelpF1, cmd::kRecentFileFirst})
        EXPECT_FALSE(GetCommandUpdate(id, s).hasRule) << id;
}

TEST(UpdateRules, PaneCommandsNameTheirPanes) {
    for (int pane = 1; pane <= 9; ++pane) EXPECT_EQ(cmd::PaneOfCommand(cmd::kPaneCommands[pane - 1]), pane);
    EXPECT_EQ(cmd::PaneOfCommand(cmd::kPaneDataAnalysis2), 9);
    EXPECT_EQ(cmd::PaneOfCommand(cmd::kNew), 0);
}

} // namespace
