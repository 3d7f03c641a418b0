// The filter and find settings dialogs opened from the frame's commands on a
// simulated capture: a filter applied from the dialog leaves only the
// matching rows in the list (rebuilt once), and find next/previous with a
// data pattern lands on the rows whose data hold it.
#include <gtest/gtest.h>

#include <vector>

#include "app/commands/CommandIds.h"
#include "app/dialogs/win/FilterSettingsDlg.h"
#include "app/dialogs/win/FindSettingsDlg.h"
#include "app/res/dialogs_ids.h"
#include "capture/MatchCriteria.h"
#include "decode/RecordDataBytes.h"
#include "tests/app/main_commands/FrameFixture.h"

namespace brx::testing {
namespace {

using FilterFindRoad = FrameTest;

void ClickItem(HWND dialog, int id, bool wanted) {
    HWND box = ::GetDlgItem(dialog, id);
    if ((::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != wanted) ::SendMessageW(box, BM_CLICK, 0, 0);
}

TEST_F(FilterFindRoad, AFilterAppliedFromTheDialogShowsOnlyMatchingRows) {
    CaptureOneRound();
    const uint32_t all = ListCount();
    frame->SelectRow(3);
    Command(ID_FILTER_SETTINGS);
    auto* dialog = static_cast<CFilterSettingsDlg*>(frame->m_pFilterSettingsDlg);
    ASSERT_NE(dialog, nullptr);
    HWND hwnd = dialog->m_hWnd;
    // Completions of every kind.
    ClickItem(hwnd, IDC_FS_USE_FILTER, true);
    std::vector<uint8_t> kinds(KIND_SELECTION_COUNT, 1);
    dialog->Tree().SetSelection(kinds.data());
    ClickItem(hwnd, IDC_FS_ISSUE, false);
    ClickItem(hwnd, IDC_FS_SUCCESS, true);
    ClickItem(hwnd, IDC_FS_FAILURE, true);
    ClickItem(hwnd, IDC_FS_INPUT, true);
    ClickItem(hwnd, IDC_FS_OUTPUT, true);
    Pump(200);
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(hwnd, IDC_FS_APPLY)));
    const uint32_t rebuilds = GetRecordFilter().GetRebuildCount();
    ::SendMessageW(::GetDlgItem(hwnd, IDC_FS_APPLY), BM_CLICK, 0, 0);
    DrainLogNotices();
    Pump(300);
    EXPECT_EQ(GetRecordFilter().GetRebuildCount(), rebuilds + 1) << "one rebuild per Apply";
    ASSERT_TRUE(GetRecordFilter().IsApplied());
    const uint32_t shown = ListCount();
    EXPECT_EQ(shown, GetRecordFilter().GetRowCount());
    EXPECT_GT(shown, 0u);
    EXPECT_LT(shown, all);
    for (uint32_t row = 0; row < shown; ++row) {
        RECORD_INDEX_ENTRY entry{};
        ASSERT_EQ(GetRecordFilter().GetIndexEntry(row, entry), 0);
        EXPECT_TRUE(IsEntryCompletion(entry)) << row;
    }
    EXPECT_LT(frame->GetSelectedRow(), static_cast<int>(shown));

    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    Pump(200);
    EXPECT_EQ(frame->m_pFilterSettingsDlg, nullptr);
    Command(cmd::kApplyFilter);  // off again for the next test
}

TEST_F(FilterFindRoad, FindWithADataPatternLandsOnTheRowsHoldingIt) {
    CaptureOneRound();
    // A pattern taken from the data of some record in the middle of the list.
    const RECORD_LAYOUT layout = GetActiveLog()->GetRecordLayout();
    std::vector<uint8_t> pattern;
    auto dataOf = [&](uint32_t row, std::vector<uint8_t>& out) {
        std::vector<uint8_t> buffer(1 << 16);
        CRecordView view;
        view.Init(buffer.data(), static_cast<uint32_t>(buffer.size()));
        out.clear();
        if (GetRecordFilter().ReadRecord(row, view) != 0) return;
        const RECORD_DATA_BYTES d = GetRecordDataBytes(view, layout);
        out.assign(d.bytes, d.bytes + d.length);
    };
    const uint32_t count = ListCount();
    std::vector<uint8_t> data;
    for (uint32_t row = count / 2; row < count && pattern.empty(); ++row) {
        dataOf(row, data);
        if (data.size() >= 3) pattern.assign(data.begin(), data.begin() + 3);
    }
    ASSERT_EQ(pattern.size(), 3u);
    // Which rows hold it, by a plain scan.
    std::vector<uint32_t> holding;
    for (uint32_t row = 0; row < count; ++row) {
        dataOf(row, data);
        if (std::search(data.begin(), data.end(), pattern.begin(), pattern.end()) != data.end()) holding.push_back(row);
    }
    ASSERT_FALSE(holding.empty());

    Command(ID_SEARCH_FIND);
    auto* dialog = static_cast<CFindSettingsDlg*>(frame->m_pFindDlg);
    ASSERT_NE(dialog, nullptr);
    HWND hwnd = dialog->m_hWnd;
    std::vector<uint8_t> kinds(KIND_SELECTION_COUNT, 1);
    dialog->Tree().SetSelection(kinds.data());
    for (int id : {IDC_FD_ISSUE, IDC_FD_SUCCESS, IDC_FD_FAILURE, IDC_FD_INPUT, IDC_FD_OUTPUT}) ClickItem(hwnd, id, true);
    wchar_t text[8];
    swprintf(text, 8, L"%02X%02X%02X", pattern[0], pattern[1], pattern[2]);
    ::SetWindowTextW(::GetDlgItem(hwnd, IDC_FD_PATTERN), text);
    frame->SelectRow(0);
    ::SendMessageW(::GetDlgItem(hwnd, IDC_FD_NEXT), BM_CLICK, 0, 0);
    Pump(200);
    const uint32_t firstAfterZero = holding[0] == 0 ? (holding.size() > 1 ? holding[1] : 0) : holding[0];
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(firstAfterZero));
    EXPECT_EQ(GetFindSettings().PatternLength(), 3u);
    // Previous from the last row: the last holding row before it.
    frame->SelectRow(count - 1);
    ::SendMessageW(::GetDlgItem(hwnd, IDC_FD_PREV), BM_CLICK, 0, 0);
    Pump(200);
    uint32_t lastBefore = holding.back();
    if (lastBefore == count - 1) lastBefore = holding.size() > 1 ? holding[holding.size() - 2] : lastBefore;
    EXPECT_EQ(frame->GetSelectedRow(), static_cast<int>(lastBefore));

    ::SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    Pump(200);
    EXPECT_EQ(frame->m_pFindDlg, nullptr);
    GetFindSettings().Reset();
}

} // namespace
} // namespace brx::testing
