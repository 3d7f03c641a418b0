// The driver connection against the simulated driver: connect outcomes,
// device-control requests and variable queries, and captures end to end into
// a fake target (records indexed and linked by the real indexer), ending by
// stop, full store or read error. Waits are handshakes with generous
// failure bounds, never sleeps.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <mutex>
#include <algorithm>
#include <set>

#include "capture/win/CaptureDriver.h"
#include "capture/win/Preferences.h"
#include "capture/win/SystemSeams.h"
#include "sim/win/SimulatedDriver.h"
#include "tests/capture/win/FakeCaptureTarget.h"
#include "tests/capture/win/ScriptedPrompts.h"

using namespace brx;
using brx::testing::FakeCaptureTarget;
using brx::testing::ScriptedPrompts;

namespace {

constexpr DWORD kWait = 20000;   // failure bound of every handshake

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

std::vector<DWORD> OutputSizes(CSimulatedDriver& sim, DWORD code) {
    std::vector<DWORD> sizes;
    for (const CSimulatedDriver::Call& c : sim.Calls())
        if (c.code == code)
            sizes.push_back(c.outputSize);
    return sizes;
}

class CaptureDriverTest : public ::testing::Test {
protected:
    void SelectAll() {
        uint32_t list[5] = {4, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT, SIM_KEYBOARD_OBJECT, SIM_SERIAL_OBJECT};
        ASSERT_TRUE(driver.AddCaptureDevices(list));
    }
    void SetKnobs(void (*change)(CSimulatedDriver::Knobs&)) {
        CSimulatedDriver::Knobs k = sim.GetKnobs();
        change(k);
        sim.SetKnobs(k);
    }
    // Every record committed is one the driver delivered, in order; every
    // completion whose issue came first is linked both ways.
    void ExpectCommittedAsDelivered(const FakeCaptureTarget& target) {
        const std::vector<uint8_t> committed = target.Committed();
        const Bytes delivered = sim.DeliveredBytes();
        ASSERT_EQ(committed.size(), delivered.size());
        EXPECT_TRUE(std::equal(committed.begin(), committed.end(), delivered.begin()));
        const auto& entries = target.Entries();
        EXPECT_EQ(entries.size(), sim.DeliveredRecords());
        EXPECT_EQ(target.MisplacedCommits(), 0u);
        uint32_t previous = 0, completions = 0;
        for (uint32_t i = 0; i < entries.size(); ++i) {
            const uint8_t* record = committed.data() + entries[i].position;
            uint32_t sequence = U32(record + RECORD_SEQUENCE_OFFSET);
            EXPECT_GT(sequence, previous) << "record " << i;
            previous = sequence;
            if (IsEntryCompletion(entries[i])) {
                ++completions;
                ASSERT_NE(entries[i].companion, NO_INDEX) << "completion " << i << " unlinked";
                EXPECT_LT(entries[i].companion, i);
                EXPECT_EQ(entries[entries[i].companion].companion, i);
            }
        }
        if (!entries.empty()) {
            EXPECT_GT(completions, 0u);
        }
    }

