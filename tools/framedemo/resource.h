// Resource ids of the framework demo.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUT 129
#define ID_FILE_NEW 32001
#define ID_FILE_OPEN 32002
#define ID_APP_EXIT 32003
#define ID_EDIT_ADDLINE 32010
#define ID_VIEW_STATUS_BAR 32020
#define ID_VIEW_GRID 32021
#define ID_HELP_ABOUT 32030
#define ID_INDICATOR_LINES 32040
