#include "app/list/ListCache.h"

#include <cstring>
#include <new>

namespace brx {

struct LIST_CACHE_ARENA {
    LIST_CACHE_ARENA* next; // the older arena
    void* base;             // the block itself
    uint32_t size;
    uint8_t* free;          // where the next cell goes
    uint32_t left;          // bytes left from free
};

struct LIST_CACHE_ENTRY {
    LIST_CACHE_ENTRY* next; // in the same bucket
    int32_t row;
    int32_t column;
    LIST_COLOR background;
    LIST_COLOR textColor;
    uint32_t length;        // characters, 0 to LIST_CACHE_MAX_TEXT

    char16_t* Text() { return reinterpret_cast<char16_t*>(this + 1); }
    const char16_t* Text() const { return reinterpret_cast<const char16_t*>(this + 1); }
};

namespace {

static_assert(sizeof(LIST_CACHE_ENTRY) <= LIST_CACHE_ENTRY_SIZE);
constexpr uint32_t kAlign = alignof(LIST_CACHE_ENTRY) > alignof(LIST_CACHE_ARENA) ? alignof(LIST_CACHE_ENTRY)
                                                                                   : alignof(LIST_CACHE_ARENA);
constexpr uint32_t RoundUp(uint32_t n) { return (n + kAlign - 1) & ~(kAlign - 1); }
constexpr uint32_t kArenaHeader = RoundUp(sizeof(LIST_CACHE_ARENA));

uint32_t Bucket(int32_t row, int32_t column) {
    return (static_cast<uint32_t>(column) + static_cast<uint32_t>(row) * 8u) & (LIST_CACHE_BUCKETS - 1);
}

// Characters before the terminator, looking at no more than 260; a text
// without a terminator there is taken as empty.
uint32_t CountText(const char16_t* text) {
    if (!text) return 0;
    for (uint32_t n = 0; n <= LIST_CACHE_MAX_TEXT; ++n) {
        if (text[n] == 0) return n;
    }
    return 0;
}

} // namespace

CListCache::~CListCache() { Clear(); }

void* CListCache::AllocateBlock(size_t size) { return ::operator new(size, std::nothrow); }

int CListCache::AddArena() {
    void* block = AllocateBlock(LIST_CACHE_ARENA_SIZE);
    if (!block) return 0;
    auto* arena = static_cast<LIST_CACHE_ARENA*>(block);
    arena->next = arenas_;
    arena->base = block;
    arena->size = LIST_CACHE_ARENA_SIZE;
    arena->free = static_cast<uint8_t*>(block) + kArenaHeader;
    arena->left = LIST_CACHE_ARENA_SIZE - kArenaHeader;
    arenas_ = arena;
    return 1;
}

void CListCache::Add(int32_t row, int32_t column, const char16_t* text) {
    const uint32_t length = CountText(text);
    const uint32_t needed = RoundUp(LIST_CACHE_ENTRY_SIZE + (length ? 2 * length + 2 : 0));
    if ((!arenas_ || arenas_->left < needed) && !AddArena()) return;

    auto* entry = reinterpret_cast<LIST_CACHE_ENTRY*>(arenas_->free);
    entry->row = row;
    entry->column = column;
    entry->background = kNoColor;
    entry->textColor = kNoColor;
    entry->length = length;
    if (length) {
        std::memcpy(entry->Text(), text, 2 * static_cast<size_t>(length));
        entry->Text()[length] = 0;
    }
    arenas_->free += needed;
    arenas_->left -= needed;

    LIST_CACHE_ENTRY*& head = buckets_[Bucket(row, column)];
    entry->next = head;
    head = entry;
}

LIST_CACHE_ENTRY* CListCache::FindEntry(int32_t row, int32_t column) const {
    for (LIST_CACHE_ENTRY* e = buckets_[Bucket(row, column)]; e; e = e->next) {
        if (e->row == row && e->column == column) return e;
    }
    return nullptr;
}

int CListCache::Lookup(int32_t row, int32_t column, char16_t* dest, size_t size) const {
    const LIST_CACHE_ENTRY* e = FindEntry(row, column);
    if (!e) return 0;
    if (e->length == 0 || !dest || size == 0) return 1;
    const size_t n = e->length < size - 1 ? e->length : size - 1;
    std::memcpy(dest, e->Text(), 2 * n);
    dest[n] = 0;
    return 1;
}

LIST_COLOR CListCache::GetRowBkColor(int32_t row) const {
    const LIST_CACHE_ENTRY* e = FindEntry(row, 0);
    return e ? e->background : kNoColor;
}

LIST_COLOR CListCache::GetRowTextColor(int32_t row) const {
    const LIST_CACHE_ENTRY* e = FindEntry(row, 0);
    return e ? e->textColor : kNoColor;
}

void CListCache::SetRowBkColor(int32_t row, LIST_COLOR color) {
    if (static_cast<int32_t>(color) < 0) return;
    if (LIST_CACHE_ENTRY* e = FindEntry(row, 0)) e->background = color;
}

void CListCache::SetRowTextColor(int32_t row, LIST_COLOR color) {
    if (static_cast<int32_t>(color) < 0) return;
    if (LIST_CACHE_ENTRY* e = FindEntry(row, 0)) e->textColor = color;
}

void CListCache::Clear() {
    for (LIST_CACHE_ENTRY*& head : buckets_) head = nullptr;
    while (arenas_) {
        LIST_CACHE_ARENA* next = arenas_->next;
        ::operator delete(arenas_->base);
        arenas_ = next;
    }
}

uint32_t CListCache::GetArenaCount() const {
    uint32_t n = 0;
    for (const LIST_CACHE_ARENA* a = arenas_; a; a = a->next) ++n;
    return n;
}

} // namespace brx