    CSimulatedDriver sim;
    ScriptedPrompts prompts;
    CCaptureDriver driver{&sim, nullptr};
};

// ---------------------------------------------------------------------------
// Connect

struct ConnectCase {
    const char* name;
    bool refuseOpen;
    uint16_t version0, version1;
    uint32_t safeMode;
    const wchar_t* message;   // null: connected
};

TEST_F(CaptureDriverTest, ConnectOutcomes) {
    const ConnectCase cases[] = {
        {"connected", false, 2, 2, 0, nullptr},
        {"no driver", true, 2, 2, 0, kConnectFailedMessage},
        {"version 2.3", false, 2, 3, 0, kWrongVersionMessage},
        {"version 3.2", false, 3, 2, 0, kWrongVersionMessage},
        {"safe mode", false, 2, 2, 1, kSafeModeMessage},
    };
    for (const ConnectCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSimulatedDriver s;
        CSimulatedDriver::Knobs k = s.GetKnobs();
        k.refuseOpen = c.refuseOpen;
        k.version[0] = c.version0;
        k.version[1] = c.version1;
        k.safeMode = c.safeMode;
        s.SetKnobs(k);
        CCaptureDriver d(&s, nullptr);
        prompts.boxes.clear();

        EXPECT_EQ(d.Connect(), c.message ? 0 : 1);
        EXPECT_EQ(d.IsOpen(), c.message == nullptr);
        EXPECT_EQ(s.IsOpen(), c.message == nullptr);   // a refused driver's handle is closed
        EXPECT_EQ(s.OpenedPath(), L"\\\\.\\Global\\{ace00679-b848-4ac7-b645-a2a354efa4f4}");
        if (c.message) {
            ASSERT_EQ(prompts.boxes.size(), 1u);
            EXPECT_EQ(prompts.boxes[0].text, c.message);
            EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
            EXPECT_FALSE(d.StartCapture(nullptr));   // view-only
        } else {
            EXPECT_TRUE(prompts.boxes.empty());
            EXPECT_EQ(d.Connect(), 0);               // already connected
            EXPECT_TRUE(d.IsOpen());
        }
    }
}

TEST_F(CaptureDriverTest, ShortVersionReplyIsRefused) {
    sim.SetReply(IOCTL_BRX_GET_VERSION, {2, 0, 2, 0});
    EXPECT_EQ(driver.Connect(), 0);
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_EQ(prompts.boxes[0].text, kWrongVersionMessage);
}

TEST_F(CaptureDriverTest, DevicePathBeforeVersion5HasNoGlobalPrefix) {
    wchar_t path[96];
    CCaptureDriver::BuildDevicePath(4, path, 96);
    EXPECT_STREQ(path, L"\\\\.\\{ace00679-b848-4ac7-b645-a2a354efa4f4}");
}

// The system version that picks the device path comes from the seam: a
// system before version 5 has no global namespace.
class FakeVersion final : public ISystemSeams {
public:
    explicit FakeVersion(DWORD major) : major_(major) { previous_ = SetSystemSeams(this); }
    ~FakeVersion() override { SetSystemSeams(previous_); }
    BOOL GetDiskFreeSpaceExW(LPCWSTR, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*) override { return FALSE; }
    BOOL IsWow64Process(HANDLE, PBOOL) override { return FALSE; }
    BOOL GetVersionExW(OSVERSIONINFOW* info) override {
        ++asked;
        info->dwMajorVersion = major_;
        info->dwMinorVersion = 0;
        return TRUE;
    }
    int asked = 0;

private:
    DWORD major_;
    ISystemSeams* previous_ = nullptr;
};

TEST_F(CaptureDriverTest, ConnectAsksTheSeamForTheSystemVersion) {
    const struct {
        DWORD major;
        const wchar_t* path;
    } rows[] = {
        {4, L"\\\\.\\{ace00679-b848-4ac7-b645-a2a354efa4f4}"},
        {5, L"\\\\.\\Global\\{ace00679-b848-4ac7-b645-a2a354efa4f4}"},
        {10, L"\\\\.\\Global\\{ace00679-b848-4ac7-b645-a2a354efa4f4}"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.major);
        FakeVersion version(r.major);
        CSimulatedDriver s;
        CCaptureDriver d(&s, nullptr);
        EXPECT_TRUE(d.Connect());
        EXPECT_EQ(version.asked, 1);
        EXPECT_EQ(s.OpenedPath(), r.path);
        d.Disconnect();
    }
}

TEST_F(CaptureDriverTest, WithoutConnectionEverythingFails) {
    FakeCaptureTarget target;
    uint8_t settings[CAPTURE_SETTINGS_SIZE] = {};
    uint32_t list[2] = {1, SIM_MOUSE_OBJECT};
    DriverBuffer buffer;
    DWORD n = 7;
    DRIVER_INFO info;
    std::memset(&info, 0xCC, sizeof(info));

    EXPECT_FALSE(driver.DriverIoControl(IOCTL_BRX_GET_VERSION, nullptr, 0, nullptr, 0, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(driver.GetKernelMemoryLimit(), 0u);
    EXPECT_EQ(driver.SetKernelMemoryLimit(0x400000), 0);
    EXPECT_FALSE(driver.SetCaptureSettings(settings));
    EXPECT_FALSE(driver.AddCaptureDevices(list));
    EXPECT_FALSE(driver.ResetCapture());
    EXPECT_EQ(driver.QueryDriverList(buffer), 0u);
    EXPECT_FALSE(buffer);
    EXPECT_FALSE(driver.GetDriverInfo(&info));
    EXPECT_EQ(info.bytes[0] | info.bytes[123], 0);
    EXPECT_FALSE(driver.StartCapture(&target));
    EXPECT_FALSE(driver.StopCapture());
    EXPECT_TRUE(sim.Calls().empty());
}

// ---------------------------------------------------------------------------
// Device control

TEST_F(CaptureDriverTest, KernelMemoryLimitGoesInTwoMegabyteUnits) {
    ASSERT_TRUE(driver.Connect());
    EXPECT_EQ(driver.SetKernelMemoryLimit(0x00345678), 1);
    EXPECT_EQ(sim.KernelMemoryLimit(), 0x00200000u);
    EXPECT_EQ(driver.GetKernelMemoryLimit(), 0x00200000u);
    EXPECT_EQ(driver.GetKernelMemoryStep(), 0x00200000u);
    EXPECT_EQ(driver.GetKernelMemoryMax(), 0x04000000u);
    EXPECT_EQ(driver.SetKernelMemoryLimit(0x00100000), 0);   // below one unit: the driver refuses 0
    EXPECT_EQ(sim.KernelMemoryLimit(), 0x00200000u);
}

TEST_F(CaptureDriverTest, PreferencesExchangeTheLimitWhileConnected) {
    CPreferences preferences;
    const uint32_t kept = preferences.GetKeptKernelMemoryLimit();
    ASSERT_NE(kept & ~KERNEL_MEMORY_UNIT_MASK, 0u);
    CCaptureDriver d(&sim, &preferences);
    ASSERT_TRUE(d.Connect());
    EXPECT_EQ(sim.KernelMemoryLimit(), kept & ~KERNEL_MEMORY_UNIT_MASK);   // the kept limit went to the driver

    EXPECT_EQ(preferences.SetKernelMemoryLimit(0x00600000), 1);
    EXPECT_EQ(sim.KernelMemoryLimit(), 0x00600000u);
    d.Disconnect();
    EXPECT_FALSE(sim.IsOpen());
    EXPECT_EQ(preferences.GetKeptKernelMemoryLimit(), 0x00600000u);
    EXPECT_EQ(preferences.SetKernelMemoryLimit(0x00800000), 0);   // no driver any more
}

TEST_F(CaptureDriverTest, SettingsBlockIsSentAsGiven) {
    ASSERT_TRUE(driver.Connect());
    uint8_t block[CAPTURE_SETTINGS_SIZE];
    for (uint32_t i = 0; i < CAPTURE_SETTINGS_SIZE; ++i)
        block[i] = static_cast<uint8_t>(i * 13 + 5);
    EXPECT_TRUE(driver.SetCaptureSettings(block));
    EXPECT_EQ(sim.SettingsBlock(), Bytes(block, block + CAPTURE_SETTINGS_SIZE));
    EXPECT_FALSE(driver.SetCaptureSettings(nullptr));
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_SET_CAPTURE_SETTINGS), 1u);
}

TEST_F(CaptureDriverTest, SelectionRoundTrip) {
    ASSERT_TRUE(driver.Connect());
    uint32_t add[3] = {2, SIM_STICK_OBJECT, SIM_MOUSE_OBJECT};
    uint32_t remove[2] = {1, SIM_STICK_OBJECT};
    uint32_t none[2] = {0, SIM_MOUSE_OBJECT};
    EXPECT_TRUE(driver.AddCaptureDevices(add));
    EXPECT_EQ(sim.SelectedDevices(), (std::set<uint32_t>{SIM_STICK_OBJECT, SIM_MOUSE_OBJECT}));

    DriverBuffer reply;
    ASSERT_EQ(driver.QuerySelectedDevices(reply), 12u);
    EXPECT_EQ(U32(reply.get()), 2u);
    EXPECT_EQ((std::set<uint32_t>{U32(reply.get() + 4), U32(reply.get() + 8)}),
              (std::set<uint32_t>{SIM_STICK_OBJECT, SIM_MOUSE_OBJECT}));

    EXPECT_TRUE(driver.RemoveCaptureDevices(remove));
    EXPECT_EQ(sim.SelectedDevices(), (std::set<uint32_t>{SIM_MOUSE_OBJECT}));
    const uint32_t sent = static_cast<uint32_t>(sim.Calls().size());
    EXPECT_FALSE(driver.AddCaptureDevices(none));
    EXPECT_FALSE(driver.RemoveCaptureDevices(none));
    EXPECT_FALSE(driver.AddCaptureDevices(nullptr));
    EXPECT_EQ(sim.Calls().size(), sent);   // nothing reached the driver
    const std::vector<DWORD> inputs = {12, 8};
    std::vector<DWORD> sizes;
    for (const CSimulatedDriver::Call& c : sim.Calls())
        if (c.code == IOCTL_BRX_ADD_CAPTURE_DEVICES || c.code == IOCTL_BRX_REMOVE_CAPTURE_DEVICES)
            sizes.push_back(c.inputSize);
    EXPECT_EQ(sizes, inputs);   // 4 + 4n bytes

    // One device object left: count and object, the smallest reply taken.
    ASSERT_EQ(driver.QuerySelectedDevices(reply), 8u);
    EXPECT_EQ(U32(reply.get() + 4), static_cast<uint32_t>(SIM_MOUSE_OBJECT));
}

TEST_F(CaptureDriverTest, DriverInfoAndReset) {
    ASSERT_TRUE(driver.Connect());
    DRIVER_INFO info;
    ASSERT_TRUE(driver.GetDriverInfo(&info));
    DRIVER_INFO expected = MakeDriverInfo(kDriverRecordLayout);
    EXPECT_EQ(std::memcmp(info.bytes, expected.bytes, DRIVER_INFO_SIZE), 0);
    EXPECT_TRUE(driver.ResetCapture());
    EXPECT_EQ(sim.ResetCount(), 1u);

    // A reply one byte short is no description: zeroed and refused.
    Bytes shortInfo(expected.bytes, expected.bytes + DRIVER_INFO_SIZE - 1);
    sim.SetReply(IOCTL_BRX_GET_DRIVER_INFO, shortInfo);
    std::memset(info.bytes, 0xAB, DRIVER_INFO_SIZE);
    EXPECT_FALSE(driver.GetDriverInfo(&info));
    EXPECT_EQ(std::count(info.bytes, info.bytes + DRIVER_INFO_SIZE, 0), static_cast<long>(DRIVER_INFO_SIZE));
}

struct QueryCase {
    const char* name;
    DWORD code;
    uint32_t (CCaptureDriver::*query)(DriverBuffer&);
    uint32_t replySize;
    uint32_t firstDword;          // written into the reply
    uint32_t expectedCount;       // 0: the query fails
    uint32_t expectedFirstDword;
    std::vector<DWORD> sizesTried;
};

TEST_F(CaptureDriverTest, VariableQueriesGrowFourfoldUpTo512K) {
    const QueryCase cases[] = {
        {"driver list past 8 KB", IOCTL_BRX_GET_DRIVER_LIST, &CCaptureDriver::QueryDriverList, 20000, 30000, 20000,
         20000, {8192, 32768}},
        {"device list that fits", IOCTL_BRX_GET_DEVICE_LIST, &CCaptureDriver::QueryDeviceList, 100, 64, 100, 64,
         {8192}},
        {"start list of 512 KB", IOCTL_BRX_GET_START_LIST, &CCaptureDriver::QueryStartList, 524288, 524288, 524288,
         524288, {8192, 32768, 131072, 524288}},
        {"refresh list never fits", IOCTL_BRX_GET_REFRESH_LIST, &CCaptureDriver::QueryRefreshList, 524289, 0, 0, 0,
         {8192, 32768, 131072, 524288}},
        {"refresh data keeps its first DWORD", IOCTL_BRX_GET_REFRESH_DATA, &CCaptureDriver::QueryRefreshData, 20000,
         0xFFFFFFFF, 20000, 0xFFFFFFFF, {0x4000, 0x10000}},
        {"selected devices from 516", IOCTL_BRX_GET_SELECTED_DEVICES, &CCaptureDriver::QuerySelectedDevices, 1000,
         249, 1000, 249, {516, 2064}},
        {"selected devices below 8 bytes", IOCTL_BRX_GET_SELECTED_DEVICES, &CCaptureDriver::QuerySelectedDevices, 4,
         0, 0, 0, {516}},
    };
    for (const QueryCase& c : cases) {
        SCOPED_TRACE(c.name);
        CSimulatedDriver s;
        CCaptureDriver d(&s, nullptr);
        ASSERT_TRUE(d.Connect());
        Bytes reply(c.replySize);
        for (uint32_t i = 0; i < c.replySize; ++i)
            reply[i] = static_cast<uint8_t>(i * 31);
        PutU32(reply, 0, c.firstDword);
        s.SetReply(c.code, reply);

        DriverBuffer out;
        EXPECT_EQ((d.*c.query)(out), c.expectedCount);
        EXPECT_EQ(OutputSizes(s, c.code), c.sizesTried);
        if (c.expectedCount) {
            ASSERT_TRUE(out);
            EXPECT_EQ(U32(out.get()), c.expectedFirstDword);
            EXPECT_EQ(std::memcmp(out.get() + 4, reply.data() + 4, c.expectedCount - 4), 0);
        } else {
            EXPECT_FALSE(out);
        }
    }
}

TEST_F(CaptureDriverTest, QueryFailsOnOtherErrors) {
    ASSERT_TRUE(driver.Connect());
    sim.SetFailure(IOCTL_BRX_GET_REFRESH_DATA, ERROR_GEN_FAILURE);
    DriverBuffer out;
    EXPECT_EQ(driver.QueryRefreshData(out), 0u);
    EXPECT_EQ(OutputSizes(sim, IOCTL_BRX_GET_REFRESH_DATA), std::vector<DWORD>{0x4000});
}

TEST_F(CaptureDriverTest, PendingDeviceControlIsCancelledAndWaitedFor) {
    ASSERT_TRUE(driver.Connect());
    sim.SetPendingCode(IOCTL_BRX_GET_KERNEL_MEMORY_STEP);
    EXPECT_EQ(driver.GetKernelMemoryStep(), 0u);
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_GET_KERNEL_MEMORY_STEP), 1u);
    EXPECT_EQ(sim.PendingOthers(), 0u);   // ended before its buffer and event went
    EXPECT_EQ(driver.GetKernelMemoryMax(), 0x04000000u);
}

