#include "toolkit/controls/HexDumpLayout.h"

#include <algorithm>

namespace brx {

namespace {

const char16_t* Digits(bool lowercase) { return lowercase ? u"0123456789abcdef" : u"0123456789ABCDEF"; }

// Right-aligned in `width` characters with blanks.
std::u16string RightAligned(uint32_t value, uint32_t base, int width) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % base));
        value /= base;
    } while (value);
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), u' ');
    return text;
}

int CellStride(const HEXDUMP_LAYOUT& l, int part) {
    return part == HEX_PART_CHARS ? l.charWidth + 1 : (kHexPartDigits[part] + 1) * l.charWidth;
}

int CellAreaLeft(const HEXDUMP_LAYOUT& l, int part) {
    return part == HEX_PART_CHARS ? l.parts[part].left + l.charWidth - 1 : l.parts[part].left + l.charWidth / 2;
}

} // namespace

std::u16string HexCellText(int part, uint8_t byte, bool lowercase) {
    switch (part) {
    case HEX_PART_HEX: return {Digits(lowercase)[byte >> 4], Digits(lowercase)[byte & 15]};
    case HEX_PART_DECIMAL: return RightAligned(byte, 10, 3);
    case HEX_PART_BINARY: {
        std::u16string text(8, u'0');
        for (int bit = 0; bit < 8; ++bit)
            if (byte & (0x80 >> bit)) text[static_cast<size_t>(bit)] = u'1';
        return text;
    }
    case HEX_PART_OCTAL: return RightAligned(byte, 8, 3);
    case HEX_PART_CHARS: {
        const bool control = byte < 0x20 || (byte >= 0x7F && byte < 0xA0);
        return std::u16string(1, control ? u'.' : static_cast<char16_t>(byte));
    }
    case HEX_PART_ADDRESS: return HexAddressText(byte, lowercase);
    }
    return {};
}

std::u16string HexAddressText(uint32_t cell, bool lowercase) {
    std::u16string text(8, u'0');
    for (int i = 7; i >= 0; --i, cell >>= 4) text[static_cast<size_t>(i)] = Digits(lowercase)[cell & 15];
    return text;
}

HEXDUMP_LAYOUT LayoutHexDump(const HEXDUMP_METRICS& m, uint32_t parts, uint32_t style, uint32_t valueBar,
                             int cellsPerLine) {
    HEXDUMP_LAYOUT l;
    const int s = m.charWidth, h = m.lineHeight;
    if (s <= 0 || h <= 0) return l;
    l.valid = true;
    l.charWidth = s;
    l.lineHeight = h;
    int top = 0;
    // 1. The value bar: items left to right, wrapped, too-wide ones left out.
    if (valueBar & 0x3F) {
        const int barLeft = s, barTop = h / 6;
        int x = barLeft, y = barTop;
        bool any = false;
        for (int i = 0; i < HEX_PART_COUNT; ++i) {
            if (!HexPartShown(valueBar, i)) continue;
            const int width = (kHexPartDigits[i] + 1 + 3) * s;
            if (barLeft + width > m.clientWidth) continue;
            if (x + width > m.clientWidth && x > barLeft) {
                x = barLeft;
                y += h;
            }
            const int valueWidth = (kHexPartDigits[i] + 2) * s;
            l.valueShown[i] = true;
            l.valueItems[i] = {x + width - valueWidth, y, x + width, y + h};
            l.valueLabels[i] = {x, y, x + width - valueWidth, y + h};
            x += width + s;
            any = true;
        }
        l.valueBar = {0, 0, m.clientWidth, (any ? y + h : barTop) + h / 6};
        top = l.valueBar.bottom;
    }
    // 2. The caption row.
    if (style & HEXDUMP_STYLE_CAPTION) {
        l.caption = {0, top, m.clientWidth, top + h};
        top += h;
    }
    l.dataTop = top;
    // 3. The parts.
    if (cellsPerLine > 0) {
        l.cellsPerLine = cellsPerLine;
    } else {
        int usable = m.clientWidth - m.scrollWidth;
        int cost = 0;
        if (HexPartShown(parts, HEX_PART_ADDRESS)) usable -= (8 + 2) * s;
        for (int i = HEX_PART_HEX; i <= HEX_PART_OCTAL; ++i) {
            if (!HexPartShown(parts, i)) continue;
            usable -= s;
            cost += (kHexPartDigits[i] + 1) * s;
        }
        if (HexPartShown(parts, HEX_PART_CHARS)) {
            usable -= 2 * s - 1;
            cost += s + 1;
        }
        l.cellsPerLine = cost > 0 ? std::max(1, usable / cost) : 1;
    }
    const int n = l.cellsPerLine;
    int x = 0;
    for (int i = 0; i < HEX_PART_COUNT; ++i) {
        if (!HexPartShown(parts, i)) continue;
        int width = 0;
        if (i == HEX_PART_ADDRESS)
            width = (8 + 2) * s;
        else if (i == HEX_PART_CHARS)
            width = (n + 2) * s + n;
        else
            width = ((kHexPartDigits[i] + 1) * n + 1) * s;
        l.parts[i] = {x, top, x + width, std::max(top, m.clientHeight)};
        x += width;
    }
    // 4. Whole lines in the client height less h/4.
    const int lines = std::max(0, (m.clientHeight - h / 4) / h);
    l.cellsPerPage = lines * n;
    return l;
}

