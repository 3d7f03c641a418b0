#pragma once
#define IDD_RESIZABLE 300
#define IDC_LABEL 301
#define IDC_NAME 302
#define IDC_SPIN 303
#define IDC_KIND 304
#define IDC_GROUP 305
#define IDC_LIST 306
#define IDC_CHECK 307
#define IDC_SIMPLE 308
