// The command line as the system splits it: our splitter against
// CommandLineToArgvW, and the application's own command line.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/WinApp.h"
#include "tests/framework/TestApp.h"

namespace brx {
namespace {

std::vector<std::wstring> SystemSplit(const wchar_t* line) {
  int count = 0;
  LPWSTR* argv = ::CommandLineToArgvW(line, &count);
  std::vector<std::wstring> args;
  for (int i = 0; argv && i < count; ++i) args.push_back(argv[i]);
  if (argv) ::LocalFree(argv);
  return args;
}

TEST(CommandLineWin, SplitsAsTheSystemDoes) {
  const wchar_t* lines[] = {
    L"\"C:\\Program Files\\Brindlex\\brindlex.exe\" \"D:\\USB logs\\mouse.bdx\"",
    L"brindlex.exe /restart",
    L"b.exe   a\t\tb  ",
    L"b.exe \"C:\\dir\\\\\" next",
    L"b.exe a\\\"b c\\\\d",
    L"b.exe ab\"c d\"e",
    L"b.exe \"unterminated path",
  };
  for (const wchar_t* line : lines) EXPECT_EQ(SplitCommandLine(line), SystemSplit(line));
}

TEST(CommandLineWin, TheApplicationReadsItsOwnCommandLine) {
  CCommandLineInfo info;
  test::App().ParseCommandLine(info);
  std::vector<std::wstring> system = SystemSplit(::GetCommandLineW());
  CCommandLineInfo expected;
  ParseCommandLine(system, expected);
  EXPECT_EQ(info.m_nShellCommand, expected.m_nShellCommand);
  EXPECT_EQ(info.m_strFileName, expected.m_strFileName);
  EXPECT_EQ(info.m_options, expected.m_options);
}

} // namespace
} // namespace brx
