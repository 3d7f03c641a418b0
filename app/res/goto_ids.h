// Ids of the go-to dialog's template (goto.rc).
#pragma once

#define IDD_GOTO 148
#define IDC_GOTO_SEQUENCE 1070
