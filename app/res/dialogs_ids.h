// Ids of the settings dialogs' templates (dialogs.rc).
#pragma once

// The "Capture Settings" dialog.
#define IDD_CAPTURE_SETTINGS 140
#define IDI_CAPTURE_SETTINGS 146
#define IDC_CS_PRESETS 1028
#define IDC_CS_SAVE_AS 1029
#define IDC_CS_REMOVE 1030
#define IDC_CS_HOT_PLUGGED 1031
#define IDC_CS_ENTIRE_STACK 1032
#define IDC_CS_IRP_AND_SL_BODY 1033
#define IDC_CS_DATA_IN 1034
#define IDC_CS_DATA_OUT 1035
#define IDC_CS_REQUEST_TREE 1036
#define IDC_CS_APPLY 1041
#define IDC_CS_SIZE_LIMIT 1094
#define IDC_CS_STATUS 1100
#define IDC_CS_TRANSFER_GROUP 1102
#define IDC_CS_SETTINGS_LABEL 1103
#define IDC_CS_SIZE_LABEL 1104

// The "Save Capture Settings" name dialog.
#define IDD_SAVE_CAPTURE_SETTINGS 1085
#define IDC_PRESET_NAME 1095
