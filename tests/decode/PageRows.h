// The field-table rows of a data-analysis page read back from its text: the
// tests check what a page says (field, value, description, error style)
// without depending on its exact markup.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brx::testing {

struct PageRow {
    std::string name;        // field name, or "label: name" of a bit row
    std::string value;       // the value cell's text ("12h", "0001 0010", hex dump)
    std::string description; // the description cell's text (references kept as written)
    bool error = false;      // value or description in the error style
    bool bits = false;       // a bit sub-field row
};

inline std::string StripTags(std::string_view s) {
    std::string out;
    bool inTag = false;
    for (char c : s) {
        if (c == '<') inTag = true;
        else if (c == '>') inTag = false;
        else if (!inTag) out.push_back(c);
    }
    // The writers' own entities.
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"&nbsp;", " "}, {"&quot;", "\""},
                                   {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&micro;", "\xB5"}}) {
        for (size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size()))
            out.replace(at, from.size(), to);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

inline std::vector<PageRow> ParseRows(std::string_view page) {
    std::vector<PageRow> rows;
    size_t at = 0;
    while ((at = page.find("<tr valign=\"top\">\r\n", at)) != std::string_view::npos) {
        const size_t end = page.find("</tr>", at);
        if (end == std::string_view::npos) break;
        const std::string_view row = page.substr(at, end - at);
        at = end;
        PageRow r;
        bool named = false;
        for (size_t c = row.find("<td class=\""); c != std::string_view::npos; c = row.find("<td class=\"", c + 1)) {
            const size_t q = row.find('"', c + 11);
            const std::string_view cls = row.substr(c + 11, q - c - 11);
            const size_t close = row.find("</td>", q);
            const std::string_view inner = row.substr(row.find('>', q) + 1, close - row.find('>', q) - 1);
            if (inner.find("class=\"error\"") != std::string_view::npos) r.error = true;
            if (cls == "udfld" || cls == "udbmfld") {
                r.name = StripTags(inner);
                r.bits = cls == "udbmfld";
                named = true;
            } else if (cls == "udval" || cls == "udhex") {
                r.value = StripTags(inner);
            } else if (cls == "uddes") {
                r.description = StripTags(inner);
            }
        }
        if (named) rows.push_back(r);
    }
    return rows;
}

// The rows named `name` ("bLength", "3: Over-Current").
inline std::vector<PageRow> RowsNamed(const std::vector<PageRow>& rows, std::string_view name) {
    std::vector<PageRow> out;
    for (const PageRow& r : rows)
        if (r.name == name) out.push_back(r);
    return out;
}

// The number in a value cell ("12h", "0200h", "00000002h").
inline int64_t CellNumber(const std::string& value) {
    if (value.empty() || value.back() != 'h') return -1;
    return static_cast<int64_t>(std::stoll(value.substr(0, value.size() - 1), nullptr, 16));
}

// Any row whose description contains the text.
inline bool Says(const std::vector<PageRow>& rows, std::string_view text, bool error) {
    for (const PageRow& r : rows)
        if (r.description.find(text) != std::string::npos && r.error == error) return true;
    return false;
}

} // namespace brx::testing
