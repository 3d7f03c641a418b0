// A settings dialog's layout tree of 30 controls, shared by the native and
// the Wine benchmark of a layout pass: eight rows of a label, an edit box and
// a combo box (a percentage), a framed list with two check boxes, and the
// buttons at the bottom right. `makeItem(token, mode, width, height)` makes
// one control's item.
#pragma once
#include <cstdint>
#include <functional>

#include "toolkit/layout/LayoutTree.h"

namespace brx::bench {

constexpr int kLayoutControls = 30;

inline LayoutPanePtr BuildThirtyControlTree(
    const std::function<LayoutNodePtr(uintptr_t, uint32_t, int32_t, int32_t)>& makeItem,
    const std::function<LayoutPanePtr(uintptr_t)>& makeGroup) {
    uintptr_t token = 1;
    auto root = MakeLayoutPane(LM_COLUMN, 0, 5, 0, 0);
    for (int row = 0; row < 8; ++row) {
        auto line = MakeLayoutPane(LM_ROW, LM_FIXED_H, 5, 0, 0);
        line->AddItem(makeItem(token, LM_FIXED_W | LM_FIXED_H | LM_ALIGN_T | LM_ALIGN_B, 60, 14));
        line->AddItem(makeItem(token + 1, LM_FIXED_H, 0, 20));
        line->AddItem(makeItem(token + 2, LM_PERCENT_W, 40, 20));
        token += 3;
        root->AddPane(line);
    }
    auto group = makeGroup(token++);
    group->AddItem(makeItem(token++, 0, 0, 0));
    for (int i = 0; i < 2; ++i) group->AddItem(makeItem(token++, LM_FIXED_H, 0, 16));
    auto buttons = MakeLayoutPane(LM_ROW, LM_FIXED_H, 6, 0, 0);
    buttons->AddItem(MakeLayoutGrowingSpacer(0));
    buttons->AddItem(makeItem(token, LM_FIXED_W | LM_FIXED_H, 75, 23));
    buttons->AddItem(makeItem(token + 1, LM_FIXED_W | LM_FIXED_H, 75, 23));
    root->AddPane(group)->AddPane(buttons);
    return root;
}

} // namespace brx::bench
