// Resource ids of the extended header's divider cursors.
#pragma once

#define IDC_HEADER_DIVIDER 136
#define IDC_HEADER_SPLIT 138
