// The command line: split by the system's rules, then a file to open and
// options.
#include <gtest/gtest.h>

#include <cwchar>

#include "framework/pure/CommandLine.h"

namespace brx {
namespace {

struct SplitCase {
  const wchar_t* line;
  std::vector<std::wstring> args;
};

TEST(CommandLine, SplitsLikeTheSystem) {
  const SplitCase cases[] = {
    {L"brindlex.exe", {L"brindlex.exe"}},
    {L"", {L""}},
    {L"\"C:\\Program Files\\Brindlex\\brindlex.exe\" log.bdx",
     {L"C:\\Program Files\\Brindlex\\brindlex.exe", L"log.bdx"}},
    {L"b.exe \"C:\\My Captures\\keyboard log.bdx\"", {L"b.exe", L"C:\\My Captures\\keyboard log.bdx"}},
    {L"b.exe   a\t\tb  ", {L"b.exe", L"a", L"b"}},
    {L"b.exe C:\\dir\\ \"x\"", {L"b.exe", L"C:\\dir\\", L"x"}},            // backslashes before a blank stay
    {L"b.exe \"C:\\dir\\\\\" next", {L"b.exe", L"C:\\dir\\", L"next"}},     // 2n backslashes and a quote
    {L"b.exe a\\\"b", {L"b.exe", L"a\"b"}},                                // 2n + 1: a literal quote
    {L"b.exe \"say \"\"hi\"\"\"", {L"b.exe", L"say \"hi\""}},             // doubled quotes inside quotes
    {L"b.exe ab\"c d\"e", {L"b.exe", L"abc de"}},                          // quotes in the middle group
    {L"b.exe \"unterminated path", {L"b.exe", L"unterminated path"}},
    {L"\"b.exe", {L"b.exe"}},
    {L"b.exe \"\"", {L"b.exe", L""}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << std::string(c.line, c.line + std::wcslen(c.line));
}

TEST(CommandLine, AQuotedPathIsTheFileToOpen) {
  CCommandLineInfo info;
  ParseCommandLine(SplitCommandLine(L"\"C:\\Tools\\brindlex.exe\" \"D:\\USB logs\\mouse.bdx\""), info);
  EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
  EXPECT_EQ(info.m_strFileName, L"D:\\USB logs\\mouse.bdx");
  EXPECT_TRUE(info.m_options.empty());
}

TEST(CommandLine, NoFileMeansANewLogAndOptionsAreNotFiles) {
  CCommandLineInfo none;
  ParseCommandLine(SplitCommandLine(L"brindlex.exe"), none);
  EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
  EXPECT_TRUE(none.m_strFileName.empty());

  CCommandLineInfo restart;
  ParseCommandLine(SplitCommandLine(L"brindlex.exe /Restart -x first.bdx second.bdx /"), restart);
  EXPECT_TRUE(restart.HasOption(L"restart"));
  EXPECT_TRUE(restart.HasOption(L"x"));
  EXPECT_FALSE(restart.HasOption(L"first.bdx"));
  EXPECT_EQ(restart.m_strFileName, L"first.bdx");  // later names are ignored
  // A lone "/" is a (strange) file name, not an option.
  EXPECT_EQ(restart.m_options.size(), 2u);

  CCommandLineInfo onlyOption;
  ParseCommandLine(SplitCommandLine(L"brindlex.exe /restart"), onlyOption);
  EXPECT_EQ(onlyOption.m_nShellCommand, CCommandLineInfo::FileNew);
}

} // namespace
} // namespace brx
