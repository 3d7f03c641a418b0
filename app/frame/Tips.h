// The tips of the Tip of the Day: a UTF-16 text (little endian, after a
// two-byte byte-order mark) with one tip per line; blank lines separate them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Text.h"

namespace brx {

// The tips of a resource's bytes: the first two bytes are skipped, a trailing
// odd byte is ignored, the text ends at its first NUL, and every non-empty
// piece between carriage returns and line feeds is a tip.
std::vector<WString> TipsFromResource(const uint8_t* bytes, size_t size);

} // namespace brx
