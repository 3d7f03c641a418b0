// Resource ids of the framework demo.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUT 129
#define ID_FILE_NEW 32001
#define ID_FILE_OPEN 32002
#define ID_APP_EXIT 32003
#define ID_EDIT_ADDLINE 32010
#define ID_VIEW_GRID 32021
#define ID_HELP_ABOUT 32030
#define ID_INDICATOR_LINES 32040
#define ID_INDICATOR_GRID 32041
#define IDB_TOOLBAR 130
// The bars' ids are their show-and-hide commands.
#define ID_BAR_TOOLBAR 0xE800
#define ID_BAR_STATUS 0xE801
