#include "app/commands/FrameTexts.h"

namespace brx {

std::u16string RecentFileStatusText(const std::u16string& menuText) {
    const size_t blank = menuText.find(u' ');
    if (blank == std::u16string::npos) return u"Open this log file";
    return u"Open the capture file " + menuText.substr(blank + 1);
}

bool MarkLockedScreenSet(std::u16string& menuText, bool locked) {
    if (menuText.size() < 4 || menuText.size() >= 256) return false;
    const char16_t mark = locked ? u'#' : u' ';
    if (menuText[3] == mark) return false;
    menuText[3] = mark;
    return true;
}

int NextPaneInRing(int focused, const bool* visible, int count) {
    if (count <= 0) return -1;
    if (focused == -2) return 0;
    const int start = focused < 0 || focused >= count ? count : focused + 1;
    for (int step = 0; step < count; ++step) {
        const int i = (start + step) % count;
        if (visible[i]) return i;
    }
    return 0;
}

} // namespace brx
