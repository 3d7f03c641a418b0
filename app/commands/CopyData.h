// The path another instance hands the main window (WM_COPYDATA with the
// identifier 100): UTF-16 text ending in a NUL. The bytes come from another
// process, so they are checked before anything reads them as text.
#pragma once
#include <cstdint>
#include <string>

namespace brx {

constexpr uint64_t COPYDATA_OPEN_PATH = 100;
// The longest path the system takes, in characters without the NUL.
constexpr uint32_t MAX_COPYDATA_PATH = 32767;

enum class CopyDataCheck {
    NotOurs,  // another identifier or no structure: the default handling
    Refused,  // ours, but the bytes are not a path: answer FALSE
    Path,     // a path to open
};

// data and size as the structure gives them. Refused unless the size is even
// and at least one character, a NUL lies inside the data, and the text
// before it is 1 to MAX_COPYDATA_PATH characters long.
CopyDataCheck CheckCopyDataPath(bool hasStructure, uint64_t identifier, const void* data, uint64_t size,
                                std::u16string& path);

} // namespace brx
