// The preset list of the settings dialogs: the one modified entry, what is
// selected, when Remove may be pressed, and what Apply stores.
#include <gtest/gtest.h>

#include "app/dialogs/PresetChoice.h"

using namespace brx;

namespace {

std::vector<std::wstring> Texts(const PresetChoice& list) {
    std::vector<std::wstring> texts;
    for (const PresetEntry& e : list.Entries()) texts.push_back(e.text);
    return texts;
}

} // namespace

TEST(PresetChoice, FillSelectsTheStoredNameAndMarksItModified) {
    struct Case {
        const char* name;
        std::wstring stored;
        bool modified;
        std::vector<std::wstring> texts;
        int selected;
        bool canRemove;
    };
    const Case cases[] = {
        {"plain", L"b", false, {L"a", L"b"}, 1, true},
        {"modified", L"b", true, {L"b (modified)", L"a", L"b"}, 0, false},
        {"unknown name", L"z", true, {L"a", L"b"}, -1, false},
        {"no name", L"", true, {L"a", L"b"}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PresetChoice list;
        list.Fill({L"a", L"b"}, c.stored, c.modified);
        EXPECT_EQ(Texts(list), c.texts);
        EXPECT_EQ(list.Selected(), c.selected);
        EXPECT_EQ(list.CanRemove(), c.canRemove);
    }
    PresetChoice empty;
    empty.Fill({}, L"a", true);
    EXPECT_TRUE(empty.Entries().empty());
    EXPECT_EQ(empty.Selected(), -1);
    EXPECT_EQ(empty.BaseName(), L"");
}

TEST(PresetChoice, ChangedControlsMarkAndUnmarkTheSelectedPreset) {
    PresetChoice list;
    list.Fill({L"a", L"b"}, L"a", false);
    list.ControlsChanged(list.BaseName(), true, false);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a (modified)", L"a", L"b"}));
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_EQ(list.BaseName(), L"a");
    EXPECT_FALSE(list.CanRemove());
    // Still different: still exactly one modified entry.
    list.ControlsChanged(list.BaseName(), true, false);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a (modified)", L"a", L"b"}));
    // Back to the preset's settings: its plain entry again.
    list.ControlsChanged(list.BaseName(), true, true);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(list.Selected(), 0);
    EXPECT_TRUE(list.CanRemove());
    // A preset that cannot be read changes nothing; neither does no selection.
    list.ControlsChanged(list.BaseName(), false, false);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a", L"b"}));
    PresetChoice none;
    none.Fill({L"a"}, L"", false);
    none.ControlsChanged(none.BaseName(), true, false);
    EXPECT_EQ(Texts(none), (std::vector<std::wstring>{L"a"}));
}

TEST(PresetChoice, ChoosingAnEntryDropsTheModifiedOne) {
    PresetChoice list;
    list.Fill({L"a", L"b"}, L"a", true); // "a (modified)", "a", "b"
    EXPECT_EQ(list.Choose(0), L"");        // the modified entry: already shown
    EXPECT_EQ(list.Entries().size(), 3u);
    EXPECT_EQ(list.Choose(2), L"b");
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(list.Selected(), 1);
    EXPECT_TRUE(list.CanRemove());
    EXPECT_EQ(list.Choose(7), L"");
}

TEST(PresetChoice, SaveSelectsTheNameOnlyWhenSaved) {
    PresetChoice list;
    list.Fill({L"a", L"b"}, L"a", true);
    list.Saved(L"new", false);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a (modified)", L"a", L"b"}));
    EXPECT_EQ(list.Selected(), 0);
    list.Saved(L"b", true); // an existing name: its entry, no second one
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(list.Selected(), 1);
    list.Saved(L"c", true);
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(list.Selected(), 2);
}

TEST(PresetChoice, RemoveTakesOnlyAPlainEntry) {
    PresetChoice list;
    list.Fill({L"a", L"b"}, L"b", true);
    EXPECT_EQ(list.RemoveSelected(), L""); // the modified entry is selected
    list.Choose(2);
    EXPECT_EQ(list.RemoveSelected(), L"b");
    EXPECT_EQ(Texts(list), (std::vector<std::wstring>{L"a"}));
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_FALSE(list.CanRemove());
}

TEST(PresetChoice, AppliedNameIsTheBaseWithTheModifiedFlag) {
    PresetChoice list;
    bool modified = true;
    EXPECT_EQ(list.AppliedName(modified), L"");
    EXPECT_FALSE(modified);
    list.Fill({L"a"}, L"a", true);
    EXPECT_EQ(list.AppliedName(modified), L"a");
    EXPECT_TRUE(modified);
    list.ControlsChanged(L"a", true, true);
    EXPECT_EQ(list.AppliedName(modified), L"a");
    EXPECT_FALSE(modified);
}
