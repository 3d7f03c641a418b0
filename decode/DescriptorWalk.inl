// The descriptor walk shared by the set and group walkers (included by
// decode/StandardDescriptors.h).
#pragma once
#include <cstdio>

namespace brx {

template <class Visit>
bool WalkDescriptors(DECODE_CONTEXT& ctx, std::span<const uint8_t> set, size_t from, size_t declaredEnd, Visit visit) {
    const size_t end = declaredEnd < set.size() ? declaredEnd : set.size();
    size_t at = from;
    char reason[96];
    while (at < end) {
        if (ctx.full()) return false;
        const size_t left = end - at;
        const std::span<const uint8_t> rest = set.subspan(at, left);
        const size_t length = rest[0];
        if (left >= 2 && length >= 2 && length <= left) {
            const size_t used = visit(ctx, rest, at);
            if (used == 0 || used > left) break;
            at += used;
            continue;
        }
        // The last bytes are no whole descriptor: cut short by the bytes held,
        // or malformed (bLength below 2, or running past the set's end).
        const char* name = "Malformed descriptor";
        if (left < 2) {
            std::snprintf(reason, sizeof reason, "%u byte%s left, no whole descriptor header",
                          static_cast<unsigned>(left), left == 1 ? "" : "s");
            if (end < declaredEnd) name = "Cut short";
        } else if (length < 2) {
            std::snprintf(reason, sizeof reason, "bLength %u is below 2: the walk stops here",
                          static_cast<unsigned>(length));
        } else if (at + length <= declaredEnd) {
            name = "Cut short";
            std::snprintf(reason, sizeof reason, "%u of its %u bytes held", static_cast<unsigned>(left),
                          static_cast<unsigned>(length));
        } else {
            std::snprintf(reason, sizeof reason, "bLength %u runs past the end of the set (%u bytes left)",
                          static_cast<unsigned>(length), static_cast<unsigned>(left));
        }
        WriteWalkStop(ctx, static_cast<uint32_t>(at), rest, name, reason);
        return !ctx.full();
    }
    if (at >= end && end < declaredEnd && !ctx.full()) {
        std::snprintf(reason, sizeof reason, "%u of its %u bytes held", static_cast<unsigned>(end),
                      static_cast<unsigned>(declaredEnd));
        WriteWalkStop(ctx, static_cast<uint32_t>(end), {}, "Set cut short", reason);
    }
    return !ctx.full();
}

} // namespace brx
