// A page and a decode context over it for the writer tests, a check that a
// page's elements nest and close, and the golden pages below tests/data/pages
// that the browser check (tools/check_page.py) loads.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "decode/DecodeContext.h"

namespace brx::testing {

struct PageFixture {
    explicit PageFixture(size_t capacity = 0x10000) : page(capacity) { ctx.page = &page; }
    std::string Take() {
        std::string s(page.view());
        page.Reset();
        return s;
    }
    PageBuffer page;
    DECODE_CONTEXT ctx;
};

inline size_t Count(std::string_view text, std::string_view what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// Every start tag of the elements the writers open (html, head, body, div,
// table, tr, td, th, span, nobr, b, a, p, style, title) has its end tag, in
// nesting order. Returns an empty text or the first fault.
inline std::string CheckNesting(std::string_view page) {
    static const char* const kElements[] = {"html", "head", "body", "div", "table", "tr", "td", "th",
                                            "span", "nobr", "b", "a", "p", "style", "title"};
    std::vector<std::string> open;
    size_t i = 0;
    while ((i = page.find('<', i)) != std::string_view::npos) {
        const size_t end = page.find('>', i);
        if (end == std::string_view::npos) return "unterminated tag at " + std::to_string(i);
        std::string_view tag = page.substr(i + 1, end - i - 1);
        i = end + 1;
        const bool closing = !tag.empty() && tag[0] == '/';
        if (closing) tag.remove_prefix(1);
        const std::string name(tag.substr(0, tag.find_first_of(" \t\r\n")));
        bool tracked = false;
        for (const char* e : kElements) tracked = tracked || name == e;
        if (!tracked) continue;
        if (!closing) {
            open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            return "</" + name + "> closes " + (open.empty() ? std::string("nothing") : "<" + open.back() + ">");
        } else {
            open.pop_back();
        }
    }
    if (!open.empty()) return "<" + open.back() + "> left open";
    return {};
}

inline void CheckGoldenPage(const std::string& name, std::string_view text) {
    const std::string path = std::string(BRX_SOURCE_DIR) + "/tests/data/pages/" + name + ".html";
    if (std::getenv("BRX_WRITE_GOLDEN")) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        ASSERT_TRUE(out.good()) << path;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "missing golden " << path;
    const std::string committed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, committed) << "golden page " << name;
}

} // namespace brx::testing
