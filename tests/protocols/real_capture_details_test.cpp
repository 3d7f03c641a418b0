// The control requests of real captures (tests/data/details, written by
// tools/details_tshark_fixtures.py from the shared captures): each setup
// packet goes through the Request Details column as a control-transfer URB,
// and the text must agree with tshark's reading of the same bytes: the
// request, the descriptor type, the hub port and its feature.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/Text.h"
#include "decode/RequestNames.h"
#include "protocols/RequestDetails.h"
#include "sim/RecordBuilder.h"
#include "tests/capture/FakeFilterLog.h"

namespace brx {
namespace {

struct Fixture {
    std::string capture;
    int frame = 0;
    uint8_t setup[8] = {};
    std::string info;
};

std::vector<Fixture> ReadFixtures() {
    std::vector<Fixture> out;
    std::ifstream in(std::string(BRX_SOURCE_DIR) + "/tests/data/details/control_requests.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::stringstream s(line);
        Fixture f;
        std::string frame, hex;
        std::getline(s, f.capture, '|');
        std::getline(s, frame, '|');
        std::getline(s, hex, '|');
        std::getline(s, f.info);
        f.frame = std::stoi(frame);
        for (int i = 0; i < 8; ++i) f.setup[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
        out.push_back(f);
    }
    return out;
}

std::string Details(const uint8_t setup[8]) {
    // Requests to an interface are the HID devices', class requests to the
    // device or a port the hub's: the devices of these captures.
    DeviceSpec d;
    if ((setup[0] & 0x1F) == 1)
        d.interfaceClass = 0x03;
    else if (RequestTypeOf(setup[0]) == REQUEST_TYPE_CLASS)
        d.interfaceClass = 0x09;
    testing::FakeFilterLog log;
    RecordBuilder b;
    log.Append(b.UrbIssue(d, ControlTransfer(setup), b.NewIrp()));
    CRecordPairView pair;
    std::vector<uint8_t> a(4096), c(4096);
    pair.Init(a.data(), 4096, c.data(), 4096);
    if (log.ReadRecordPair(0, pair) != S_OK32) return "(unread)";
    char16_t text[260] = u"(untouched)";
    REQUEST_DETAILS_CONTEXT ctx;
    ctx.pair = &pair;
    ctx.text = text;
    ctx.textSize = 260;
    FormatRequestDetails(ctx);
    return WideToAnsi(text);
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// The text tshark's reading calls for, or "" when the test has no rule for it.
std::string Expected(const Fixture& f) {
    struct Rule {
        const char* tshark;
        const char* ours;
    };
    static const Rule kRequests[] = {
        {"GET DESCRIPTOR Request DEVICE", "Get Descriptor (Dvc)"},
        {"GET DESCRIPTOR Request CONFIGURATION", "Get Descriptor (Cfg Ind "},
        {"GET DESCRIPTOR Request STRING", "Get Descriptor (Str "},
        {"GET DESCRIPTOR Request HID Report", "Get Descriptor (Report)"},
        {"SET CONFIGURATION Request", "Set Configuration"},
        {"CLEAR FEATURE Request", "Clear Feature ("},
        {"GET STATUS Request", "Get Status ("},
        {"SET_IDLE Request", "Set Idle"},
        {"SET_REPORT Request", "Set Report ("},
    };
    for (const Rule& r : kRequests)
        if (f.info == r.tshark || (StartsWith(f.info, r.tshark) && f.info.size() > std::strlen(r.tshark) &&
                                   f.info[std::strlen(r.tshark)] == ' '))
            return r.ours;
    // Hub port requests: "GET_STATUS Request [Port 3]", "CLEAR_FEATURE Request [Port 3: C_PORT_RESET]".
    size_t port = f.info.find("[Port ");
    if (port == std::string::npos) return "";
    int number = std::stoi(f.info.substr(port + 6));
    if (StartsWith(f.info, "GET_STATUS")) return "Get Port Status (" + std::to_string(number) + ")";
    size_t colon = f.info.find(": ", port);
    if (colon == std::string::npos) return "";
    std::string feature = f.info.substr(colon + 2, f.info.find(']', colon) - colon - 2);
    // The selector tshark names, found by our symbolic names, must be the one in the packet.
    uint16_t selector = static_cast<uint16_t>(f.setup[2] | f.setup[3] << 8);
    const char* symbolic = HubPortFeatureName(selector, NAME_SYMBOLIC);
    if (!symbolic || feature != symbolic) return "feature " + feature + " is not selector " + std::to_string(selector);
    std::string request = StartsWith(f.info, "CLEAR_FEATURE") ? "Clear Port Feature" : "Set Port Feature";
    return request + " (Port " + std::to_string(number) + ", " + HubPortFeatureName(selector, NAME_FRIENDLY) + ")";
}

TEST(RealCaptureDetails, ControlRequestsAgreeWithTshark) {
    std::vector<Fixture> fixtures = ReadFixtures();
    ASSERT_GE(fixtures.size(), 70u);
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.capture + " frame " + std::to_string(f.frame) + ": " + f.info);
        std::string expected = Expected(f);
        ASSERT_FALSE(expected.empty()) << "no rule for tshark's text";
        std::string ours = Details(f.setup);
        EXPECT_TRUE(StartsWith(ours, expected)) << ours;
    }
}

} // namespace
} // namespace brx
