// Cutting back a summary body that ran out of room, so that the document's
// closing brace is not swallowed by a control word cut in half.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <algorithm>
#include <vector>

#include "app/panes/SummaryDocument.h"
#include "decode/RequestSummary.h"
#include "tests/app/panes/PaneRecords.h"

using namespace brx;
using namespace brx::testing;

namespace {

TEST(TrimCutSummary, EndsBehindTheLastWholeParagraph) {
    const std::string head = "{\\rtf1{\\fonttbl}";
    struct Case {
        const char* body;
        const char* kept;
    } cases[] = {
        {"\\b A\\tab 1\\par\\pard\\", "\\b A\\tab 1\\par"},
        {"\\b A\\par\\pard\\plain\\b B\\tab 2\\par\\pa", "\\b A\\par\\pard\\plain\\b B\\tab 2\\par"},
        {"\\b A\\par \\u8364", "\\b A\\par"},
        {"\\b A\\par", ""},          // may have been cut from a longer word
        {"\\b A\\pard x", ""},       // "\pard" is no paragraph end
        {"text \\\\par more", ""},   // an escaped backslash: text, not a word
        {"\\b A\\par1 x", ""},       // "\par1" is another word
        {"no paragraph at all", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const std::string text = head + c.body;
        // Exactly the text's bytes, so that ASan sees any read past them.
        std::vector<char> bytes(text.begin(), text.end());
        const size_t cut = TrimCutSummary(bytes.data(), head.size(), bytes.size());
        EXPECT_EQ(std::string(bytes.data() + head.size(), cut - head.size()), c.kept);
    }
    EXPECT_EQ(TrimCutSummary(nullptr, 0, 10), 0u);
    EXPECT_EQ(TrimCutSummary("abc", 5, 3), 5u);
}

struct Document {
    std::string text;
    size_t head = 0;
};
Document Compose(const ReadPair& r, uint32_t size) {
    std::vector<char> buffer(size);  // exactly that big, for ASan
    SUMMARY_CONTEXT ctx;
    Document doc;
    doc.head = BeginSummaryDocument(ctx, buffer.data(), size, &r.pair.record, r.layout, nullptr, "Arial",
                                    "Courier New");
    // The empty document, then the body behind it.
    const size_t empty = CloseSummaryDocument(ctx, buffer.data(), doc.head);
    EXPECT_EQ(std::string(buffer.data(), empty), std::string(buffer.data(), doc.head) + "}");
    SummarizeRequestHeader(ctx);
    const size_t length = CloseSummaryDocument(ctx, buffer.data(), doc.head);
    EXPECT_LE(length, size - 1);
    EXPECT_EQ(buffer[length], '\0');
    doc.text.assign(buffer.data(), length);
    return doc;
}

TEST(SummaryDocument, AWholeBodyIsClosedBehindItsLastCharacter) {
    auto r = ConfigurationCompletion(3);
    ASSERT_TRUE(r);
    const Document doc = Compose(*r, 0x80000);
    ASSERT_GT(doc.text.size(), doc.head + 1);
    EXPECT_EQ(doc.text.back(), '}');
    EXPECT_NE(doc.text.find("Endpoint 83h"), std::string::npos);
}

// The body fills the buffer and the writers cut a control word: the
// document ends with its last whole line and a brace that closes it.
TEST(SummaryDocument, ABodyThatFillsTheBufferEndsWithItsLastWholeLine) {
    auto r = ConfigurationCompletion(9000);
    ASSERT_TRUE(r);
    for (uint32_t size : {0x80000u, 0x4000u, 0x1000u + 7}) {
        SCOPED_TRACE(size);
        const Document doc = Compose(*r, size);
        ASSERT_GT(doc.text.size(), size / 2);
        const std::string end = doc.text.substr(doc.text.size() - 5);
        EXPECT_EQ(end, "\\par}");
    }
}

} // namespace
