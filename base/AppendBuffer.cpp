#include "base/AppendBuffer.h"

#include "base/Format.h"

namespace brx {

bool AppendBuffer::append(const void* bytes, size_t n) {
    if (n > left()) {
        overflowed_ = true;
        return false;
    }
    buf_.append(static_cast<const char*>(bytes), n);
    return true;
}

bool AppendBuffer::vappendf(const char* fmt, va_list args) {
    std::string s = StrFormatV(fmt, args);
    return append(s);
}

bool AppendBuffer::appendf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool ok = vappendf(fmt, args);
    va_end(args);
    return ok;
}

} // namespace brx
