// The hex input mask's editing rules, driven as the control drives them.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/controls/HexMask.h"

using namespace brx;

namespace {

CHexMask Mask(const wchar_t* mask, wchar_t prompt = L'_') {
    CHexMask m(mask);
    m.SetPromptChar(prompt);
    return m;
}

// Types the characters one by one from the caret, returning the last caret.
int Type(CHexMask& m, const wchar_t* keys, int caret = 0, bool insert = true) {
    for (const wchar_t* k = keys; *k; ++k) {
        const MaskEditResult r = m.TypeChar(caret, caret, *k, insert);
        caret = r.caret;
    }
    return caret;
}

TEST(HexMask, BuildsPositionsFromTheMaskString) {
    struct Case {
        const wchar_t* mask;
        const wchar_t* text;
        int inputs;
    } cases[] = {
        {L"## ##", L"__ __", 4},
        {L"\\##", L"#_", 1},          // escaped input sign is a literal
        {L"#\\", L"_\\", 1},          // a trailing escape is a backslash, nothing past the end
        {L"\\", L"\\", 0},
        {L"", L"", 0},
        {nullptr, L"", 0},
        {L"0x##", L"0x__", 2},
    };
    for (const Case& c : cases) {
        CHexMask m = Mask(c.mask);
        EXPECT_EQ(m.Text(), c.text) << (c.mask ? c.mask : L"(null)");
        EXPECT_EQ(m.InputCount(), c.inputs);
    }
    CHexMask m = Mask(L"\\##");
    EXPECT_EQ(m.Positions()[0].kind, MASK_ESCAPED_LITERAL);
    EXPECT_EQ(Mask(L"a#").Positions()[0].kind, MASK_LITERAL);
}

TEST(HexMask, TypingInsertsAndBackspaceRemoves) {
    CHexMask m = Mask(L"## ##");
    const int caret = Type(m, L"a1f");
    EXPECT_EQ(m.Text(), L"A1 F_");
    EXPECT_EQ(caret, 4);
    const MaskEditResult back = m.Backspace(caret, caret);
    EXPECT_EQ(m.Text(), L"A1 __");
    EXPECT_EQ(back.caret, 3);
    // Over the literal: the 1 goes.
    EXPECT_EQ(m.Backspace(3, 3).caret, 1);
    EXPECT_EQ(m.Text(), L"A_ __");
    EXPECT_EQ(m.Backspace(1, 1).caret, 0);
    EXPECT_EQ(m.Backspace(0, 0).caret, 0);  // stops at the start
    EXPECT_EQ(m.Text(), L"__ __");
}

TEST(HexMask, BackspaceNeverStepsBeforeTheStartOverLeadingLiterals) {
    CHexMask m = Mask(L"0x##");
    Type(m, L"7", 2);
    EXPECT_EQ(m.Text(), L"0x7_");
    EXPECT_EQ(m.Backspace(2, 2).caret, 2);  // only literals before: nothing goes, the caret stays
    EXPECT_EQ(m.Text(), L"0x7_");
}

TEST(HexMask, InsertModeShiftsAndTheLastCharacterFallsOff) {
    CHexMask m = Mask(L"## ##");
    Type(m, L"A1F");
    EXPECT_EQ(m.TypeChar(0, 0, L'5', true).caret, 1);
    EXPECT_EQ(m.Text(), L"5A 1F");
}

TEST(HexMask, OverwriteModeReplacesInPlace) {
    CHexMask m = Mask(L"## ##");
    Type(m, L"A1F");
    const MaskEditResult r = m.TypeChar(1, 1, L'b', false);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(r.caret, 3);  // past the literal
    EXPECT_EQ(m.Text(), L"AB F_");
    EXPECT_EQ(m.OverwriteInputChar(2, L'C'), 2);  // a literal: nothing
    EXPECT_EQ(m.OverwriteInputChar(9, L'C'), 9);  // beyond
    EXPECT_EQ(m.OverwriteInputChar(0, L'g'), -1);
    EXPECT_EQ(m.Text(), L"AB F_");
}

TEST(HexMask, RefusedCharactersLeaveTheTextUnchanged) {
    struct Case {
        wchar_t ch;
        int caret;
        bool insert;
    } cases[] = {{L'G', 0, true}, {L' ', 1, true}, {L'z', 4, true}, {L'G', 0, false}, {L'-', 3, false}};
    for (const Case& c : cases) {
        CHexMask m = Mask(L"## ##");
        Type(m, L"A1F");
        const MaskEditResult r = m.TypeChar(c.caret, c.caret, c.ch, c.insert);
        EXPECT_FALSE(r.accepted) << static_cast<int>(c.ch);
        EXPECT_EQ(m.Text(), L"A1 F_");
    }
    // A gap stays where it was when a refused key is restored.
    CHexMask m = Mask(L"## ##");
    m.SetInputText(L"A_F1", 0, true);
    EXPECT_FALSE(m.TypeChar(0, 0, L'x', true).accepted);
    EXPECT_EQ(m.Text(), L"A_ F1");
    // On a literal the caret moves on to the next input position.
    const MaskEditResult onLiteral = m.TypeChar(2, 2, L'1', true);
    EXPECT_FALSE(onLiteral.accepted);
    EXPECT_EQ(onLiteral.caret, 3);
}

TEST(HexMask, TypingOverASelectionReplacesIt) {
    CHexMask m = Mask(L"## ##");
    Type(m, L"A1F");
    MaskEditResult r = m.TypeChar(0, 2, L'7', false);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(m.Text(), L"7F __");
    EXPECT_EQ(r.caret, 1);
    r = m.TypeChar(2, 3, L'7', true);  // only a literal selected
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.caret, 3);
    EXPECT_EQ(m.Text(), L"7F __");
}

