// Resource and command ids of the device tree and device stack views
// (devtree.rc).
#pragma once

// Control ids of the two panes.
#define IDC_DEVICE_TREE 40043
#define IDC_DEVICE_STACK 40044

// Images.
#define IDB_CAPTURE_STATE 114       // five 16 x 16 boxes on magenta
#define IDI_HOST_CONTROLLER 116
#define IDI_HUB 118
#define IDI_EMPTY_PORT 120
#define IDI_DEVICE_PROBLEM 121      // overlay
#define IDI_COMPUTER 123
#define IDI_UNKNOWN_DEVICE 124
#define IDI_STACK_BOTTOM 158
#define IDI_STACK_TOP 159
#define IDI_STACK_MIDDLE 160

// The device tree's context menu.
#define IDR_DEVICE_TREE_POPUP 126

// Commands.
#define ID_DEVICE_RESTART 40060
#define ID_DEVICE_AUTO_REFRESH 40061
#define ID_DEVICE_DISPLAY_COMPONENTS 40062
#define ID_DEVICE_REFRESH 40063
#define ID_DEVICE_PROPERTIES 40152
#define ID_USB_PROPERTIES_EXPORT 40153