// ---------------------------------------------------------------------------
// Capture

TEST_F(CaptureDriverTest, CaptureEndToEnd) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) {
        k.rounds = 40;
        k.keepDelivered = true;
        k.counterFrequency = 3579545;
    });
    // A device that arrives during the capture reports its name through a
    // notification request.
    sim.QueueNotification(NameListBlock(1, {{0x89A51030, 0x89A51000, u"\\Device\\USBPDO-8"}}));
    FakeCaptureTarget target;

    ASSERT_TRUE(driver.StartCapture(&target));
    EXPECT_TRUE(driver.IsCaptureRunning());
    EXPECT_TRUE(driver.StartCapture(&target));   // already running
    EXPECT_EQ(sim.StartCount(), 1u);
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(sim.StopCount(), 1u);
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::Stopped);
    EXPECT_EQ(target.EndCalls(), 0u);

    EXPECT_EQ(target.Frequency(), 3579545u);
    EXPECT_EQ(target.DriverInfoCalls(), 1u);
    EXPECT_EQ(std::memcmp(&target.Layout(), &kDriverRecordLayout, sizeof(RECORD_LAYOUT)), 0);
    EXPECT_GT(sim.DeliveredRecords(), 40u * 40u);
    ExpectCommittedAsDelivered(target);

    // The start marker leads; mass-storage stages are tied to their command.
    const auto& entries = target.Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(GetEntryRecordType(entries[0]), RECORD_TYPE_START);
    size_t tied = 0;
    for (const RECORD_INDEX_ENTRY& e : entries)
        tied += IsEntryMassStorage(e) && !IsEntryCommandWrapper(e);
    EXPECT_GT(tied, 0u);

    // Driver and device lists at start, HID descriptors from the start-up
    // notifications, and the arrival through the notification request.
    EXPECT_EQ(target.DriverNameBlocks(), 1u);
    EXPECT_EQ(target.DeviceNameBlocks(), 2u);
    EXPECT_EQ(target.HidBlocks(), 1u);
    WString name;
    EXPECT_TRUE(target.DeviceNames().Lookup({SIM_STICK_OBJECT, SIM_STICK_OBJECT - 0x30}, name));
    EXPECT_EQ(name, u"\\Device\\USBPDO-4");
    EXPECT_TRUE(target.DeviceNames().Lookup({0x89A51030, 0x89A51000}, name));
    EXPECT_EQ(name, u"\\Device\\USBPDO-8");
    EXPECT_TRUE(target.DriverNames().Lookup({0x89B10200, 1}, name));
    EXPECT_EQ(name, u"\\Driver\\USBSTOR");
}

