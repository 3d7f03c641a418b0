// Resource ids of the main toolbar and status bar, the About box, the splash
// screen and the tip of the day (frame.rc), and the commands the toolbar
// sends (the menu's command ids).
#pragma once

#define IDB_MAINTOOLBAR_SMALL 107
#define IDB_MAINTOOLBAR_LARGE 108

#define IDD_ABOUTBOX 164
#define IDC_ABOUT_PICTURE 1110
#define IDC_ABOUT_VERSION 1111
#define IDC_ABOUT_LEGAL 1112
#define IDC_ABOUT_LINK 1113
#define IDR_ABOUT_PICTURE 163

#define IDD_SPLASH 1081
#define IDC_SPLASH_PICTURE 1002
#define IDR_SPLASH_PICTURE 149

#define IDD_TIP 122
#define IDC_TIP_AREA 112
#define IDC_TIP_NEXT 115
#define IDC_TIP_PREVIOUS 117
#define IDC_TIP_STARTUP 119
#define IDR_TIPS 113
#define IDI_TIP 151

// The status bar's fullness pane.
#define ID_INDICATOR_FULLNESS 40046

// Commands of the toolbar buttons.
#define ID_FILE_NEW 40002
#define ID_FILE_OPEN 40003
#define ID_FILE_SAVE 40005
#define ID_CAPTURE_SETTINGS 40118
#define ID_CAPTURE_START 40024
#define ID_CAPTURE_STOP 40025
#define ID_CAPTURE_CLEAR 40029
#define ID_FILTER_SETTINGS 40120
#define ID_FILTER_APPLY 40121
#define ID_FIND_PREV 40012
#define ID_FIND 40010
#define ID_FIND_NEXT 40011
#define ID_AUTO_SCROLL 40030
#define ID_SCREEN_SET_1 40123
#define ID_SCREEN_SET_2 40124
#define ID_SCREEN_SET_3 40125
#define ID_SCREEN_SET_4 40126

// The recent files popup.
#define ID_FILE_MRU_FIRST 40101
#define ID_FILE_MRU_LAST 40116
#define ID_FILE_MRU_CLEAR 40117
