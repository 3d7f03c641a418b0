#include "toolkit/controls/HeaderOrder.h"

#include <algorithm>

namespace brx {

std::vector<int> HiddenColumnsLast(const std::vector<int>& order, const std::vector<bool>& visible) {
    std::vector<int> result(order.size());
    size_t front = 0, back = order.size();
    for (int column : order) {
        const bool shown = column < 0 || static_cast<size_t>(column) >= visible.size() ||
                           visible[static_cast<size_t>(column)];
        if (shown)
            result[front++] = column;
        else
            result[--back] = column;
    }
    return result;
}

std::vector<int> OrderAfterShowing(std::vector<int> order, int column, int position, int visibleCount) {
    if (position < 0 || static_cast<size_t>(position) >= order.size()) return order;
    const int target = std::max(0, std::min(visibleCount - 1, column));
    if (target < position) {
        for (int i = position; i > target; --i) order[static_cast<size_t>(i)] = order[static_cast<size_t>(i - 1)];
        order[static_cast<size_t>(target)] = column;
    }
    return order;
}

} // namespace brx
