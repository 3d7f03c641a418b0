// The full table of class decoders for the data-analysis pages: what the
// pages' entry points put into DECODE_CONTEXT::classDecoders. A class decoder
// registers by filling its row here (protocols/ClassDecoders.cpp); a row with
// null decoders shows its descriptors as unrecognized and its requests as the
// plain setup table.
#pragma once
#include "decode/ClassDecoders.h"

namespace brx {

extern const CLASS_DECODERS kClassDecoders;

} // namespace brx
