// The frame tests' common start: a test that follows a paced capture starts
// from the same state as one that runs alone.
#include <gtest/gtest.h>

#include "capture/Filter.h"
#include "tests/app/main_commands/FrameFixture.h"

namespace brx::testing {
namespace {

using FrameStart = FrameTest;

bool NoticeWaits() {
    MSG msg;
    return ::PeekMessageW(&msg, nullptr, WM_LOGCHANGED, WM_LOGCHANGED, PM_NOREMOVE) != 0;
}

TEST_F(FrameStart, NoNoticeOfAnEarlierCaptureWaits) {
    // A paced capture stopped without handling its notices, as a test leaves
    // it when it ends while the list is still behind.
    SetKnobs(1000, 400);
    SelectAllDevices();
    const uint64_t reads = sim().DeliveredReads() + 100;
    ASSERT_TRUE(GetCaptureDriver().StartCapture(GetActiveLog()));
    const DWORD until = ::GetTickCount() + kWait;
    while (sim().DeliveredReads() < reads && ::GetTickCount() < until) ::Sleep(10);
    ASSERT_GE(sim().DeliveredReads(), reads);
    GetCaptureDriver().StopCapture();
    ASSERT_FALSE(GetCaptureDriver().IsCaptureRunning());
    ASSERT_GE(RecordCount(), 100u);
    ASSERT_TRUE(NoticeWaits()) << "the capture left notices for the list";

    StartClean();
    EXPECT_FALSE(NoticeWaits());
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(ListCount(), 0u);
    EXPECT_FALSE(GetActiveLog()->IsModified());

    // The next capture reaches the list as usual.
    CaptureOneRound();
    EXPECT_EQ(ListCount(), RecordCount());
    EXPECT_FALSE(NoticeWaits());
}

} // namespace
} // namespace brx::testing
