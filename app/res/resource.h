// Resource ids of the application's own script (brindlex.rc). Dialogs and
// bitmaps of the separate windows have their ids in their fragment's header.
#pragma once