TEST_F(CaptureDriverTest, StopWhileRequestsPendingThenRestart) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) { k.keepDelivered = true; });
    FakeCaptureTarget target;

    for (uint32_t run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(driver.StartCapture(&target));
        ASSERT_TRUE(sim.WaitUntilDrained(kWait));   // a read and two notification requests wait
        EXPECT_TRUE(driver.StopCapture());
        EXPECT_FALSE(driver.IsCaptureRunning());
        EXPECT_EQ(sim.PendingReads(), 0u);          // cancelled and waited for by the reader
        EXPECT_EQ(sim.PendingNotifications(), 0u);
        EXPECT_EQ(sim.StartCount(), run);
        EXPECT_EQ(sim.StopCount(), run);
    }
    ExpectCommittedAsDelivered(target);
    EXPECT_EQ(target.DriverInfoCalls(), 3u);

    // Clear: stop, reset, start again from sequence number 1.
    EXPECT_TRUE(driver.ResetCapture());
    EXPECT_EQ(sim.DeliveredRecords(), 0u);
    FakeCaptureTarget fresh;
    ASSERT_TRUE(driver.StartCapture(&fresh));
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    EXPECT_TRUE(driver.StopCapture());
    ExpectCommittedAsDelivered(fresh);
    ASSERT_FALSE(fresh.Entries().empty());
    EXPECT_EQ(U32(fresh.Committed().data() + RECORD_SEQUENCE_OFFSET), 1u);
}

