#include "app/commands/CopyData.h"

#include <cstring>

namespace brx {

CopyDataCheck CheckCopyDataPath(bool hasStructure, uint64_t identifier, const void* data, uint64_t size,
                                std::u16string& path) {
    path.clear();
    if (!hasStructure || identifier != COPYDATA_OPEN_PATH) return CopyDataCheck::NotOurs;
    if (data == nullptr || size < 2 || size % 2 != 0) return CopyDataCheck::Refused;
    // Never look past the longest path and its NUL, whatever size says.
    const uint64_t chars = size / 2;
    const uint64_t scan = chars < MAX_COPYDATA_PATH + 1 ? chars : MAX_COPYDATA_PATH + 1;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint64_t i = 0; i < scan; ++i) {
        // The sender's buffer need not be aligned for char16_t.
        char16_t ch;
        std::memcpy(&ch, bytes + i * 2, 2);
        if (ch == 0) {
            if (i == 0) return CopyDataCheck::Refused;
            path.resize(static_cast<size_t>(i));
            std::memcpy(path.data(), bytes, static_cast<size_t>(i) * 2);
            return CopyDataCheck::Path;
        }
    }
    return CopyDataCheck::Refused;
}

} // namespace brx
