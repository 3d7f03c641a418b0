// Resource ids of the tree property sheet (CTreePropSheet::kStateBitmapId).
#pragma once

#define IDB_TREE_PAGE_STATE 157