HexRect HexCellRect(const HEXDUMP_LAYOUT& l, int part, int row, int column) {
    if (!l.valid || part <= HEX_PART_ADDRESS || part >= HEX_PART_COUNT) return {};
    const int top = l.parts[part].top + l.lineHeight / 4 + row * l.lineHeight;
    const int left = CellAreaLeft(l, part) + column * CellStride(l, part);
    const int width = part == HEX_PART_CHARS ? l.charWidth + 2 : CellStride(l, part);
    return {left, top, left + width, top + l.lineHeight};
}

bool HexHitTest(const HEXDUMP_LAYOUT& l, uint32_t parts, int x, int y, size_t firstVisible, size_t count,
                int* part, size_t* cell) {
    if (!l.valid || l.valueBar.Contains(x, y)) return false;
    for (int i = HEX_PART_HEX; i < HEX_PART_COUNT; ++i) {
        if (!HexPartShown(parts, i) || !l.parts[i].Contains(x, y)) continue;
        const int dy = y - l.parts[i].top - l.lineHeight / 4;
        const int dx = x - CellAreaLeft(l, i);
        if (dy < 0 || dx < 0) return false;
        const int column = dx / CellStride(l, i);
        if (column >= l.cellsPerLine) return false;
        const size_t at =
            firstVisible + static_cast<size_t>(dy / l.lineHeight) * static_cast<size_t>(l.cellsPerLine) +
            static_cast<size_t>(column);
        if (at >= count) return false;
        *part = i;
        *cell = at;
        return true;
    }
    return false;
}

HEXDUMP_MOVE HexKeyMove(HexKey key, size_t c, size_t n, size_t p, size_t count) {
    if (n == 0) n = 1;
    // Targets in a signed range wide enough for any cell index plus a page.
    const long long cell = static_cast<long long>(c), line = static_cast<long long>(n),
                    page = static_cast<long long>(p), last = static_cast<long long>(count) - 1;
    long long target = cell;
    switch (key) {
    case HexKey::Home: target = cell - cell % line; break;
    case HexKey::End: target = std::min(cell - cell % line + line - 1, last); break;
    case HexKey::CtrlHome: target = 0; break;
    case HexKey::CtrlEnd: target = last; break;
    case HexKey::Left: target = cell - 1; break;
    case HexKey::Right: target = cell + 1; break;
    case HexKey::Up: target = cell - line; break;
    case HexKey::Down: target = cell + line; break;
    case HexKey::PageUp:
        target = cell - page;
        if (target < 0) target = cell % line;
        break;
    case HexKey::PageDown: target = cell + page; break;
    }
    if (target < 0) return {false, true, 0};
    if (target > last) {
        const bool onLastLine = cell / line == last / line;
        if (onLastLine) return {false, false, c};
        return {false, true, static_cast<size_t>(last)};
    }
    return {true, true, static_cast<size_t>(target)};
}

size_t HexScrollIntoView(size_t cell, size_t firstVisible, size_t n, size_t p) {
    if (n == 0) return firstVisible;
    const size_t line = cell - cell % n;
    if (line < firstVisible) return line;
    const size_t lines = std::max<size_t>(1, p / n);
    if (line >= firstVisible + lines * n) return line - (lines - 1) * n;
    return firstVisible;
}

size_t HexClampFirstVisible(size_t firstVisible, size_t n, size_t p, size_t count) {
    if (n == 0) return 0;
    const size_t lines = count / n + (count % n != 0);
    const size_t pageLines = p / n;
    const size_t lastFirstLine = lines > pageLines ? lines - pageLines : 0;
    return std::min(firstVisible / n, lastFirstLine) * n;
}

std::u16string HexClipboardText(const uint8_t* data, size_t length, size_t n, uint32_t parts, bool lowercase) {
    std::u16string text;
    if (!data || length == 0 || n == 0) return text;
    for (size_t start = 0; start < length; start += n) {
        text += HexAddressText(static_cast<uint32_t>(start), lowercase);
        text += u"  ";
        for (int part = HEX_PART_HEX; part < HEX_PART_COUNT; ++part) {
            if (!HexPartShown(parts, part)) continue;
            const size_t digits = static_cast<size_t>(kHexPartDigits[part]);
            const bool number = part == HEX_PART_DECIMAL || part == HEX_PART_OCTAL;
            for (size_t i = start; i < start + n; ++i) {
                if (i >= length) {
                    text.append(digits + (number ? 2 : 1), u' ');
                    continue;
                }
                if (number) text += u' ';
                text += HexCellText(part, data[i], lowercase);
                text += u' ';
            }
            text += u' ';
        }
        text += u"\r\n";
    }
    return text;
}

} // namespace brx
