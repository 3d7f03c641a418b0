#include "framework/pure/CommandLine.h"

#include <cwctype>

namespace brx {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

} // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> args;
    size_t i = 0, n = line.size();
    // The program: quoted or up to the first blank, backslashes as they are.
    std::wstring program;
    if (i < n && line[i] == L'"') {
        ++i;
        while (i < n && line[i] != L'"') program.push_back(line[i++]);
        if (i < n) ++i;
    } else {
        while (i < n && !IsBlank(line[i])) program.push_back(line[i++]);
    }
    args.push_back(program);
    for (;;) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i >= n) break;
        std::wstring arg;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(line[i]))) {
            if (line[i] == L'\\') {
                size_t slashes = 0;
                while (i < n && line[i] == L'\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == L'"') {
                    // 2n backslashes and a quote: n backslashes, the quote groups;
                    // 2n + 1: n backslashes and a literal quote.
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg.push_back(L'"');
                        ++i;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
                continue;
            }
            if (line[i] == L'"') {
                // Two quotes inside a quoted part stand for one quote.
                if (quoted && i + 1 < n && line[i + 1] == L'"') {
                    arg.push_back(L'"');
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg.push_back(line[i++]);
        }
        args.push_back(arg);
    }
    return args;
}

bool CCommandLineInfo::HasOption(const wchar_t* name) const {
    for (const std::wstring& option : m_options)
        if (option == name) return true;
    return false;
}

void CCommandLineInfo::ParseParam(const std::wstring& param) {
    if (param.size() > 1 && (param[0] == L'/' || param[0] == L'-')) {
        std::wstring option = param.substr(1);
        for (wchar_t& c : option) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        m_options.push_back(option);
        return;
    }
    if (param.empty() || !m_strFileName.empty()) return;
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}

void ParseCommandLine(const std::vector<std::wstring>& args, CCommandLineInfo& info) {
    for (size_t i = 1; i < args.size(); ++i) info.ParseParam(args[i]);
}

} // namespace brx
