// The capture settings in the registry and on their way to the driver: the
// current settings (value "0") load and reach the driver, presets load
// without reaching it, names and value types the enumeration skips, the two
// capture commands write only when they change something, stored edge values,
// and the block arriving byte for byte at the simulated driver.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/devices/CaptureSettings.h"
#include "app/devices/win/CaptureSettingsDriver.h"
#include "capture/win/CaptureDriver.h"
#include "sim/win/SimulatedDriver.h"
#include "tests/capture/win/TestRegistry.h"

using namespace brx;
using brx::testing::TestRegistry;

namespace {

class RecordingDriver : public ICaptureSettingsDriver {
public:
    int SetCaptureSettings(const uint8_t* block) override {
        blocks.emplace_back(block, block + DRIVER_CAPTURE_SETTINGS_SIZE);
        return 1;
    }
    std::vector<std::vector<uint8_t>> blocks;
};

std::vector<uint8_t> BlockOf(const CCaptureSettings& s) {
    std::vector<uint8_t> b(DRIVER_CAPTURE_SETTINGS_SIZE);
    CCaptureSettings::ToDriverBlock(s.Image(), b.data());
    return b;
}

bool SameImage(const CCaptureSettings& a, const CCaptureSettings& b) {
    return std::memcmp(&a.Image(), &b.Image(), sizeof(CAPTURE_SETTINGS_IMAGE)) == 0;
}

// Settings that differ from the defaults everywhere it shows.
CCaptureSettings Changed() {
    CCaptureSettings s;
    CAPTURE_SETTINGS_IMAGE image = s.Image();
    image.flags = CS_ENTIRE_STACK | CS_DATA_IN;
    image.transferBufferLimit = 8192;
    image.kinds[46] = 1;
    image.kinds[64] = 0;
    s.ApplyImage(image);
    return s;
}

const wchar_t kSection[] = L"CaptureSettings";

class CaptureSettingsRegistryTest : public ::testing::Test {
protected:
    TestRegistry registry;
};

TEST_F(CaptureSettingsRegistryTest, CurrentSettingsLoadAndReachTheDriver) {
    RecordingDriver driver;
    CCaptureSettings loaded(&driver);
    EXPECT_EQ(loaded.LoadCurrent(), 0);   // nothing stored yet
    EXPECT_TRUE(SameImage(loaded, CCaptureSettings()));
    // The driver still gets the program's defaults: it must not capture by
    // its own while the menus show these.
    ASSERT_EQ(driver.blocks.size(), 1u);
    EXPECT_EQ(driver.blocks[0], BlockOf(CCaptureSettings()));
    driver.blocks.clear();

    const CCaptureSettings saved = Changed();
    ASSERT_EQ(saved.SaveCurrent(), 1);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(registry.Get(kSection, L"0", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    const CaptureSettingsBlob blob = saved.ToBlob();
    EXPECT_EQ(bytes, std::string(blob.begin(), blob.end()));

    EXPECT_EQ(loaded.LoadCurrent(), 1);
    EXPECT_TRUE(SameImage(loaded, saved));
    ASSERT_EQ(driver.blocks.size(), 1u);
    EXPECT_EQ(driver.blocks[0], BlockOf(saved));
}

TEST_F(CaptureSettingsRegistryTest, StoredEdgeValuesAndOtherTypes) {
    CCaptureSettings s;
    CaptureSettingsBlob blob = s.ToBlob();
    std::memset(blob.data() + 8, 0xFF, 4);   // flags
    blob[12] = 100;                          // limit 100
    blob[13] = blob[14] = blob[15] = 0;
    ASSERT_TRUE(registry.Put(kSection, L"0", REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())));
    ASSERT_EQ(s.LoadCurrent(), 0);   // loaded, but no driver to take it
    EXPECT_EQ(s.Image().flags, 0x307u);
    EXPECT_EQ(s.Image().transferBufferLimit, 64u);

    // Not a blob: another type, or 16 bytes and less; the settings stay.
    const CCaptureSettings before = Changed();
    for (DWORD size : {16u, 0u}) {
        ASSERT_TRUE(registry.Put(kSection, L"0", REG_BINARY, blob.data(), size));
        CCaptureSettings again = Changed();
        EXPECT_EQ(again.LoadCurrent(), 0);
        EXPECT_TRUE(SameImage(again, before));
    }
    const DWORD number = 5;
    ASSERT_TRUE(registry.Put(kSection, L"0", REG_DWORD, &number, sizeof(number)));
    CCaptureSettings dword = Changed();
    EXPECT_EQ(dword.LoadCurrent(), 0);
    EXPECT_TRUE(SameImage(dword, before));
}

TEST_F(CaptureSettingsRegistryTest, PresetsLoadWithoutReachingTheDriver) {
    const CCaptureSettings saved = Changed();
    ASSERT_EQ(saved.SavePreset(L"Entire stack"), 1);
    RecordingDriver driver;
    CCaptureSettings loaded(&driver);
    EXPECT_EQ(loaded.LoadPreset(L"Entire stack"), 1);
    EXPECT_TRUE(SameImage(loaded, saved));
    EXPECT_TRUE(driver.blocks.empty());   // comparing or showing a preset changes no capture

    EXPECT_EQ(loaded.LoadPreset(L"Missing"), 0);
    EXPECT_EQ(saved.DeletePreset(L"Entire stack"), 1);
    EXPECT_EQ(loaded.LoadPreset(L"Entire stack"), 0);
    EXPECT_EQ(saved.DeletePreset(L""), 0);
    EXPECT_EQ(saved.DeletePreset(L"Entire stack"), 0);

    const std::wstring forty(40, L'n'), fortyOne(41, L'n');
    EXPECT_EQ(saved.SavePreset(forty.c_str()), 1);
    EXPECT_EQ(saved.SavePreset(fortyOne.c_str()), 0);
    EXPECT_EQ(saved.SavePreset(L""), 0);
    EXPECT_EQ(loaded.LoadPreset(fortyOne.c_str()), 0);
}

TEST_F(CaptureSettingsRegistryTest, EnumerationSkipsWhatIsNoPreset) {
    const CCaptureSettings s = Changed();
    ASSERT_EQ(s.SavePreset(L"First"), 1);
    ASSERT_EQ(s.SavePreset(L"Second"), 1);
    const std::wstring presetKey = std::wstring(kSection) + L"\\0";
    const uint8_t sixteen[16] = {};
    const DWORD number = 1;
    const CaptureSettingsBlob blob = s.ToBlob();
    const std::wstring longName(41, L'x');
    ASSERT_TRUE(registry.Put(presetKey.c_str(), L"Short", REG_BINARY, sixteen, sizeof(sixteen)));
    ASSERT_TRUE(registry.Put(presetKey.c_str(), L"Number", REG_DWORD, &number, sizeof(number)));
    ASSERT_TRUE(registry.Put(presetKey.c_str(), longName.c_str(), REG_BINARY, blob.data(),
                             static_cast<DWORD>(blob.size())));

    std::vector<std::wstring> names;
    s.EnumPresets([](const wchar_t* name, void* user) {
        static_cast<std::vector<std::wstring>*>(user)->push_back(name);
        return 1;
    }, &names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"First", L"Second"}));

