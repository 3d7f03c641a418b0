// The display order of a header with hideable columns: hidden columns stand
// behind the visible ones.
#pragma once
#include <cstddef>
#include <vector>

namespace brx {

constexpr size_t kHeaderMaxColumns = 64;

// Visible columns from the front in their given order, hidden ones from the
// back (so in reverse). visible[i] tells whether column i is shown; columns
// without an entry count as visible.
std::vector<int> HiddenColumnsLast(const std::vector<int>& order, const std::vector<bool>& visible);

// The order after showing `column` found at display position `position`:
// it moves to min(visibleCount - 1, column), the entries between shift right.
std::vector<int> OrderAfterShowing(std::vector<int> order, int column, int position, int visibleCount);

} // namespace brx
