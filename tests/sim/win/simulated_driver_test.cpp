// The simulated driver at its seam: the handshake answers, overlapped
// requests that stay pending until its device thread completes them and
// signals their events, CancelIo per thread, closing, pacing and the
// injected read error; the refresh queries from the scenario's machine, the
// selection's minimum reply, requests completed at once, and notification
// blocks larger than a request.
#include <gtest/gtest.h>

#include <thread>

#include "base/ByteReader.h"
#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"
#include "tests/capture/win/FakeCaptureTarget.h"

using namespace brx;

namespace {

constexpr DWORD kWait = 20000;

class Overlapped {
public:
    Overlapped() { o.hEvent = CreateEventW(nullptr, TRUE, TRUE, nullptr); }
    ~Overlapped() { CloseHandle(o.hEvent); }
    bool Signalled(DWORD ms) const { return WaitForSingleObject(o.hEvent, ms) == WAIT_OBJECT_0; }
    OVERLAPPED o{};
};

class SimulatedDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        h = sim.CreateFileW(L"\\\\.\\Global\\sim", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
    }
    // A synchronous request; the bytes back, or the error as a negative.
    Bytes Ask(DWORD code, const Bytes& input = {}, DWORD outputSize = 1024, DWORD* error = nullptr) {
        Overlapped ov;
        Bytes out(outputSize);
        DWORD n = 0;
        BOOL ok = sim.DeviceIoControl(h, code, input.empty() ? nullptr : const_cast<uint8_t*>(input.data()),
                                      static_cast<DWORD>(input.size()), out.data(), outputSize, &n, &ov.o);
        if (error)
            *error = ok ? 0 : GetLastError();
        EXPECT_TRUE(ov.Signalled(0));   // done at once, event set
        out.resize(ok ? n : 0);
        return out;
    }
    void Select(uint32_t object) {
        Bytes list(8);
        PutU32(list, 0, 1);
        PutU32(list, 4, object);
        Ask(IOCTL_BRX_ADD_CAPTURE_DEVICES, list, 0);
    }
    // Reads until count records came; their bytes.
    Bytes ReadRecords(uint64_t count) {
        Bytes all;
        while (sim.DeliveredRecords() < count || all.size() < DeliveredSize()) {
            Overlapped ov;
            Bytes buffer(64 * 1024);
            DWORD n = 0;
            EXPECT_FALSE(sim.ReadFile(h, buffer.data(), 65536, &n, &ov.o));
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
            EXPECT_TRUE(ov.Signalled(kWait));
            EXPECT_TRUE(sim.GetOverlappedResult(h, &ov.o, &n, FALSE));
            all.insert(all.end(), buffer.begin(), buffer.begin() + n);
            if (n == 0)
                break;
        }
        return all;
    }
    size_t DeliveredSize() { return sim.DeliveredBytes().size(); }

    CSimulatedDriver sim;
    HANDLE h = INVALID_HANDLE_VALUE;
};