TEST_F(CaptureDriverTest, FullStoreEndsTheCapture) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) {
        k.flood = true;
        k.keepDelivered = true;
    });
    FakeCaptureTarget target(1u << 20, 192u << 10);

    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(target.WaitEnded(kWait));
    EXPECT_EQ(target.End(), CaptureEnd::StoreFull);
    EXPECT_EQ(target.EndError(), 0u);
    EXPECT_EQ(target.FullAnswers(), 1u);
    EXPECT_TRUE(target.IsFull());
    EXPECT_TRUE(driver.StopCapture());   // the capture list's answer to notification 6
    EXPECT_EQ(sim.StopCount(), 1u);
    EXPECT_FALSE(driver.IsCaptureRunning());
    ExpectCommittedAsDelivered(target);
    EXPECT_GE(target.Committed().size(), (1u << 20) - (192u << 10));   // refused only at the reserve

    // A full store lets no capture start: no thread, no request.
    const uint32_t windows = target.WindowRequests();
    EXPECT_FALSE(driver.StartCapture(&target));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_TRUE(driver.WaitForReaderEnd(0));
    EXPECT_EQ(target.WindowRequests(), windows);
    EXPECT_EQ(sim.StartCount(), 1u);
}

// The driver in between records the size of every read the reader asks for.
class ReadSizeRecorder final : public IDriverDevice {
public:
    explicit ReadSizeRecorder(IDriverDevice& inner) : inner_(inner) {}
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) override {
        return inner_.CreateFileW(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output, DWORD outputSize,
                         LPDWORD returned, LPOVERLAPPED overlapped) override {
        return inner_.DeviceIoControl(device, code, input, inputSize, output, outputSize, returned, overlapped);
    }
    BOOL ReadFile(HANDLE device, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped) override {
        {
            std::lock_guard<std::mutex> guard(m_);
            sizes_.push_back(size);
        }
        return inner_.ReadFile(device, buffer, size, read, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override {
        return inner_.GetOverlappedResult(device, overlapped, transferred, wait);
    }
    BOOL CancelIo(HANDLE device) override { return inner_.CancelIo(device); }
    BOOL CloseHandle(HANDLE device) override { return inner_.CloseHandle(device); }
    std::vector<DWORD> Sizes() {
        std::lock_guard<std::mutex> guard(m_);
        return sizes_;
    }

private:
    IDriverDevice& inner_;
    std::mutex m_;
    std::vector<DWORD> sizes_;
};

// A window larger than 2 MB is read 2 MB at a time; a smaller one whole.
TEST_F(CaptureDriverTest, ReadsAskForAtMostTwoMegabytes) {
    for (uint32_t window : {8u << 20, 1u << 20}) {
        SCOPED_TRACE(window);
        CSimulatedDriver s;
        ReadSizeRecorder recorder(s);
        CCaptureDriver d(&recorder, nullptr);
        ASSERT_TRUE(d.Connect());
        uint32_t list[2] = {1, SIM_STICK_OBJECT};
        ASSERT_TRUE(d.AddCaptureDevices(list));
        FakeCaptureTarget target(window, 64u << 10);
        ASSERT_TRUE(d.StartCapture(&target));
        ASSERT_TRUE(s.WaitUntilDrained(kWait));
        EXPECT_TRUE(d.StopCapture());
        const std::vector<DWORD> sizes = recorder.Sizes();
        ASSERT_GE(sizes.size(), 2u);
        EXPECT_EQ(sizes[0], window > 2097152 ? 2097152u : window);
        for (DWORD size : sizes) EXPECT_LE(size, 2097152u);
        d.Disconnect();
    }
}

// A start the driver refuses ends the reader it had begun: its requests are
// cancelled and waited for, nothing is reported as a capture end, and the next
// start works.
TEST_F(CaptureDriverTest, AFailedStartCleansUpAfterItself) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    sim.SetFailure(IOCTL_BRX_START_CAPTURE, ERROR_GEN_FAILURE);
    FakeCaptureTarget target;
    EXPECT_FALSE(driver.StartCapture(&target));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_START_CAPTURE), 1u);
    EXPECT_EQ(sim.PendingReads(), 0u);
    EXPECT_EQ(sim.PendingNotifications(), 0u);
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::Stopped);
    EXPECT_EQ(target.EndCalls(), 0u);
    EXPECT_EQ(target.Commits(), 0u);

    sim.SetFailure(IOCTL_BRX_START_CAPTURE, 0);
    ASSERT_TRUE(driver.StartCapture(&target));
    EXPECT_TRUE(driver.IsCaptureRunning());
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_GT(target.Commits(), 0u);
}

