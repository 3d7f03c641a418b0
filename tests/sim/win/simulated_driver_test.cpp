// The simulated driver at its seam: the handshake answers, overlapped
// requests that stay pending until its device thread completes them and
// signals their events, CancelIo per thread, closing, pacing and the
// injected read error.
#include <gtest/gtest.h>

#include <thread>

#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"

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
    EXPECT_EQ(Ask(IOCTL_BRX_GET_SELECTED_DEVICES), (Bytes{0, 0, 0, 0}));

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

} // namespace
