// A capture log for the command tests: markers, Create requests and bulk
// transfers whose completions carry far more bytes than their issues, held in
// the in-memory log with the program's record filter over it.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "capture/Filter.h"
#include "capture/MatchCriteria.h"
#include "capture/RequestKind.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx::testing {

// Criteria images: the five flags and the selected kind positions.
inline std::vector<uint8_t> CriteriaImage(bool issue, bool success, bool failure, bool in, bool out,
                                          std::vector<int> positions) {
    std::vector<uint8_t> image(CRITERIA_IMAGE_SIZE, 0);
    image[CRITERIA_ISSUE] = issue;
    image[CRITERIA_SUCCESS] = success;
    image[CRITERIA_FAILURE] = failure;
    image[CRITERIA_INPUT] = in;
    image[CRITERIA_OUTPUT] = out;
    for (int p : positions) image.at(CRITERIA_KINDS + p) = 1;
    return image;
}

// Position of the bulk/interrupt URB kind in the selections.
constexpr int kBulkPosition = 64 + 9;
constexpr int kCreatePosition = 0;

struct CommandLog {
    FakeFilterLog log;
    CFilter filter;
    RecordBuilder builder;
    // Row of each record (no filter): its index.
    std::vector<uint32_t> bulkIssues, bulkCompletions, creates;

    CommandLog() { filter.SetLogSource([this] { return static_cast<IFilterLog*>(&log); }); }

    // seq 1: start marker; then per round: Create issue + completion, bulk IN
    // issue (no data) + completion carrying `dataBytes` bytes.
    void Build(int rounds, size_t dataBytes = 4096) {
        DeviceSpec d;
        std::vector<Bytes> records;
        records.push_back(builder.StartMarker());
        for (int i = 0; i < rounds; ++i) {
            creates.push_back(static_cast<uint32_t>(records.size()));
            records.push_back(builder.Create(d, builder.NewIrp()));
            records.push_back(builder.Complete(d, KIND_CREATE, builder.Last(), 0));
            UrbSpec in = BulkTransfer(PipeSpec{0x81}, static_cast<uint32_t>(dataBytes));
            bulkIssues.push_back(static_cast<uint32_t>(records.size()));
            records.push_back(builder.UrbIssue(d, in, builder.NewIrp()));
            const Issued issued = builder.Last();
            in.data = Bytes(dataBytes, static_cast<uint8_t>(0x40 + i));
            bulkCompletions.push_back(static_cast<uint32_t>(records.size()));
            records.push_back(builder.UrbCompletion(d, in, issued));
        }
        log.Append(records);
    }

    void ApplyFilter(const std::vector<uint8_t>& image) {
        ASSERT_EQ(filter.SetCriteria(image.data(), image.size()), 1);
        filter.Apply(1);
    }
};

} // namespace brx::testing
