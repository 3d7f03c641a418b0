#include "decode/CodeNames.h"

namespace brx {

const char* LookupCodeName(uint32_t code, std::span<const CODE_NAME> table) {
    for (const CODE_NAME& row : table) {
        if (row.code == code) return row.name;
    }
    return nullptr;
}

const char* LookupIndexedName(uint32_t index, const BIT_NAMES& table) {
    return index < table.names.size() ? table.names[index] : nullptr;
}

} // namespace brx
