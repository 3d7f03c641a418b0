// A device-node sink that keeps the nodes in a tree of its own, as the tree
// view will, and prints it as indented lines for whole-tree comparisons.
#pragma once
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/devices/win/DeviceEnumerator.h"
#include "base/Text.h"

namespace brx::testing {

class RecordingTree final : public IDeviceNodeSink {
public:
    struct Item {
        Item* parent = nullptr;
        std::unique_ptr<DEVICE_NODE> node;
        std::wstring text;
        std::vector<std::unique_ptr<Item>> children;
    };

    // Items whose text starts with this are refused (the insert fails).
    std::wstring refusePrefix;
    // Inserting an item whose text starts with this runs out of memory.
    std::wstring throwPrefix;

    DEVICE_ITEM Root() { return &root_; }

    DEVICE_ITEM InsertDeviceNode(DEVICE_ITEM parent, std::unique_ptr<DEVICE_NODE>& node, const wchar_t* text) override {
        if (!parent || !node || !text)
            return nullptr;
        if (!refusePrefix.empty() && std::wstring(text).rfind(refusePrefix, 0) == 0)
            return nullptr;
        if (!throwPrefix.empty() && std::wstring(text).rfind(throwPrefix, 0) == 0)
            throw std::bad_alloc();
        auto* p = static_cast<Item*>(parent);
        auto item = std::make_unique<Item>();
        item->parent = p;
        item->node = std::move(node);
        item->text = text;
        p->children.push_back(std::move(item));
        return p->children.back().get();
    }

    // "text" per item, two spaces per level.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        Print(root_, 0, lines);
        return lines;
    }

    // Every node in creation order of the walk (depth first, as inserted).
    std::vector<const Item*> Items() const {
        std::vector<const Item*> all;
        Collect(root_, all);
        return all;
    }

    // The first item whose text starts with prefix.
    const Item* Find(const std::wstring& prefix) const {
        for (const Item* i : Items())
            if (i->text.rfind(prefix, 0) == 0)
                return i;
        return nullptr;
    }

    void Clear() { root_.children.clear(); }

private:
    static void Print(const Item& item, int depth, std::vector<std::string>& lines) {
        for (const auto& child : item.children) {
            lines.push_back(std::string(2 * depth, ' ') +
                            WideToUtf8(std::u16string(child->text.begin(), child->text.end())));
            Print(*child, depth + 1, lines);
        }
    }
    static void Collect(const Item& item, std::vector<const Item*>& all) {
        for (const auto& child : item.children) {
            all.push_back(child.get());
            Collect(*child, all);
        }
    }

    Item root_;
};

} // namespace brx::testing
