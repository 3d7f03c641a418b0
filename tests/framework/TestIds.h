// Resource ids of the framework tests (shared by the resource script).
#pragma once

#define IDR_TESTFRAME 100
#define ID_CMD_VIEW 40001
#define ID_CMD_FRAME 40002
#define ID_CMD_APP 40003
#define ID_CMD_NONE 40004
#define ID_CMD_DISABLED 40005
#define ID_CMD_CHECKED 40006
#define ID_CMD_RADIO 40007
#define ID_CMD_TEXT 40008
#define ID_CMD_RANGE_FIRST 40010
#define ID_CMD_RANGE_LAST 40013
#define ID_CMD_SUB_FIRST 40020
#define ID_PANE_STATE 40030
#define ID_INDICATOR_MODE 40031
#define ID_INDICATOR_COUNT 40032
#define ID_INDICATOR_OFF 40033
#define IDD_PAGE_ONE 200
#define IDD_PAGE_TWO 201
#define IDC_NAME 210
#define IDC_COUNT 211
#define IDC_FLAG 212
#define IDS_PAGE_TWO 220
