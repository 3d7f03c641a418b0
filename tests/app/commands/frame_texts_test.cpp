// The frame's small texts and choices: the recent-file status text, the lock
// mark of a screen-set item and its image, and the pane ring.
#include <gtest/gtest.h>

#include "app/commands/FrameTexts.h"

using namespace brx;

namespace {

TEST(RecentFileStatus, NamesTheFileAfterTheFirstBlank) {
    EXPECT_EQ(RecentFileStatusText(u"&1 C:\\My Captures\\a.bdx"), u"Open the capture file C:\\My Captures\\a.bdx");
    EXPECT_EQ(RecentFileStatusText(u"&2"), u"Open this log file");
    EXPECT_EQ(RecentFileStatusText(u""), u"Open this log file");
    EXPECT_EQ(RecentFileStatusText(u"&3 "), u"Open the capture file ");
}

TEST(ScreenSetMark, MarksAndUnmarksPositionThree) {
    std::u16string text = u"&1  \tAlt+1";
    EXPECT_TRUE(MarkLockedScreenSet(text, true));
    EXPECT_EQ(text, u"&1 #\tAlt+1");
    EXPECT_FALSE(MarkLockedScreenSet(text, true)) << "already marked";
    EXPECT_TRUE(MarkLockedScreenSet(text, false));
    EXPECT_EQ(text, u"&1  \tAlt+1");

    std::u16string tooShort = u"&1 ";
    EXPECT_FALSE(MarkLockedScreenSet(tooShort, true));
    EXPECT_EQ(tooShort, u"&1 ");
    std::u16string tooLong(256, u'x');
    EXPECT_FALSE(MarkLockedScreenSet(tooLong, true));
    EXPECT_EQ(tooLong, std::u16string(256, u'x'));
}

TEST(ScreenSetMark, ImagesFollowTheLock) {
    EXPECT_EQ(ScreenSetImage(0, false), 15);
    EXPECT_EQ(ScreenSetImage(3, false), 18);
    EXPECT_EQ(ScreenSetImage(0, true), 19);
    EXPECT_EQ(ScreenSetImage(3, true), 22);
}

TEST(PaneRing, TakesTheNextVisibleWindowAndWraps) {
    const bool visible[10] = {true, false, false, false, true, true, false, false, true, false};
    EXPECT_EQ(NextPaneInRing(-2, visible, 10), 0) << "the frame itself: the first";
    EXPECT_EQ(NextPaneInRing(0, visible, 10), 4);
    EXPECT_EQ(NextPaneInRing(4, visible, 10), 5);
    EXPECT_EQ(NextPaneInRing(5, visible, 10), 8);
    EXPECT_EQ(NextPaneInRing(8, visible, 10), 0) << "wraps";
    EXPECT_EQ(NextPaneInRing(9, visible, 10), 0);
    EXPECT_EQ(NextPaneInRing(-1, visible, 10), 0) << "not in the ring counts as the end";
    const bool one[3] = {false, true, false};
    EXPECT_EQ(NextPaneInRing(1, one, 3), 1) << "the focused window is the only visible one";
    const bool none[3] = {false, false, false};
    EXPECT_EQ(NextPaneInRing(1, none, 3), 0);
}

} // namespace
