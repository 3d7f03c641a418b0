// A single-line edit for typing hexadecimal bytes into a fixed mask (see
// toolkit/controls/HexMask.h for the mask and its editing rules). Only hex
// digits and the prompt are taken in input positions; refused keys beep.
// Without a mask it is a plain edit control.
#pragma once
#include <windows.h>

#include <string>

#include "framework/StdControls.h"
#include "toolkit/controls/HexMask.h"

namespace brx {

class CHexMaskedEdit : public CEdit {
public:
    explicit CHexMaskedEdit(const wchar_t* mask = nullptr);

    void SetMask(const wchar_t* mask);
    void SetPromptChar(wchar_t prompt);
    wchar_t GetPromptChar() const { return mask_.GetPromptChar(); }
    // The typed characters, prompts left out (without a mask: the window text).
    std::wstring GetInputText() const;
    // 1 when every character was accepted.
    int SetInputText(const wchar_t* text, int keep, BOOL raw);
    // Without a mask the text is cleared; keepMask: every input position takes
    // the prompt, else the mask is dropped.
    void ResetInput(BOOL keepMask);
    int DeleteInputRange(int from, int to);
    int InsertInputChar(int position, wchar_t ch);
    int OverwriteInputChar(int position, wchar_t ch);

    BOOL IsInsertMode() const { return insertMode_; }
    const CHexMask& Mask() const { return mask_; }

    // Takes over an existing edit (a dialog's control); with a mask the text
    // is refreshed with the caret at the first input position.
    BOOL SubclassEdit(HWND edit);

    // Every refused key ends here.
    virtual void OnBadKey();

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Shows the mask's text; then, unless moveCaret is false, the caret goes
    // to the first input position at or after `caret`.
    void Refresh(int caret, bool moveCaret = true);
    void SetCaret(int position) { SetSel(position, position); }
    void Selection(int& start, int& end) const;
    bool OnKeyDown(UINT key);
    void OnChar(wchar_t ch);
    // Puts the text on the clipboard as ANSI text.
    void ToClipboard(const std::wstring& text);
    // The typed characters of the input positions in [start, end).
    std::wstring SelectedInput(int start, int end) const;

    CHexMask mask_;
    BOOL insertMode_ = TRUE;
    int updating_ = 0;
};

} // namespace brx
