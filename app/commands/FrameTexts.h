// Small texts and choices of the main frame's commands that need no window:
// the status text of a recent-file menu item, the lock mark of a screen-set
// menu item and its toolbar image, and the next window of the pane ring.
#pragma once
#include <cstdint>
#include <string>

namespace brx {

// The status text for a recent-file item's menu text ("&1 C:\x.bdx"): "Open
// the capture file " and the text after the first blank, or "Open this log
// file" when the text has no blank.
std::u16string RecentFileStatusText(const std::u16string& menuText);

// The screen-set item text ("&1  \tAlt+1") with its lock mark: the character
// at position 3 becomes '#' when locked and a blank when not. Texts of 256
// characters or more, or shorter than 4, are left alone. Whether it changed.
bool MarkLockedScreenSet(std::u16string& menuText, bool locked);

// The toolbar image of screen set i (0..3).
constexpr int ScreenSetImage(int set, bool locked) { return (locked ? 19 : 15) + set; }

// The next window of the ring that takes the focus: from after `focused`
// (its place in the ring; -1 or >= count counts as the end, -2 the frame
// itself, which takes the first), wrapping, the first visible one; the first
// when none is visible.
int NextPaneInRing(int focused, const bool* visible, int count);

} // namespace brx
