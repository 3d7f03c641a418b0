#include "toolkit/controls/HexMask.h"

#include <algorithm>

namespace brx {
namespace {

wchar_t Upper(wchar_t ch) { return (ch >= L'a' && ch <= L'f') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch; }

} // namespace

void CHexMask::SetMask(const wchar_t* mask) {
    positions_.clear();
    if (!mask) return;
    for (const wchar_t* p = mask; *p; ++p) {
        CMaskData d;
        if (*p == L'#') {
            d.kind = MASK_INPUT;
            d.ch = prompt_;
        } else if (*p == L'\\' && p[1] != 0) {
            // The next character is taken as it stands; a trailing escape
            // (checked above) is a literal backslash and reads nothing more.
            ++p;
            d.kind = MASK_ESCAPED_LITERAL;
            d.ch = *p;
        } else {
            d.kind = *p == L'\\' ? MASK_ESCAPED_LITERAL : MASK_LITERAL;
            d.ch = *p;
        }
        positions_.push_back(d);
    }
}

bool CHexMask::SetPromptChar(wchar_t prompt) {
    if (prompt == 0 || prompt == L'\n' || prompt == L'\r' || prompt == 127) return false;
    for (CMaskData& d : positions_)
        if (d.kind == MASK_INPUT && d.ch == prompt_) d.ch = prompt;
    prompt_ = prompt;
    return true;
}

std::wstring CHexMask::Text() const {
    std::wstring text;
    text.reserve(positions_.size());
    for (const CMaskData& d : positions_) text.push_back(d.ch);
    return text;
}

std::wstring CHexMask::GetInputText() const {
    std::wstring text;
    for (const CMaskData& d : positions_)
        if (d.kind == MASK_INPUT && d.ch != prompt_) text.push_back(d.ch);
    return text;
}

std::wstring CHexMask::RawInput() const {
    std::wstring text;
    for (const CMaskData& d : positions_)
        if (d.kind == MASK_INPUT) text.push_back(d.ch);
    return text;
}

int CHexMask::InputCount() const {
    return static_cast<int>(std::count_if(positions_.begin(), positions_.end(),
                                          [](const CMaskData& d) { return d.kind == MASK_INPUT; }));
}

bool CHexMask::SetInputText(const std::wstring& text, int keep, bool raw) {
    std::wstring source = GetInputText();
    source.resize(static_cast<size_t>(std::clamp(keep, 0, static_cast<int>(source.size()))));
    for (wchar_t ch : text)
        if (raw || ch != prompt_) source.push_back(ch);
    bool all = true;
    size_t next = 0;
    for (CMaskData& d : positions_) {
        if (d.kind != MASK_INPUT) continue;
        wchar_t taken = prompt_;
        while (next < source.size()) {
            const wchar_t ch = source[next++];
            if (IsHexDigit(ch) || ch == prompt_) {
                taken = Upper(ch);
                break;
            }
            all = false;
        }
        d.ch = taken;
    }
    return all;
}

void CHexMask::PutRawInput(const std::wstring& input) {
    size_t next = 0;
    for (CMaskData& d : positions_)
        if (d.kind == MASK_INPUT) d.ch = next < input.size() ? input[next++] : prompt_;
}

void CHexMask::ClearInput() {
    for (CMaskData& d : positions_)
        if (d.kind == MASK_INPUT) d.ch = prompt_;
}

int CHexMask::DeleteInputRange(int from, int to) {
    std::wstring kept;
    int removed = 0;
    for (int i = 0; i < Length(); ++i) {
        if (positions_[i].kind != MASK_INPUT) continue;
        if (i >= from && i < to)
            ++removed;
        else
            kept.push_back(positions_[i].ch);
    }
    if (removed) SetInputText(kept, 0, true);
    return removed;
}

int CHexMask::InsertInputChar(int position, wchar_t ch) {
    const int at = FirstInputAt(position);
    if (at >= Length()) return Length();
    const std::wstring before = RawInput();
    std::wstring input;
    for (int i = 0; i < Length(); ++i) {
        if (positions_[i].kind != MASK_INPUT) continue;
        if (i == at) input.push_back(ch);
        input.push_back(positions_[i].ch);
    }
    if (!SetInputText(input, 0, true)) {
        // Refused: the input exactly as it was, gaps included.
        PutRawInput(before);
        return -1;
    }
    return at;
}

int CHexMask::OverwriteInputChar(int position, wchar_t ch) {
    if (!IsInput(position)) return position;
    if (!IsHexDigit(ch) && ch != prompt_) return -1;
    positions_[position].ch = Upper(ch);
    return position;
}

int CHexMask::FirstInputAt(int position) const {
    for (int i = std::max(position, 0); i < Length(); ++i)
        if (positions_[i].kind == MASK_INPUT) return i;
    return Length();
}

int CHexMask::FirstEmptyInputAt(int position) const {
    for (int i = std::max(position, 0); i < Length(); ++i)
        if (positions_[i].kind == MASK_INPUT && positions_[i].ch == prompt_) return i;
    return Length();
}

int CHexMask::BackToInput(int position) const {
    if (IsInput(position)) return position;
    for (int i = std::min(position, Length()) - 1; i >= 0; --i)
        if (positions_[i].kind == MASK_INPUT) return i + 1;
    return FirstInputAt(position);
}

bool CHexMask::IsEmpty() const {
    for (const CMaskData& d : positions_)
        if (d.kind == MASK_INPUT && d.ch != prompt_) return false;
    return true;
}

MaskEditResult CHexMask::TypeChar(int start, int end, wchar_t ch, bool insertMode) {
    if (start == end) {
        if (!IsInput(start)) return {false, FirstInputAt(start)};
        const int at = insertMode ? InsertInputChar(start, ch) : OverwriteInputChar(start, ch);
        if (at < 0) return {false, start};
        return {true, FirstInputAt(at + 1)};
    }
    if (end < start) std::swap(start, end);
    if (DeleteInputRange(start, end) == 0) return {false, FirstInputAt(start)};
    const int at = InsertInputChar(start, ch);
    if (at < 0) return {false, FirstInputAt(start)};
    return {true, FirstInputAt(at + 1)};
}

MaskEditResult CHexMask::Backspace(int start, int end) {
    if (end < start) std::swap(start, end);
    if (start != end && DeleteInputRange(start, end) > 0) return {true, FirstInputAt(start)};
    // The input character before the caret: step left until something goes,
    // never past the start of the text.
    int caret = start;
    while (caret > 0) {
        --caret;
        if (DeleteInputRange(caret, caret + 1) > 0) return {true, caret};
    }
    return {true, FirstInputAt(start)};
}

MaskEditResult CHexMask::DeleteKey(int start, int end) {
    if (end < start) std::swap(start, end);
    if (start == end) end = start + 1;
    start = std::max(start, 0);
    while (DeleteInputRange(start, end) == 0) {
        if (end >= Length()) break;
        ++start;
        ++end;
    }
    return {true, FirstInputAt(start)};
}

std::wstring CHexMask::StripLiterals(const std::wstring& text) const {
    std::wstring out = text;
    size_t removed = 0;
    int i = 0;
    while (i < Length()) {
        if (positions_[i].kind == MASK_INPUT) {
            ++i;
            continue;
        }
        const int runStart = i;
        while (i < Length() && positions_[i].kind != MASK_INPUT) ++i;
        if (i >= Length()) break;  // a run at the end is followed by no input
        const size_t at = static_cast<size_t>(runStart) - removed;
        const size_t length = static_cast<size_t>(i - runStart);
        if (at + length > out.size()) continue;
        bool same = true;
        for (size_t k = 0; k < length && same; ++k) same = out[at + k] == positions_[runStart + k].ch;
        if (same) {
            out.erase(at, length);
            removed += length;
        }
    }
    return out;
}

} // namespace brx
