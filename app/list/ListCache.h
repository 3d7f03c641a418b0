// The capture list's text cache: the cell texts and row colours of the rows
// the list was last asked to prepare. The list fills it once per cache hint
// and answers every text and colour request while painting from it alone, so
// painting never reads the capture log.
//
// Cells are bump-allocated from 32 KB arenas and never freed one by one: the
// whole cache is released at once. Each cell goes into one of 128 buckets by
// (column + row * 8) & 0x7F; a row's colours live on its column-0 cell.
#pragma once
#include <cstddef>
#include <cstdint>

namespace brx {

// A COLORREF; kNoColor means none.
using LIST_COLOR = uint32_t;
constexpr LIST_COLOR kNoColor = 0xFFFFFFFFu;

constexpr uint32_t LIST_CACHE_ARENA_SIZE = 0x8000;
constexpr uint32_t LIST_CACHE_BUCKETS = 128;
// Texts of up to this many characters are kept whole; longer ones as empty cells.
constexpr uint32_t LIST_CACHE_MAX_TEXT = 259;
// Arena bytes of one cell besides its text.
constexpr uint32_t LIST_CACHE_ENTRY_SIZE = 152;

struct LIST_CACHE_ARENA;
struct LIST_CACHE_ENTRY;

class CListCache {
public:
    CListCache() = default;
    virtual ~CListCache();
    CListCache(const CListCache&) = delete;
    CListCache& operator=(const CListCache&) = delete;

    // Stores one cell (text may be null or empty). Dropped when memory runs out.
    void Add(int32_t row, int32_t column, const char16_t* text);
    // 1 when (row, column) is cached: its text is copied into dest (at most
    // size - 1 characters and a NUL; an empty cell writes nothing). 0 when it
    // is not cached: dest is left as it was. A size of 0 writes nothing.
    int Lookup(int32_t row, int32_t column, char16_t* dest, size_t size) const;

    LIST_COLOR GetRowBkColor(int32_t row) const;
    LIST_COLOR GetRowTextColor(int32_t row) const;
    // Kept on the row's column-0 cell: nothing happens without one, or for
    // kNoColor (any value with the top bit set).
    void SetRowBkColor(int32_t row, LIST_COLOR color);
    void SetRowTextColor(int32_t row, LIST_COLOR color);

    void Clear();
    // 1 when a new arena was added in front of the chain, 0 when memory ran out.
    int AddArena();

    // Arenas in the chain (for tests and measurements).
    uint32_t GetArenaCount() const;

protected:
    // The source of arena blocks (null: out of memory); tests replace it to
    // run out. Blocks are released with ::operator delete.
    virtual void* AllocateBlock(size_t size);

private:
    LIST_CACHE_ENTRY* FindEntry(int32_t row, int32_t column) const;

    LIST_CACHE_ARENA* arenas_ = nullptr;
    LIST_CACHE_ENTRY* buckets_[LIST_CACHE_BUCKETS] = {};
};

} // namespace brx