// A notification request the driver refuses ends the capture as a read error
// with the driver's error, once; at the start it fails the start instead.
TEST_F(CaptureDriverTest, AFailingNotificationRequestEndsTheReader) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    FakeCaptureTarget target;
    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(sim.WaitUntilDrained(kWait));
    // The next request after this block is refused.
    sim.SetFailure(IOCTL_BRX_NOTIFICATION, ERROR_NOT_ENOUGH_MEMORY);
    sim.QueueNotification(NameListBlock(1, {{0x89A51030, 0x89A51000, u"\\Device\\USBPDO-8"}}));
    ASSERT_TRUE(target.WaitEnded(kWait));
    EXPECT_EQ(target.End(), CaptureEnd::ReadError);
    EXPECT_EQ(target.EndError(), static_cast<uint32_t>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(target.EndCalls(), 1u);
    WString name;
    EXPECT_TRUE(target.DeviceNames().Lookup({0x89A51030, 0x89A51000}, name));   // the block still counted
    EXPECT_EQ(sim.PendingReads(), 0u);
    EXPECT_EQ(sim.PendingNotifications(), 0u);
    EXPECT_TRUE(driver.StopCapture());

    FakeCaptureTarget second;
    EXPECT_FALSE(driver.StartCapture(&second));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(second.EndCalls(), 0u);
    EXPECT_EQ(sim.PendingReads(), 0u);
}

