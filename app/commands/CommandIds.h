// Command ids of the main frame: the menu (105), the accelerators (127), the
// main toolbar and the popups all send these. The resource script's header
// gives the same values to the templates; the frame checks that they agree.
#pragma once
#include <cstdint>

namespace brx::cmd {

constexpr uint32_t kNew = 40002;
constexpr uint32_t kOpen = 40003;
constexpr uint32_t kClose = 40004;
constexpr uint32_t kSave = 40005;
constexpr uint32_t kSaveAs = 40006;
constexpr uint32_t kExit = 40007;
constexpr uint32_t kFind = 40010;
constexpr uint32_t kFindNext = 40011;
constexpr uint32_t kFindPrev = 40012;
constexpr uint32_t kGoToRecord = 40013;
constexpr uint32_t kMainToolbar = 40014;
constexpr uint32_t kStatusBar = 40015;
constexpr uint32_t kAlwaysOnTop = 40016;
constexpr uint32_t kPreferences = 40018;
constexpr uint32_t kHelpF1 = 40019;
constexpr uint32_t kTipOfTheDay = 40020;
constexpr uint32_t kAbout = 40022;
constexpr uint32_t kStartCapture = 40024;
constexpr uint32_t kStopCapture = 40025;
constexpr uint32_t kClearCaptureList = 40029;
constexpr uint32_t kAutoScroll = 40030;
constexpr uint32_t kPaneUrbDetails = 40066;
constexpr uint32_t kPaneRawData = 40067;
constexpr uint32_t kPaneDataAnalysis = 40068;
constexpr uint32_t kPanePnpProperties = 40091;
constexpr uint32_t kPaneUsbProperties = 40092;
constexpr uint32_t kPaneCaptionFloat = 40093;
constexpr uint32_t kPaneCaptionClose = 40094;
constexpr uint32_t kPaneRequestSummary = 40095;
constexpr uint32_t kPaneIrpDetails = 40096;
constexpr uint32_t kRecentFileFirst = 40101;
constexpr uint32_t kRecentFileLast = 40116;
constexpr uint32_t kClearRecentFiles = 40117;
constexpr uint32_t kCaptureSettings = 40118;
constexpr uint32_t kCaptureHotPlugged = 40119;
constexpr uint32_t kFilterSettings = 40120;
constexpr uint32_t kApplyFilter = 40121;
constexpr uint32_t kScreenSetFirst = 40123;
constexpr uint32_t kScreenSetLast = 40126;
constexpr uint32_t kLockScreenSet = 40127;
constexpr uint32_t kResetScreenSet = 40128;
constexpr uint32_t kPaneDeviceTree = 40129;
constexpr uint32_t kPaneDeviceStack = 40130;
constexpr uint32_t kNextPane = 40132;
constexpr uint32_t kPaneDataAnalysis2 = 40134;
constexpr uint32_t kExportList = 40135;
constexpr uint32_t kCaptureEntireStack = 40150;
constexpr uint32_t kGoToCorresponding = 40151;
constexpr uint32_t kSyncWithTree = 40154;
constexpr uint32_t kAutoSyncWithTree = 40155;
constexpr uint32_t kSetElapsedReference = 40159;
constexpr uint32_t kClearElapsedReference = 40160;
constexpr uint32_t kGoToElapsedReference = 40161;
constexpr uint32_t kLockToolbars = 33003;

// The nine panes in the order of their pane ids 1..9.
constexpr uint32_t kPaneCommands[9] = {kPaneDeviceTree,     kPaneDeviceStack, kPaneUsbProperties,
                                       kPanePnpProperties,  kPaneRequestSummary, kPaneRawData,
                                       kPaneIrpDetails,     kPaneUrbDetails,  kPaneDataAnalysis};

// The pane id (1..9) a pane command toggles; 0 for other ids.
constexpr int PaneOfCommand(uint32_t id) {
    if (id == kPaneDataAnalysis2) return 9;
    for (int i = 0; i < 9; ++i)
        if (kPaneCommands[i] == id) return i + 1;
    return 0;
}

} // namespace brx::cmd
