// The system's code-page conversions behind the pure conversion seam
// (capture/CodePages.h): each call forwards to the system call of its name.
#pragma once
#include "capture/CodePages.h"

namespace brx {

ICodePages& SystemCodePages();

} // namespace brx