TEST_F(SimulatedDriverTest, HandshakeAnswers) {
    Bytes version = Ask(IOCTL_BRX_GET_VERSION);
    EXPECT_EQ(version, (Bytes{2, 0, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Ask(IOCTL_BRX_GET_SAFE_MODE), (Bytes{0, 0, 0, 0}));
    Bytes frequency = Ask(IOCTL_BRX_GET_COUNTER_FREQUENCY);
    ASSERT_EQ(frequency.size(), 8u);
    EXPECT_EQ(frequency[0] | frequency[1] << 8 | frequency[2] << 16 | frequency[3] << 24, 10000000);
    EXPECT_EQ(Ask(IOCTL_BRX_GET_DRIVER_INFO).size(), DRIVER_INFO_SIZE);
    EXPECT_EQ(Ask(IOCTL_BRX_GET_SELECTED_DEVICES), Bytes(8, 0));   // the minimum reply: count 0 and a zero DWORD

    DWORD error = 0;
    Ask(IOCTL_BRX_GET_DRIVER_LIST, {}, 16, &error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    Ask(IOCTL_BRX_SET_CAPTURE_SETTINGS, Bytes(143), 0, &error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    Ask(IOCTL_BRX_ADD_CAPTURE_DEVICES, Bytes{2, 0, 0, 0, 1, 0, 0, 0}, 0, &error);   // count past the input
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    Ask(0x80086FFC, {}, 16, &error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_FUNCTION));

    // Opened without sharing: a second open fails.
    EXPECT_EQ(sim.CreateFileW(L"x", 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(SimulatedDriverTest, ReadCompletesBySignallingItsEvent) {
    Select(SIM_MOUSE_OBJECT);
    Overlapped ov;
    Bytes buffer(65536);
    DWORD n = 0;
    ASSERT_FALSE(sim.ReadFile(h, buffer.data(), 65536, &n, &ov.o));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_FALSE(ov.Signalled(0));   // nothing to read before the start
    EXPECT_FALSE(sim.GetOverlappedResult(h, &ov.o, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));

    Ask(IOCTL_BRX_START_CAPTURE, {}, 0);
    ASSERT_TRUE(ov.Signalled(kWait));
    ASSERT_TRUE(sim.GetOverlappedResult(h, &ov.o, &n, FALSE));
    ASSERT_GE(n, 24u);
    EXPECT_EQ(GetRecordType(buffer.data(), n), RECORD_TYPE_START);
    // Whole records only.
    size_t at = 0;
    while (at < n)
        at += GetRecordSize(buffer.data() + at, n - at);
    EXPECT_EQ(at, n);
}

TEST_F(SimulatedDriverTest, CancelEndsOnlyTheCallingThreadsRequests) {
    Overlapped read, notify;
    Bytes buffer(65536), notes(8192);
    DWORD n = 0;
    std::thread([&] {
        EXPECT_FALSE(sim.ReadFile(h, buffer.data(), 65536, &n, &read.o));
    }).join();
    EXPECT_FALSE(sim.DeviceIoControl(h, IOCTL_BRX_NOTIFICATION, nullptr, 0, notes.data(), 8192, &n, &notify.o));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));

    EXPECT_TRUE(sim.CancelIo(h));
    ASSERT_TRUE(notify.Signalled(0));
    EXPECT_FALSE(sim.GetOverlappedResult(h, &notify.o, &n, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(read.Signalled(0));
    EXPECT_EQ(sim.PendingReads(), 1u);

    // Closing the device ends the rest.
    EXPECT_TRUE(sim.CloseHandle(h));
    EXPECT_TRUE(read.Signalled(0));
    EXPECT_FALSE(sim.GetOverlappedResult(h, &read.o, &n, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(sim.IsOpen());
}

TEST_F(SimulatedDriverTest, NotificationBlocksGoToPendingRequests) {
    Overlapped notify;
    Bytes notes(8192);
    DWORD n = 0;
    EXPECT_FALSE(sim.DeviceIoControl(h, IOCTL_BRX_NOTIFICATION, nullptr, 0, notes.data(), 8192, &n, &notify.o));
    Bytes a = sim.Scenario().DeviceListBlock(), b = sim.Scenario().DriverListBlock();
    sim.QueueNotification(a);
    sim.QueueNotification(b);
    ASSERT_TRUE(notify.Signalled(kWait));
    ASSERT_TRUE(sim.GetOverlappedResult(h, &notify.o, &n, TRUE));
    Bytes expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(Bytes(notes.begin(), notes.begin() + n), expected);
}

TEST_F(SimulatedDriverTest, PacedCaptureDeliversEveryRecordInOrder) {
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.recordsPerSecond = 5000;
    k.rounds = 3;
    k.keepDelivered = true;
    sim.SetKnobs(k);
    Select(SIM_KEYBOARD_OBJECT);

    CDriverScenario reference;
    std::vector<Bytes> expected{reference.StartMarker()};
    for (int i = 0; i < 3; ++i)
        reference.NextRound({SIM_KEYBOARD_OBJECT}, expected);
    Ask(IOCTL_BRX_START_CAPTURE, {}, 0);
    Bytes got = ReadRecords(expected.size());
    RecordStream stream;
    stream.Add(expected);
    EXPECT_EQ(sim.DeliveredRecords(), expected.size());
    EXPECT_EQ(got, stream.bytes());
    EXPECT_EQ(got, sim.DeliveredBytes());
}

TEST_F(SimulatedDriverTest, InjectedReadErrorAndTooSmallRead) {
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.flood = true;
    k.failReadAfter = 1;
    k.readError = ERROR_DEVICE_NOT_CONNECTED;
    sim.SetKnobs(k);
    Select(SIM_STICK_OBJECT);
    Ask(IOCTL_BRX_START_CAPTURE, {}, 0);

    Bytes buffer(65536);
    DWORD n = 0;
    Overlapped first, second;
    sim.ReadFile(h, buffer.data(), 65536, &n, &first.o);
    ASSERT_TRUE(sim.GetOverlappedResult(h, &first.o, &n, TRUE));
    EXPECT_GT(n, 0u);
    sim.ReadFile(h, buffer.data(), 65536, &n, &second.o);
    EXPECT_FALSE(sim.GetOverlappedResult(h, &second.o, &n, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));

    k.failReadAfter = 0;
    sim.SetKnobs(k);
    Overlapped small;
    sim.ReadFile(h, buffer.data(), 16, &n, &small.o);   // no record fits
    EXPECT_FALSE(sim.GetOverlappedResult(h, &small.o, &n, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

// ---------------------------------------------------------------------------
// What the device tree asks

std::vector<NameItem> ManyNames(uint32_t count, size_t nameLength) {
    std::vector<NameItem> items;
    for (uint32_t i = 0; i < count; ++i)
        items.push_back({0x8B000030 + 0x100 * i, 0x8B000000 + 0x100 * i,
                         u"\\Device\\" + std::u16string(nameLength, static_cast<char16_t>(u'A' + i % 26))});
    return items;
}

TEST_F(SimulatedDriverTest, RefreshQueriesAnswerFromTheMachine) {
    const Bytes data = sim.Scenario().RefreshDataBlock(), list = sim.Scenario().RefreshListBlock();
    ASSERT_GT(data.size(), 1000u);
    ASSERT_GT(list.size(), 16u + 46 + 62 + 101);
    EXPECT_EQ(Ask(IOCTL_BRX_GET_REFRESH_DATA, {}, 0x4000), data);
    EXPECT_EQ(Ask(IOCTL_BRX_GET_REFRESH_LIST, {}, 8192), list);
    DWORD error = 0;
    Ask(IOCTL_BRX_GET_REFRESH_DATA, {}, static_cast<DWORD>(data.size() - 1), &error);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    // Through the connection, and again after a device left the machine.
    CSimulatedDriver s;
    CCaptureDriver driver(&s, nullptr);
    ASSERT_TRUE(driver.Connect());
    DriverBuffer out;
    ASSERT_EQ(driver.QueryRefreshData(out), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.get()));
    ASSERT_EQ(driver.QueryRefreshList(out), list.size());
    EXPECT_TRUE(std::equal(list.begin(), list.end(), out.get()));
    const uint32_t mouse = s.Topology().FindDevnode(u"USB\\VID_046D&PID_C077\\6&1A2B3C4D&0&1");
    ASSERT_NE(mouse, 0u);
    s.Topology().Devnode(mouse).present = false;
    EXPECT_LT(driver.QueryRefreshData(out), data.size());
    EXPECT_EQ(driver.QueryRefreshList(out), list.size() - (20 + 48));   // the mouse's 46-byte descriptor entry
}

TEST_F(SimulatedDriverTest, SelectionReplyIsNeverBelowTheMinimum) {
    CCaptureDriver driver(&sim, nullptr);
    EXPECT_TRUE(sim.CloseHandle(h));   // the connection opens the device itself
    ASSERT_TRUE(driver.Connect());
    DriverBuffer out;
    ASSERT_EQ(driver.QuerySelectedDevices(out), 8u);   // taken, not refused as too short
    EXPECT_EQ(Bytes(out.get(), out.get() + 8), Bytes(8, 0));
    uint32_t list[3] = {2, SIM_STICK_OBJECT, SIM_SERIAL_OBJECT};
    ASSERT_TRUE(driver.AddCaptureDevices(list));
    EXPECT_EQ(driver.QuerySelectedDevices(out), 12u);
    EXPECT_EQ(out[0], 2);
    driver.Disconnect();
}

TEST_F(SimulatedDriverTest, RequestsCompleteAtOnceWhenSomethingWaits) {
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.completeAtOnce = true;
    sim.SetKnobs(k);

    // Nothing waits: pending as before.
    Overlapped first;
    Bytes notes(8192);
    DWORD n = 0;
    EXPECT_FALSE(sim.DeviceIoControl(h, IOCTL_BRX_NOTIFICATION, nullptr, 0, notes.data(), 8192, &n, &first.o));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    // A block waits once the pending request took the first: the next request
    // is done before the call returns, its event set and its count given.
    const Bytes names = sim.Scenario().DeviceListBlock();
    sim.QueueNotification(names);
    ASSERT_TRUE(first.Signalled(kWait));
    sim.QueueNotification(names);
    Overlapped second;
    ASSERT_TRUE(sim.DeviceIoControl(h, IOCTL_BRX_NOTIFICATION, nullptr, 0, notes.data(), 8192, &n, &second.o));
    EXPECT_EQ(n, names.size());
    EXPECT_TRUE(second.Signalled(0));
    EXPECT_TRUE(sim.GetOverlappedResult(h, &second.o, &n, FALSE));
    EXPECT_EQ(Bytes(notes.begin(), notes.begin() + n), names);

    Select(SIM_SERIAL_OBJECT);
    Ask(IOCTL_BRX_START_CAPTURE, {}, 0);
    Bytes buffer(65536);
    Overlapped read;
    ASSERT_TRUE(sim.ReadFile(h, buffer.data(), 65536, &n, &read.o));
    EXPECT_GE(n, 24u);
    EXPECT_TRUE(read.Signalled(0));
    EXPECT_EQ(GetRecordType(buffer.data(), n), RECORD_TYPE_START);
    EXPECT_EQ(sim.CompletedAtOnce(), 2u);
}

TEST_F(SimulatedDriverTest, CaptureWithEveryRequestDoneAtOnce) {
    // The reader's branch for a request the driver finished before the call
    // returned: the records and notifications still all arrive, in order.
    EXPECT_TRUE(sim.CloseHandle(h));
    CCaptureDriver driver(&sim, nullptr);
    ASSERT_TRUE(driver.Connect());
    uint32_t list[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
    ASSERT_TRUE(driver.AddCaptureDevices(list));
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.completeAtOnce = true;
    k.rounds = 30;
    k.keepDelivered = true;
    sim.SetKnobs(k);
    for (int i = 0; i < 3; ++i)
        sim.QueueNotification(NameListBlock(1, ManyNames(3, 8 + i)));
    brx::testing::FakeCaptureTarget target;
    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::Stopped);
    EXPECT_GT(sim.CompletedAtOnce(), 0u);
    const Bytes delivered = sim.DeliveredBytes();
    EXPECT_EQ(target.Committed(), std::vector<uint8_t>(delivered.begin(), delivered.end()));
    EXPECT_EQ(target.Entries().size(), sim.DeliveredRecords());
    for (const NameItem& item : ManyNames(3, 10)) {
        WString name;
        EXPECT_TRUE(target.DeviceNames().Lookup({item.key0, item.key1}, name));
    }
    driver.Disconnect();
}

TEST(SimulatedDriverBlocks, LargeBlocksAreCutIntoWholeItemsOrRefused) {
    const RECORD_LAYOUT& layout = kDriverRecordLayout;
    const std::vector<NameItem> items = ManyNames(600, 20);   // about 40 KB
    const Bytes big = NameListBlock(1, items);
    ASSERT_GT(big.size(), 4u * 8192);
    uint32_t refused = 0;
    const std::vector<Bytes> pieces = SplitNotificationBlock(big, 8192, &refused);
    EXPECT_EQ(refused, 0u);
    ASSERT_GE(pieces.size(), 5u);
    CDeviceNameHash names;
    for (const Bytes& piece : pieces) {
        EXPECT_LE(piece.size(), 8192u);
        EXPECT_EQ(ByteReader(piece.data(), piece.size()).u32le_or(0), piece.size());
        const uint32_t count = ByteReader(piece.data(), piece.size()).u32le_or(8);
        EXPECT_EQ(names.AddFromBlock(piece.data(), piece.size(), layout), count);
    }
    EXPECT_EQ(names.GetCount(), items.size());

    // A block that fits stays as it is; an item too large for any request is
    // refused and the rest kept; a block that does not walk is refused whole.
    EXPECT_EQ(SplitNotificationBlock(pieces[0], 8192), std::vector<Bytes>{pieces[0]});
    std::vector<NameItem> withGiant = ManyNames(3, 10);
    withGiant.insert(withGiant.begin() + 1, NameItem{0x8C000030, 0x8C000000, std::u16string(5000, u'G')});
    refused = 0;
    const std::vector<Bytes> kept = SplitNotificationBlock(NameListBlock(1, withGiant), 8192, &refused);
    EXPECT_EQ(refused, 1u);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0], NameListBlock(1, ManyNames(3, 10)));
    Bytes broken = big;
    PutU32(broken, 16, 0);   // first item of size 0
    refused = 0;
    EXPECT_TRUE(SplitNotificationBlock(broken, 8192, &refused).empty());
    EXPECT_EQ(refused, 1u);
    Bytes otherKind = big;
    PutU32(otherKind, 4, 7);
    EXPECT_TRUE(SplitNotificationBlock(otherKind, 8192).empty());
}

TEST_F(SimulatedDriverTest, LargeNotificationBlocksNeverEndACaptureWithAReadError) {
    EXPECT_TRUE(sim.CloseHandle(h));
    CCaptureDriver driver(&sim, nullptr);
    ASSERT_TRUE(driver.Connect());
    uint32_t list[2] = {1, SIM_MOUSE_OBJECT};
    ASSERT_TRUE(driver.AddCaptureDevices(list));
    CSimulatedDriver::Knobs k = sim.GetKnobs();
    k.rounds = 5;
    sim.SetKnobs(k);
    brx::testing::FakeCaptureTarget target;
    ASSERT_TRUE(driver.StartCapture(&target));
    const std::vector<NameItem> items = ManyNames(600, 20);
    sim.QueueNotification(NameListBlock(1, items));
    sim.QueueNotification(NameListBlock(1, {NameItem{0x8C000030, 0x8C000000, std::u16string(5000, u'G')}}));
    sim.QueueNotification(NameListBlock(3, {NameItem{0x8D000200, 1, u"\\Driver\\late"}}));
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    EXPECT_TRUE(driver.IsCaptureRunning());
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::Stopped);
    EXPECT_EQ(target.EndCalls(), 0u);
    EXPECT_EQ(sim.RefusedNotifications(), 1u);
    for (const NameItem& item : items) {
        WString name;
        ASSERT_TRUE(target.DeviceNames().Lookup({item.key0, item.key1}, name));
        EXPECT_EQ(name, item.name);
    }
    WString late;
    EXPECT_TRUE(target.DriverNames().Lookup({0x8D000200, 1}, late));
    driver.Disconnect();
}

} // namespace
