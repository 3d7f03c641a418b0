// The application profile in its private INI file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

std::wstring TestProfilePath() {
  std::string dir = BRX_TEST_OUTPUT_DIR;
  std::wstring path(dir.begin(), dir.end());
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path + L"\\framework_profile.INI";
}

class Profile : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = test::App().m_strProfileName;
    test::App().m_strProfileName = TestProfilePath();
    ::DeleteFileW(TestProfilePath().c_str());
  }
  void TearDown() override { test::App().m_strProfileName = saved_; }
  std::wstring saved_;
};

TEST(ProfileText, BinaryValuesAreTwoLettersPerByteLowNibbleFirst) {
  struct Case { std::vector<uint8_t> bytes; const wchar_t* text; };
  const Case cases[] = {
    {{}, L""},
    {{0x00}, L"AA"},
    {{0x2C}, L"MC"},
    {{0xFF, 0x10, 0x01}, L"PPABBA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeProfileBinary(c.bytes.data(), c.bytes.size()), c.text);
    std::vector<uint8_t> back;
    EXPECT_TRUE(DecodeProfileBinary(c.text, back));
    EXPECT_EQ(back, c.bytes);
  }
  // Text that is not of that form is no value at all.
  for (const wchar_t* bad : {L"A", L"AQ", L"aa", L"A A"}) {
    std::vector<uint8_t> out{1, 2};
    EXPECT_FALSE(DecodeProfileBinary(bad, out)) << bad;
    EXPECT_TRUE(out.empty());
  }
}

TEST_F(Profile, ValuesRoundTripThroughThePrivateIniFile) {
  CWinApp& app = test::App();
  EXPECT_TRUE(app.WriteProfileInt(L"General", L"Count", -42));
  EXPECT_TRUE(app.WriteProfileString(L"General", L"Name", L"Brindlex capture"));
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  wp.showCmd = SW_SHOWMAXIMIZED;
  wp.rcNormalPosition = RECT{10, 20, 630, 470};
  EXPECT_TRUE(app.WriteProfileBinary(L"CaptureSettings", L"WindowPlacement", &wp, sizeof(wp)));

  EXPECT_EQ(static_cast<int>(app.GetProfileInt(L"General", L"Count", 0)), -42);
  EXPECT_EQ(app.GetProfileInt(L"General", L"Missing", 17), 17u);
  EXPECT_EQ(app.GetProfileString(L"General", L"Name"), L"Brindlex capture");
  EXPECT_EQ(app.GetProfileString(L"General", L"Missing", L"dflt"), L"dflt");
  std::vector<uint8_t> data;
  ASSERT_TRUE(app.GetProfileBinary(L"CaptureSettings", L"WindowPlacement", data));
  ASSERT_EQ(data.size(), 44u);
  EXPECT_EQ(std::memcmp(data.data(), &wp, 44), 0);
  std::wstring raw = app.GetProfileString(L"CaptureSettings", L"WindowPlacement");
  EXPECT_EQ(raw.size(), 88u);
  EXPECT_EQ(raw.substr(0, 8), L"MCAAAAAA");  // length 44 = 0x2C, low nibble first

  // A long string survives (the buffer grows).
  std::wstring longText(3000, L'x');
  EXPECT_TRUE(app.WriteProfileString(L"General", L"Long", longText.c_str()));
  EXPECT_EQ(app.GetProfileString(L"General", L"Long"), longText);

  // A damaged binary value and a deleted entry read as absent.
  EXPECT_TRUE(app.WriteProfileString(L"CaptureSettings", L"WindowPlacement", L"MCA"));
  EXPECT_FALSE(app.GetProfileBinary(L"CaptureSettings", L"WindowPlacement", data));
  EXPECT_TRUE(app.WriteProfileString(L"General", L"Name", nullptr));
  EXPECT_EQ(app.GetProfileString(L"General", L"Name", L"gone"), L"gone");
  EXPECT_FALSE(app.GetProfileBinary(L"Nowhere", L"Nothing", data));
}

TEST(ProfileName, IsTheExecutablePathWithIni) {
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring expected(exe);
  expected = expected.substr(0, expected.rfind(L'.')) + L".INI";
  CWinApp& app = test::App();
  EXPECT_EQ(app.m_strProfileName, expected);
  EXPECT_EQ(app.m_strAppName, L"test_framework");
}

} // namespace
} // namespace brx
