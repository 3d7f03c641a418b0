#include <gtest/gtest.h>

#include <string>

#include "capture/RequestKind.h"

using namespace brx;

TEST(RequestKind, ListAndSummaryTextsAtEveryRangeEdge) {
    struct Row {
        uint32_t kind;
        const char* list;
        const char* summary;
    };
    const Row rows[] = {
        {0, "IRP", "IRP"},
        {1, "Create", "Create IRP"},
        {2, "Close", "Close IRP"},
        {3, "Cleanup", "IRP"},
        {4, "IRP", "IRP"},
        {19, "IRP", "IRP"},
        {20, "Power", "Power IRP"},
        {39, "Power", "Power IRP"},
        {40, "PnP", "PnP IRP"},
        {139, "PnP", "PnP IRP"},
        {140, "IRP", "IRP"},
        {339, "IRP", "IRP"},
        {340, "URB", "URB"},
        {839, "URB", "URB"},
        {840, "KmIO", "I/O Control Request"},
        {4339, "KmIO", "I/O Control Request"},
        {4340, "UmIO", "I/O Control Request"},
        {9539, "UmIO", "I/O Control Request"},
        {9540, "IRP", "IRP"},
        {0xFFFFFFFF, "IRP", "IRP"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        EXPECT_STREQ(GetRequestKindListText(r.kind), r.list);
        EXPECT_STREQ(GetRequestKindSummaryText(r.kind), r.summary);
    }
}

TEST(RequestKind, IrpMajorFunction) {
    const std::pair<uint32_t, uint8_t> rows[] = {
        {1, 0},     {2, 2},     {3, 18},    {4, 255},   {19, 255},  {20, 22},  {39, 22},
        {40, 27},   {139, 27},  {140, 255}, {339, 255}, {340, 15},  {839, 15}, {840, 15},
        {4339, 15}, {4340, 14}, {9539, 14}, {9540, 255}, {0, 255},
    };
    for (auto [kind, major] : rows) EXPECT_EQ(IrpMajorFromRequestKind(kind), major) << kind;
}

TEST(RequestKind, MinorAndUrbFunctions) {
    EXPECT_EQ(UrbFunctionFromRequestKind(339), -1);
    EXPECT_EQ(UrbFunctionFromRequestKind(340), 0);
    EXPECT_EQ(UrbFunctionFromRequestKind(349), 9);
    EXPECT_EQ(UrbFunctionFromRequestKind(392), 52);
    EXPECT_EQ(UrbFunctionFromRequestKind(393), -1);
    EXPECT_EQ(UrbFunctionFromRequestKind(839), -1);
    EXPECT_EQ(PowerMinorFromRequestKind(19), 255);
    EXPECT_EQ(PowerMinorFromRequestKind(20), 0);
    EXPECT_EQ(PowerMinorFromRequestKind(23), 3);
    EXPECT_EQ(PowerMinorFromRequestKind(24), 255);
    EXPECT_EQ(PnpMinorFromRequestKind(39), 255);
    EXPECT_EQ(PnpMinorFromRequestKind(40), 0);
    EXPECT_EQ(PnpMinorFromRequestKind(64), 24);
    EXPECT_EQ(PnpMinorFromRequestKind(65), 255);
}

TEST(RequestKind, KernelIoctlCodes) {
    const std::pair<uint32_t, uint32_t> rows[] = {
        {839, 0},         {840, 0x220003},  {841, 0x220007},  {842, 0},         {843, 0x22000F},
        {844, 0x220013},  {845, 0x220017},  {846, 0x22001B},  {847, 0x22001F},  {848, 0x220020},
        {849, 0x220027},  {850, 0},         {1103, 0},        {1104, 0x220420}, {1105, 0x220424},
        {1106, 0x220428}, {1107, 0x22042C}, {1108, 0x220433}, {1109, 0},        {4340, 0},
    };
    for (auto [kind, code] : rows) EXPECT_EQ(KernelIoctlFromRequestKind(kind), code) << kind;
    // The function number of each code (bits 2-13) is the kind's offset from 840.
    for (auto [kind, code] : rows)
        if (code) {
            EXPECT_EQ(840 + ((code >> 2) & 0xFFF), kind);
        }
}

TEST(RequestKind, UserIoctlCodes) {
    const std::pair<uint32_t, uint32_t> rows[] = {
        {4339, 0},        {4340, 0x2203FC}, {4341, 0x220400}, {4342, 0x220404}, {4343, 0x220408},
        {4344, 0},        {4345, 0},        {4346, 0},        {4347, 0},        {4348, 0},
        {4349, 0},        {4350, 0x220428}, {4351, 0x220424}, {4352, 0x220430}, {4353, 0x220434},
        {4354, 0x220438}, {4355, 0},        {4439, 0},        {4440, 0x220408}, {4441, 0x22040C},
        {4442, 0x220410}, {4443, 0x220414}, {4444, 0x220418}, {4445, 0x22041C}, {4446, 0x220420},
        {4447, 0},        {4452, 0},        {4453, 0x22043C}, {4454, 0x220440}, {4455, 0x220444},
        {4456, 0x220448}, {4457, 0},        {4458, 0x220450}, {4459, 0},        {9539, 0},
    };
    for (auto [kind, code] : rows) EXPECT_EQ(UserIoctlFromRequestKind(kind), code) << kind;
    // The same code names a host controller's root hub and a hub's node information.
    EXPECT_EQ(UserIoctlFromRequestKind(4343), UserIoctlFromRequestKind(4440));
}

TEST(RequestKind, HubKindsFollowTheirRuleAndHostControllerKindsOnlyUpTo4343) {
    auto function = [](uint32_t code) { return (code >> 2) & 0xFFF; };
    for (uint32_t kind = 4440; kind <= 4458; ++kind) {
        uint32_t code = UserIoctlFromRequestKind(kind);
        if (code) {
            EXPECT_EQ(kind, 4440 + (function(code) - 258)) << kind;
        }
    }
    for (uint32_t kind = 4340; kind <= 4343; ++kind)
        EXPECT_EQ(kind, 4340 + (function(UserIoctlFromRequestKind(kind)) - 255)) << kind;
    EXPECT_EQ(function(UserIoctlFromRequestKind(4350)), 266u);  // HCD_GET_STATS_2
    EXPECT_EQ(function(UserIoctlFromRequestKind(4351)), 265u);  // GET_HCD_DRIVERKEY_NAME
    // 4352-4354: the rule would give functions 267-269; the codes are those of 268-270.
    for (uint32_t kind = 4352; kind <= 4354; ++kind)
        EXPECT_EQ(function(UserIoctlFromRequestKind(kind)), kind - 4340 + 255 + 1) << kind;
}
