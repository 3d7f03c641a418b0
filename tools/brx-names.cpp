// Answers name look-ups from standard input, one per line: a table name and a
// code (decimal or 0x hexadecimal); prints the table, the code in decimal and
// the name (empty when there is none), tab-separated. Tables: urb, usbd,
// langid, vendor. Used by tools/check_names_tshark.py.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decode/UsbNames.h"
#include "decode/VendorNames.h"
#include "decode/WindowsNames.h"

using namespace brx;

namespace {

const char* Lookup(const char* table, uint32_t code) {
    if (std::strcmp(table, "urb") == 0) return UrbFunctionName(code, NAME_SYMBOLIC);
    if (std::strcmp(table, "usbd") == 0) return UsbdStatusName(code, NAME_SYMBOLIC);
    if (std::strcmp(table, "langid") == 0) return code <= 0xFFFF ? LangIdName(static_cast<uint16_t>(code)) : nullptr;
    if (std::strcmp(table, "vendor") == 0) return code <= 0xFFFF ? VendorName(static_cast<uint16_t>(code)) : nullptr;
    return nullptr;
}

} // namespace

int main() {
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        char table[32];
        char number[32];
        if (std::sscanf(line, "%31s %31s", table, number) != 2) continue;
        const uint32_t code = static_cast<uint32_t>(std::strtoul(number, nullptr, 0));
        const char* name = Lookup(table, code);
        std::printf("%s\t%u\t%s\n", table, code, name ? name : "");
    }
    return 0;
}