    names.clear();
    s.EnumPresets([](const wchar_t* name, void* user) {
        static_cast<std::vector<std::wstring>*>(user)->push_back(name);
        return 0;   // stop at the first
    }, &names);
    EXPECT_EQ(names.size(), 1u);
}

TEST_F(CaptureSettingsRegistryTest, CaptureCommandsWriteOnlyWhenTheyChangeSomething) {
    RecordingDriver driver;
    CCaptureSettings s(&driver);
    DWORD type = 0;
    std::string bytes;
    EXPECT_EQ(s.SetCaptureEntireStack(0), 1);   // already off
    EXPECT_EQ(s.SetCaptureHotPlugged(0), 1);
    EXPECT_TRUE(driver.blocks.empty());
    EXPECT_FALSE(registry.Get(kSection, L"0", type, bytes));

    EXPECT_EQ(s.SetCaptureEntireStack(1), 1);
    ASSERT_EQ(driver.blocks.size(), 1u);
    EXPECT_EQ(driver.blocks[0][7], 1);
    ASSERT_TRUE(registry.Get(kSection, L"0", type, bytes));
    CCaptureSettings stored;
    ASSERT_EQ(stored.LoadCurrent(), 0);
    EXPECT_TRUE(stored.IsCaptureEntireStack());
    EXPECT_FALSE(stored.IsCaptureHotPlugged());

    EXPECT_EQ(s.SetCaptureHotPlugged(1), 1);
    EXPECT_EQ(s.SetCaptureHotPlugged(1), 1);
    EXPECT_EQ(driver.blocks.size(), 2u);
}

TEST_F(CaptureSettingsRegistryTest, FirstRunSendsTheDefaultsToTheSimulatedDriverAtConnect) {
    CSimulatedDriver sim;
    CCaptureDriver connection(&sim, nullptr);
    CDriverSettingsTarget target(connection);
    CCaptureSettings s(&target);
    ASSERT_TRUE(connection.Connect());
    // Start-up after the connection, with nothing stored yet.
    EXPECT_EQ(s.LoadCurrent(), 0);
    const Bytes block = sim.SettingsBlock();
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.end()), BlockOf(CCaptureSettings()));

    // A value that is no settings block: the settings held go instead.
    const DWORD number = 5;
    ASSERT_TRUE(registry.Put(kSection, L"0", REG_DWORD, &number, sizeof(number)));
    CCaptureSettings changed(&target);
    changed.ApplyImage(Changed().Image());
    ASSERT_EQ(s.PushToDriver(), 1);   // the driver holds the defaults again
    EXPECT_EQ(changed.LoadCurrent(), 0);
    const Bytes again = sim.SettingsBlock();
    EXPECT_EQ(std::vector<uint8_t>(again.begin(), again.end()), BlockOf(Changed()));
}

TEST_F(CaptureSettingsRegistryTest, BlockReachesTheSimulatedDriverThroughTheConnection) {
    CSimulatedDriver sim;
    CCaptureDriver connection(&sim, nullptr);
    CDriverSettingsTarget target(connection);
    CCaptureSettings s(&target);
    EXPECT_EQ(s.PushToDriver(), 0);   // view-only: not connected
    EXPECT_TRUE(sim.SettingsBlock().empty());

    ASSERT_TRUE(connection.Connect());
    const CCaptureSettings changed = Changed();
    EXPECT_EQ(s.ApplyImage(changed.Image()), 1);
    const Bytes block = sim.SettingsBlock();
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.end()), BlockOf(changed));
    EXPECT_EQ(block[0] | block[1] << 8, 8192);
    EXPECT_EQ(block[7], 1);    // entire stack
    EXPECT_EQ(block[10], 0);   // URB function 0 cleared
    EXPECT_EQ(block[123], 1);  // Plug and Play minor 14 selected
}

} // namespace
