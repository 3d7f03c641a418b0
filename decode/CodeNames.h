// Code-to-name tables: the row shapes every name table uses and the lookups
// over them. Most codes have two names, chosen by a form flag: the symbolic
// identifier as the Windows Driver Kit or the USB class specification spells
// it (NAME_SYMBOLIC), and a readable text (NAME_FRIENDLY). Every lookup returns
// a constant text or null for an unknown code, and never allocates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace brx {

enum : int {
    NAME_SYMBOLIC = 0,
    NAME_FRIENDLY = 1,
};

struct CODE_NAME {
    uint32_t code;
    const char* name;
};

// Texts by index (a bit number or a small enumeration value); an entry may be null.
struct BIT_NAMES {
    std::span<const char* const> names;
};

// Linear search; the first row with the code wins. Rows need not be sorted.
const char* LookupCodeName(uint32_t code, std::span<const CODE_NAME> table);

// The entry at index, or null when index is past the end.
const char* LookupIndexedName(uint32_t index, const BIT_NAMES& table);

// The symbolic table for form 0, the friendly one for any other form.
inline const char* LookupCodeNamePair(uint32_t code, int form, std::span<const CODE_NAME> symbolic,
                                      std::span<const CODE_NAME> friendly) {
    return LookupCodeName(code, form == NAME_SYMBOLIC ? symbolic : friendly);
}

// The entry at index of a fixed list of texts (null past the end).
template <size_t N>
const char* IndexedText(uint32_t index, const char* const (&texts)[N]) {
    return index < N ? texts[index] : nullptr;
}

// A name from a list whose friendly half follows its symbolic half: the
// symbolic entry at index, the friendly one N/2 entries later.
template <size_t N>
const char* HalvedName(uint32_t index, int form, const char* const (&texts)[N]) {
    static_assert(N % 2 == 0);
    if (index >= N / 2) return nullptr;
    return texts[form == NAME_SYMBOLIC ? index : index + N / 2];
}

} // namespace brx
