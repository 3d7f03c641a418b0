// The mask of a hexadecimal input field: which character positions take
// input and which show fixed characters, and the editing rules that keep
// typed digits in the input positions. The masked edit control keeps one of
// these and shows its text; everything here is pure so that the editing rules
// can be tested without a window.
//
// Mask string: "#" is an input position (shows the prompt while empty), "\"
// makes the next character a literal, anything else is a literal. A trailing
// "\" with nothing to escape is a literal backslash.
// Positions are character indexes into the text.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace brx {

enum : uint32_t {
    MASK_INPUT = 0,
    MASK_ESCAPED_LITERAL = 1,
    MASK_LITERAL = 2,
};

struct CMaskData {
    uint32_t kind = MASK_INPUT;
    wchar_t ch = L' ';  // input: the content (a digit or the prompt); literal: its character
};

// The outcome of an editing key: whether it was accepted (a refused key
// beeps) and where the caret goes.
struct MaskEditResult {
    bool accepted = true;
    int caret = 0;
};

class CHexMask {
public:
    explicit CHexMask(const wchar_t* mask = nullptr) { SetMask(mask); }

    // Drops the old positions and builds new ones; null counts as empty.
    void SetMask(const wchar_t* mask);
    bool HasMask() const { return !positions_.empty(); }
    int Length() const { return static_cast<int>(positions_.size()); }
    const std::vector<CMaskData>& Positions() const { return positions_; }

    wchar_t GetPromptChar() const { return prompt_; }
    // 0, line feed, carriage return and DEL are refused (false); otherwise
    // every input position holding the old prompt takes the new one.
    bool SetPromptChar(wchar_t prompt);

    // The characters of all positions in order: the control's window text.
    std::wstring Text() const;
    // The input characters that are not the prompt, in order.
    std::wstring GetInputText() const;
    // The characters of all input positions, prompts included.
    std::wstring RawInput() const;
    int InputCount() const;

    // Starts from the first `keep` characters of GetInputText, appends text
    // (raw: whole; else without prompt characters) and fills the input
    // positions: each takes the next hex digit or prompt (upper-cased);
    // other characters are skipped and make the result false; the positions
    // left over take the prompt.
    bool SetInputText(const std::wstring& text, int keep, bool raw);
    // Every input position takes the prompt.
    void ClearInput();
    // Removes the input positions with index in [from, to); the following
    // input characters move left and the freed positions at the end take the
    // prompt. Returns how many input positions were in the range.
    int DeleteInputRange(int from, int to);
    // Inserts before the first input position at or after `position` (the last
    // input character falls off); returns that position's index, or -1 with
    // the input unchanged when the character is refused. With no input
    // position at or after `position` nothing changes and the mask length is
    // returned.
    int InsertInputChar(int position, wchar_t ch);
    // An input position takes the character (upper-cased) when it is a hex
    // digit or the prompt (result: the position), else -1; on a literal or
    // beyond the mask nothing happens and the position is returned.
    int OverwriteInputChar(int position, wchar_t ch);

    bool IsInput(int position) const {
        return position >= 0 && position < Length() && positions_[position].kind == MASK_INPUT;
    }
    // Caret rules.
    int FirstInputAt(int position) const;
    int FirstEmptyInputAt(int position) const;
    int BackToInput(int position) const;
    // True when every input position holds the prompt.
    bool IsEmpty() const;

    // Editing keys over the selection [start, end) (start == end: none).
    // A printable character typed.
    MaskEditResult TypeChar(int start, int end, wchar_t ch, bool insertMode);
    // Backspace: the selection, or the input character before the caret.
    // Stops at the start of the text.
    MaskEditResult Backspace(int start, int end);
    // Delete: the selection, or the next input character at or after the
    // caret.
    MaskEditResult DeleteKey(int start, int end);

    // A text set from outside: the runs of literals followed by an input
    // position are cut out where the text carries them at their place, so
    // that "12 34" and "1234" fill the same positions. The result goes to
    // SetInputText in raw mode.
    std::wstring StripLiterals(const std::wstring& text) const;

    static bool IsHexDigit(wchar_t ch) {
        return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
    }

private:
    // Puts the characters of `input` into the input positions in order (the
    // string is the raw input, as long as the number of input positions).
    void PutRawInput(const std::wstring& input);

    std::vector<CMaskData> positions_;
    wchar_t prompt_ = L' ';
};

} // namespace brx
