#include "capture/Product.h"

namespace brx {

const char* GetVersionText() { return "2.2 "; }
const char* GetVersionBuildText() { return "2.2 Build 100"; }
const char16_t* GetProductNameW() { return u"Brindlex"; }
const char* GetProductNameA() { return "Brindlex"; }
const char16_t* GetFrameTitleW() { return u"Brindlex"; }
const char* GetWindowClassNameA() { return "Brindlex"; }

} // namespace brx
