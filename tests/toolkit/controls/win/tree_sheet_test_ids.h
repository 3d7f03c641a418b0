// Resource ids of the tree property sheet tests.
#pragma once

#define IDD_TREE_PAGE_A 7201
#define IDD_TREE_PAGE_B 7202
#define IDD_TREE_PAGE_C 7203
#define IDC_TREE_PAGE_EDIT 7210
#define IDI_TREE_PAGE_A 7220
#define IDI_TREE_PAGE_C 7221
