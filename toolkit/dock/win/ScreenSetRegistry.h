// Screen sets in the registry: a layout blob as a REG_BINARY value.
#pragma once
#include <windows.h>

#include "toolkit/dock/DockLayout.h"

namespace brx {

// What a stored screen set must agree with on this screen: preferred sizes
// below the screen's size and the panes 1 to 9.
DockLoadRules ScreenSetRulesForThisScreen();

// Writes the layout (compacted first) as the value; false when the layout
// cannot be saved or the value not written.
bool SaveLayout(CDPLayout& layout, HKEY key, const wchar_t* valueName);
// Deletes the subkey of that name (its failure does not matter), then writes
// the value.
bool SaveLayoutToRegistry(CDPLayout& layout, HKEY key, const wchar_t* name);
// Loads the layout from the value: false unless it is a REG_BINARY value of
// 1 to 8192 bytes that loads; the layout is unchanged then.
bool LoadLayoutFromRegistry(CDPLayout& layout, HKEY key, const wchar_t* valueName);

} // namespace brx