// Replies shorter than their records are not taken: no counter frequency, no
// driver information (the target keeps its default layout).
TEST_F(CaptureDriverTest, ShortFrequencyAndDriverInformationRepliesAreNotTaken) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    sim.SetReply(IOCTL_BRX_GET_COUNTER_FREQUENCY, {0x10, 0x27, 0, 0, 0, 0, 0});
    const DRIVER_INFO info = MakeDriverInfo(kDriverRecordLayout);
    sim.SetReply(IOCTL_BRX_GET_DRIVER_INFO, Bytes(info.bytes, info.bytes + 120));
    FakeCaptureTarget target;
    ASSERT_TRUE(driver.StartCapture(&target));
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_EQ(target.Frequency(), 0u);
    EXPECT_EQ(target.DriverInfoCalls(), 0u);
    EXPECT_EQ(std::memcmp(&target.Layout(), &kDefaultRecordLayout, sizeof(RECORD_LAYOUT)), 0);

    // Whole replies are taken.
    sim.SetReply(IOCTL_BRX_GET_COUNTER_FREQUENCY, {0x10, 0x27, 0, 0, 0, 0, 0, 0});
    sim.SetReply(IOCTL_BRX_GET_DRIVER_INFO, Bytes(info.bytes, info.bytes + DRIVER_INFO_SIZE));
    FakeCaptureTarget whole;
    ASSERT_TRUE(driver.StartCapture(&whole));
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_EQ(whole.Frequency(), 10000u);
    EXPECT_EQ(whole.DriverInfoCalls(), 1u);
}

TEST_F(CaptureDriverTest, StartIntoFullStoreCreatesNoThread) {
    ASSERT_TRUE(driver.Connect());
    FakeCaptureTarget target(192u << 10, 192u << 10);
    EXPECT_FALSE(driver.StartCapture(&target));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(target.WindowRequests(), 0u);
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_NOTIFICATION), 0u);
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_START_CAPTURE), 0u);
    EXPECT_FALSE(driver.StartCapture(nullptr));
}

TEST_F(CaptureDriverTest, FirstWindowFailureEndsTheStartWithZero) {
    ASSERT_TRUE(driver.Connect());
    driver.SetTimeouts({30000, 10000, 50});   // the reader waits 50 ms for a stop that never comes
    FakeCaptureTarget target;
    target.refuseWindows = true;
    EXPECT_FALSE(driver.StartCapture(&target));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(target.WindowRequests(), 1u);
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_NOTIFICATION), 0u);   // nothing issued
    EXPECT_EQ(sim.PendingReads(), 0u);
    EXPECT_EQ(sim.CallCount(IOCTL_BRX_START_CAPTURE), 0u);
    EXPECT_EQ(target.EndCalls(), 0u);                        // the start reports it
    EXPECT_EQ(driver.GetCaptureEnd(), CaptureEnd::Failed);

    target.refuseWindows = false;   // and the next start works
    ASSERT_TRUE(driver.StartCapture(&target));
    EXPECT_TRUE(driver.StopCapture());
}

