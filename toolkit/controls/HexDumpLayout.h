// The arithmetic of the hex dump: cell texts, the placement of the value bar,
// the caption row and the parts, cell rectangles, hit tests, keyboard targets
// and the clipboard text. No window is needed: the control feeds in its font
// metrics and client size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace brx {

// Parts by index; bit (1 << index) in the parts and value-bar words.
enum HexPart : int {
    HEX_PART_ADDRESS = 0,
    HEX_PART_HEX = 1,
    HEX_PART_DECIMAL = 2,
    HEX_PART_BINARY = 3,
    HEX_PART_OCTAL = 4,
    HEX_PART_CHARS = 5,
    HEX_PART_COUNT = 6,
};

inline constexpr int kHexPartDigits[HEX_PART_COUNT] = {8, 2, 3, 8, 3, 1};
inline constexpr char16_t kHexPartLabels[HEX_PART_COUNT] = {u'a', u'h', u'd', u'b', u'o', u'a'};

// Style word bits.
enum : uint32_t {
    HEXDUMP_STYLE_SEPARATORS = 0x01,
    HEXDUMP_STYLE_CAPTION = 0x02,
    HEXDUMP_STYLE_RANGE = 0x08,
    HEXDUMP_STYLE_HOVER = 0x20,
};
constexpr uint32_t kHexDefaultStyle = 0x29;
constexpr uint32_t kHexDefaultValueBar = 0x0F;
constexpr uint32_t kHexDefaultParts = 0x23;

inline bool HexPartShown(uint32_t parts, int part) { return (parts >> part) & 1u; }

// A cell's text without the blanks around it. The characters part shows
// bytes that are no printable character (C0 and C1 controls, DEL) as '.'.
std::u16string HexCellText(int part, uint8_t byte, bool lowercase);
std::u16string HexAddressText(uint32_t cell, bool lowercase);

struct HexRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct HEXDUMP_METRICS {
    int charWidth;     // average character width of the font
    int lineHeight;    // text height x 1.2
    int clientWidth;
    int clientHeight;
    int scrollWidth;   // width of a vertical scroll bar
};

struct HEXDUMP_LAYOUT {
    bool valid = false;  // false for a font without metrics: nothing is drawn
    int charWidth = 0;
    int lineHeight = 0;
    HexRect valueBar;    // empty when the value-bar word has no bits
    HexRect valueItems[HEX_PART_COUNT];  // the item's value area
    HexRect valueLabels[HEX_PART_COUNT];
    bool valueShown[HEX_PART_COUNT] = {};
    HexRect caption;     // empty without the caption row
    HexRect parts[HEX_PART_COUNT];  // empty for parts not shown
    int dataTop = 0;
    int cellsPerLine = 1;
    int cellsPerPage = 0;
};

// cellsPerLine 0 fits the cells to the width.
HEXDUMP_LAYOUT LayoutHexDump(const HEXDUMP_METRICS& m, uint32_t parts, uint32_t style, uint32_t valueBar,
                             int cellsPerLine);

// The cell at row r and column c from the first visible cell, in a part.
HexRect HexCellRect(const HEXDUMP_LAYOUT& layout, int part, int row, int column);

// The part and cell under a point; false for none (the address part, the
// value bar, outside the cells, at or beyond the cell count).
bool HexHitTest(const HEXDUMP_LAYOUT& layout, uint32_t parts, int x, int y, size_t firstVisible, size_t count,
                int* part, size_t* cell);

// Keys the control moves on.
enum class HexKey { Home, End, CtrlHome, CtrlEnd, Left, Right, Up, Down, PageUp, PageDown };

struct HEXDUMP_MOVE {
    bool select;         // the target becomes the single selected cell
    bool scroll;         // scroll `scrollTo` into view
    size_t scrollTo;     // a cell
};

// From the selection start c with n cells per line and p per page over
// count cells (count > 0).
HEXDUMP_MOVE HexKeyMove(HexKey key, size_t c, size_t n, size_t p, size_t count);

// The first visible cell that brings a cell into view: its line at the top
// when above the view, as the last whole line when below it.
size_t HexScrollIntoView(size_t cell, size_t firstVisible, size_t n, size_t p);

// The first visible cell after the line width or the page changed (a resize):
// the line start of the cell that was first, moved up so that no whole page
// of room is left below the data, as far as the scroll bar's range goes
// (lines beyond the first page). n cells per line, p cells per page.
size_t HexClampFirstVisible(size_t firstVisible, size_t n, size_t p, size_t count);

// The clipboard text of the whole data: lines ending "\r\n", no terminator.
std::u16string HexClipboardText(const uint8_t* data, size_t length, size_t cellsPerLine, uint32_t parts,
                                bool lowercase);

} // namespace brx
