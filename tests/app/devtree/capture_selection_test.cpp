// The capture selection the driver reports (its count checked against the
// reply), the check state of a tree item from its stack, the device-object
// lists sent to the driver and what a click on a box asks for.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/devtree/CaptureSelection.h"

using namespace brx;

namespace {

std::vector<uint8_t> Reply(std::initializer_list<uint32_t> dwords, size_t cut = SIZE_MAX) {
    std::vector<uint8_t> bytes;
    for (uint32_t d : dwords)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(d >> (8 * i)));
    if (cut < bytes.size())
        bytes.resize(cut);
    return bytes;
}

CCaptureSelection Load(const std::vector<uint8_t>& reply) {
    // An exact-size heap copy, so that a read past the reply is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[reply.size() ? reply.size() : 1]);
    std::copy(reply.begin(), reply.end(), copy.get());
    CCaptureSelection s;
    s.Load(copy.get(), reply.size());
    return s;
}

DEVICE_STACK Stack(std::initializer_list<std::pair<uint32_t, bool>> objects) {
    DEVICE_STACK s;
    for (auto [object, capturable] : objects)
        s.entries.push_back({object, 0, 0, 0, capturable ? 1u : 0u});
    s.entryCount = static_cast<uint32_t>(s.entries.size());
    return s;
}

TEST(CaptureSelection, ReplyCountIsCheckedAgainstItsSize) {
    struct Case {
        const char* what;
        std::vector<uint8_t> reply;
        bool loaded;
        std::vector<uint32_t> objects;
    } cases[] = {
        {"two objects", Reply({2, 0x100, 0x200}), true, {0x100, 0x200}},
        {"none: count 0 and one zero word", Reply({0, 0}), true, {}},
        {"count beyond the reply is cut to what it holds", Reply({1000, 0x100, 0x200}), true, {0x100, 0x200}},
        {"count of 0xFFFFFFFF", Reply({0xFFFFFFFF, 0x300}), true, {0x300}},
        {"a partial last object is not an object", Reply({3, 0x100, 0x200}, 11), true, {0x100}},
        {"fewer than 8 bytes: no answer", Reply({1, 0x100}, 7), false, {}},
        {"only a count", Reply({1}), false, {}},
        {"empty", {}, false, {}},
        {"count below what follows takes only the count", Reply({1, 0x100, 0x200}), true, {0x100}},
    };
    for (const Case& c : cases) {
        CCaptureSelection s = Load(c.reply);
        EXPECT_EQ(s.IsLoaded(), c.loaded) << c.what;
        EXPECT_EQ(s.Objects(), c.objects) << c.what;
    }
}

TEST(CaptureSelection, NullReplyAndReloadReplaceTheSelection) {
    CCaptureSelection s = Load(Reply({1, 0x100}));
    EXPECT_TRUE(s.Contains(0x100));
    s.Load(nullptr, 8);
    EXPECT_FALSE(s.IsLoaded());
    EXPECT_FALSE(s.Contains(0x100));
}

TEST(CaptureSelection, StateOfAnItemCountsOnlyCapturableObjects) {
    const DEVICE_STACK stack = Stack({{0x10, true}, {0x20, false}, {0x30, true}});
    struct Case {
        std::initializer_list<uint32_t> selected;
        uint32_t state;
    } cases[] = {
        {{}, CAPTURE_STATE_UNCHECKED},
        {{0x10}, CAPTURE_STATE_SOME},
        {{0x10, 0x30}, CAPTURE_STATE_CHECKED},
        {{0x20}, CAPTURE_STATE_UNCHECKED},          // not capturable: does not count
        {{0x10, 0x20, 0x30}, CAPTURE_STATE_CHECKED},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> dwords = {static_cast<uint32_t>(c.selected.size())};
        dwords.insert(dwords.end(), c.selected);
        dwords.push_back(0);
        std::vector<uint8_t> reply;
        for (uint32_t d : dwords)
            for (int i = 0; i < 4; ++i)
                reply.push_back(static_cast<uint8_t>(d >> (8 * i)));
        EXPECT_EQ(CaptureState(&stack, Load(reply)), c.state) << c.selected.size();
    }
}

TEST(CaptureSelection, NodesWithoutCapturableObjectsHaveNoBox) {
    CCaptureSelection all = Load(Reply({2, 0x10, 0x20}));
    const DEVICE_STACK none = Stack({{0x10, false}, {0x20, false}});
    const DEVICE_STACK empty = Stack({});
    EXPECT_EQ(CaptureState(&none, all), CAPTURE_STATE_NONE);
    EXPECT_EQ(CaptureState(&empty, all), CAPTURE_STATE_NONE);
    EXPECT_EQ(CaptureState(nullptr, all), CAPTURE_STATE_NONE);
}

TEST(CaptureSelection, ListsHoldTheCountThenTheCapturableObjectsInStackOrder) {
    const DEVICE_STACK stack = Stack({{0x10, true}, {0x20, false}, {0x30, true}});
    EXPECT_EQ(CapturableObjects(&stack), (std::vector<uint32_t>{0x10, 0x30}));
    EXPECT_EQ(MakeDeviceObjectList(CapturableObjects(&stack)), (std::vector<uint32_t>{2, 0x10, 0x30}));
    EXPECT_EQ(MakeDeviceObjectList({0x44}), (std::vector<uint32_t>{1, 0x44}));
    EXPECT_TRUE(MakeDeviceObjectList({}).empty());
    EXPECT_TRUE(CapturableObjects(nullptr).empty());
}

TEST(CaptureSelection, ToggleRules) {
    struct Case {
        bool tree;
        uint32_t state;
        CaptureToggle action;
        uint32_t newState;
    } cases[] = {
        {true, CAPTURE_STATE_NONE, CaptureToggle::None, 0},
        {true, CAPTURE_STATE_UNCHECKED, CaptureToggle::Add, CAPTURE_STATE_CHECKED},
        {true, CAPTURE_STATE_CHECKED, CaptureToggle::Remove, CAPTURE_STATE_UNCHECKED},
        {true, CAPTURE_STATE_SOME, CaptureToggle::Remove, CAPTURE_STATE_UNCHECKED},
        {true, 4, CaptureToggle::None, 0},
        {false, STACK_STATE_NONE, CaptureToggle::None, 0},
        {false, 1, CaptureToggle::None, 0},
        {false, STACK_STATE_UNCHECKED, CaptureToggle::Add, STACK_STATE_CHECKED},
        {false, STACK_STATE_CHECKED, CaptureToggle::Remove, STACK_STATE_UNCHECKED},
        {false, 4, CaptureToggle::None, 0},
    };
    for (const Case& c : cases) {
        const CAPTURE_TOGGLE t = c.tree ? ToggleTreeState(c.state) : ToggleStackState(c.state);
        EXPECT_EQ(t.action, c.action) << c.tree << " " << c.state;
        EXPECT_EQ(t.newState, c.newState) << c.tree << " " << c.state;
    }
}

} // namespace
