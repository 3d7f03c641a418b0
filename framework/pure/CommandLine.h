// The program's command line: split into arguments by the rules of the C
// runtime on Windows (quotes group, backslashes escape only before a quote),
// then read as start-up needs it: an optional file to open, and options.
// Pure: the Windows side hands in GetCommandLineW's text.
#pragma once
#include <string>
#include <vector>

namespace brx {

// Splits a whole command line; the first argument is the program, read as
// the system reads it (up to the first blank, or between quotes, with no
// escapes).
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

class CCommandLineInfo {
public:
    // What start-up does with the command line.
    enum ShellCommand { FileNew, FileOpen, FileNothing };

    ShellCommand m_nShellCommand = FileNew;
    // The file to open (FileOpen), as given.
    std::wstring m_strFileName;
    // Options ("/restart" or "-restart"), lower case, without their mark.
    std::vector<std::wstring> m_options;

    bool HasOption(const wchar_t* name) const;
    // One argument after the program's name. The first one that is not an
    // option names the file; later ones are ignored.
    virtual void ParseParam(const std::wstring& param);
    virtual ~CCommandLineInfo() = default;
};

// Fills info from the arguments after the program's name.
void ParseCommandLine(const std::vector<std::wstring>& args, CCommandLineInfo& info);

} // namespace brx