TEST(HexMask, DeleteTakesTheNextInputCharacter) {
    struct Case {
        int start, end;
        const wchar_t* text;
        int caret;
    } cases[] = {
        {2, 2, L"A1 __", 3},  // on the literal: the F goes
        {0, 0, L"1F __", 0},
        {0, 4, L"__ __", 0},
        {4, 4, L"A1 F_", 4},  // nothing after: unchanged
        {5, 5, L"A1 F_", 5},
    };
    for (const Case& c : cases) {
        CHexMask m = Mask(L"## ##");
        Type(m, L"A1F");
        const MaskEditResult r = m.DeleteKey(c.start, c.end);
        EXPECT_EQ(m.Text(), c.text) << c.start;
        EXPECT_EQ(r.caret, c.caret) << c.start;
    }
}

TEST(HexMask, InputTextAndSetInputText) {
    CHexMask m = Mask(L"## ##");
    EXPECT_TRUE(m.SetInputText(L"a1f", 0, false));
    EXPECT_EQ(m.GetInputText(), L"A1F");
    EXPECT_EQ(m.RawInput(), L"A1F_");
    EXPECT_TRUE(m.SetInputText(L"2", 2, false));  // keeps "A1"
    EXPECT_EQ(m.Text(), L"A1 2_");
    EXPECT_FALSE(m.SetInputText(L"1 2x3", 0, false));  // non-hex skipped, reported
    EXPECT_EQ(m.Text(), L"12 3_");
    EXPECT_TRUE(m.SetInputText(L"123456", 0, true));  // what does not fit is dropped
    EXPECT_EQ(m.Text(), L"12 34");
    m.ClearInput();
    EXPECT_TRUE(m.IsEmpty());
}

TEST(HexMask, OutsideTextFillsTheSamePositionsWithOrWithoutLiterals) {
    CHexMask m = Mask(L"## ##");
    for (const wchar_t* text : {L"12 34", L"1234"}) {
        m.ClearInput();
        m.SetInputText(m.StripLiterals(text), 0, true);
        EXPECT_EQ(m.Text(), L"12 34") << text;
    }
    CHexMask sixteen = Mask(L"## ## ##");
    EXPECT_EQ(sixteen.StripLiterals(L"12 34 56"), L"123456");
    EXPECT_EQ(sixteen.StripLiterals(L"12"), L"12");  // short text: nothing read past it
    EXPECT_EQ(Mask(L"##:").StripLiterals(L"12:"), L"12:");  // trailing run is not followed by input
}

TEST(HexMask, PromptChangeAndRefusedPrompts) {
    CHexMask m(L"## ##");
    EXPECT_EQ(m.Text(), L"     ");
    for (wchar_t bad : {L'\0', L'\n', L'\r', static_cast<wchar_t>(127)}) EXPECT_FALSE(m.SetPromptChar(bad));
    EXPECT_EQ(m.GetPromptChar(), L' ');
    m.SetInputText(L"A", 0, false);
    EXPECT_TRUE(m.SetPromptChar(L'_'));
    EXPECT_EQ(m.Text(), L"A_ __");
}

TEST(HexMask, CaretRules) {
    CHexMask m = Mask(L"0x## ##");
    m.SetInputText(L"AB", 0, false);
    EXPECT_EQ(m.FirstInputAt(-3), 2);
    EXPECT_EQ(m.FirstInputAt(4), 5);
    EXPECT_EQ(m.FirstInputAt(7), 7);
    EXPECT_EQ(m.FirstEmptyInputAt(0), 5);
    EXPECT_EQ(m.BackToInput(4), 4);  // after the B
    EXPECT_EQ(m.BackToInput(1), 2);  // no input before: forward
    EXPECT_EQ(m.BackToInput(5), 5);
}

} // namespace