TEST_F(CaptureDriverTest, ReadErrorEndsTheCaptureWithAMessage) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) {
        k.flood = true;
        k.failReadAfter = 3;
        k.readError = ERROR_GEN_FAILURE;
        k.keepDelivered = true;
    });
    FakeCaptureTarget target(64u << 20);

    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(target.WaitEnded(kWait));
    EXPECT_EQ(target.End(), CaptureEnd::ReadError);
    EXPECT_EQ(target.EndError(), static_cast<uint32_t>(ERROR_GEN_FAILURE));
    EXPECT_EQ(sim.DeliveredReads(), 4u);
    EXPECT_EQ(target.Commits(), 3u);
    EXPECT_TRUE(prompts.boxes.empty());   // the reader thread shows nothing itself

    driver.HandleCaptureEnd();   // the user interface's answer
    ASSERT_EQ(prompts.boxes.size(), 1u);
    EXPECT_NE(prompts.boxes[0].text.find(L"Reading from the capture driver failed (error 31). Capturing stopped."),
              std::wstring::npos);
    EXPECT_EQ(prompts.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
    EXPECT_EQ(sim.StopCount(), 1u);
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(sim.PendingNotifications(), 0u);
    ExpectCommittedAsDelivered(target);
}

TEST_F(CaptureDriverTest, ExceptionInTheTargetEndsTheReaderCleanly) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) { k.flood = true; });
    FakeCaptureTarget target(64u << 20);
    target.throwAfterCommits = 2;

    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(target.WaitEnded(kWait));
    EXPECT_EQ(target.End(), CaptureEnd::Failed);
    EXPECT_EQ(sim.PendingReads(), 0u);           // cancelled and waited for
    EXPECT_EQ(sim.PendingNotifications(), 0u);
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_FALSE(driver.IsCaptureRunning());
}

TEST_F(CaptureDriverTest, StopAfterTheReaderEndedStillStopsTheDriver) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    driver.SetTimeouts({30000, 10000, 0});   // the reader leaves at once
    SetKnobs([](CSimulatedDriver::Knobs& k) {
        k.flood = true;
        k.failReadAfter = 1;
    });
    FakeCaptureTarget target(64u << 20);

    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(driver.WaitForReaderEnd(kWait));
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_EQ(target.End(), CaptureEnd::ReadError);
    EXPECT_TRUE(driver.StopCapture());
    EXPECT_EQ(sim.StopCount(), 1u);
    EXPECT_FALSE(driver.StopCapture());   // nothing left to stop

    // A start after a capture that ended by itself, without a stop in
    // between, stops the driver first.
    SetKnobs([](CSimulatedDriver::Knobs& k) { k.failReadAfter = 2; });
    ASSERT_TRUE(driver.StartCapture(&target));
    ASSERT_TRUE(driver.WaitForReaderEnd(kWait));
    SetKnobs([](CSimulatedDriver::Knobs& k) { k.failReadAfter = 0; });
    ASSERT_TRUE(driver.StartCapture(&target));
    EXPECT_EQ(sim.StopCount(), 2u);
    EXPECT_EQ(sim.StartCount(), 3u);
    EXPECT_TRUE(driver.IsCaptureRunning());
    EXPECT_TRUE(driver.StopCapture());
}

TEST_F(CaptureDriverTest, StopRacesABusyReaderWithoutDeadlock) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    SetKnobs([](CSimulatedDriver::Knobs& k) {
        k.flood = true;
        k.keepDelivered = true;
    });
    FakeCaptureTarget target(64u << 20);
    for (int run = 0; run < 10; ++run) {
        ASSERT_TRUE(driver.StartCapture(&target));
        EXPECT_TRUE(driver.StopCapture());
        EXPECT_FALSE(driver.IsCaptureRunning());
    }
    EXPECT_EQ(sim.StopCount(), 10u);
    EXPECT_EQ(target.EndCalls(), 0u);
    ExpectCommittedAsDelivered(target);
}

TEST_F(CaptureDriverTest, DisconnectStopsTheCaptureAndCloses) {
    ASSERT_TRUE(driver.Connect());
    SelectAll();
    FakeCaptureTarget target;
    ASSERT_TRUE(driver.StartCapture(&target));
    driver.Disconnect();
    EXPECT_FALSE(driver.IsCaptureRunning());
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(sim.IsOpen());
    EXPECT_EQ(sim.StopCount(), 1u);
    EXPECT_TRUE(driver.Connect());   // and connects again
}

} // namespace
