// Resource ids of the detail panes (request summary, raw data).
#pragma once

#define IDB_STATUS_IMAGES 134
#define IDR_RAW_DATA_POPUP 102

#define ID_RAW_WIDTH_FIT 40075
#define ID_RAW_WIDTH_4 40076
#define ID_RAW_WIDTH_8 40077
#define ID_RAW_WIDTH_16 40078
#define ID_RAW_TEXT_SMALLEST 40079
#define ID_RAW_TEXT_SMALLER 40080
#define ID_RAW_TEXT_MEDIUM 40081
#define ID_RAW_TEXT_LARGER 40082
#define ID_RAW_TEXT_LARGEST 40083
#define ID_RAW_LOWERCASE 40084
#define ID_RAW_COPY_ALL 40085
