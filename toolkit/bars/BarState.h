// What the bars decide without windows: the Windows version class they all
// read, the saved rebar band records and how a restore applies them, the
// option header of a saved toolbar, which toolbar buttons get tooltips, and
// where a status pane's control goes. Pure: the window code converts at its
// edge.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/pure/BarLayout.h"

namespace brx {

// The running Windows version as the version class needs it.
struct OsVersion {
    bool nt = true;
    uint32_t major = 0;
    uint32_t minor = 0;
};

// 0 not NT, 4 NT below 5; from 5 on only the minor version decides: 0 gives
// 5, 1 gives 6, 2 or more give 7 (so 6.0 is 5 and 6.1 is 6).
int VersionClassOf(const OsVersion& version);

// The menu effects the user chose, as the system reports them (0 off).
// Each effect counts only while the UI effects as a whole are on.
struct MenuEffectSettings {
    uint32_t menuAnimation = 0;
    uint32_t keyboardCues = 0;
    uint32_t menuFade = 0;
    uint32_t uiEffects = 0;
    uint32_t flatMenu = 0;
    bool MenuAnimation() const { return uiEffects && menuAnimation; }
    bool KeyboardCues() const { return uiEffects && keyboardCues; }
    bool MenuFade() const { return uiEffects && menuFade; }
    bool FlatMenu() const { return uiEffects && flatMenu; }
};

// The mnemonic of a menu text: the character after the first "&" that is not
// part of a doubled "&&" (which shows one ampersand); 0 when there is none.
char16_t MenuMnemonic(const std::u16string& text);

// One saved band: style, width and id as the rebar reports them; 12 bytes,
// little endian, in band order.
struct RebarBandRecord {
    uint32_t style = 0;
    uint32_t cx = 0;
    uint32_t id = 0;
    bool operator==(const RebarBandRecord&) const = default;
};
inline constexpr size_t kRebarRecordBytes = 12;
inline constexpr uint32_t kBandBreak = 0x0001;  // RBBS_BREAK
inline constexpr uint32_t kBandHidden = 0x0008; // RBBS_HIDDEN

std::vector<uint8_t> EncodeRebarState(const std::vector<RebarBandRecord>& records);
// Whole records only: a trailing partial record is ignored.
std::vector<RebarBandRecord> DecodeRebarState(const uint8_t* data, size_t size);

// One step of a restore: move the band with `id` to `position`, give it the
// width and the style (its current style without break and hidden, ORed with
// the saved one).
struct RebarRestoreStep {
    int position = 0;
    uint32_t id = 0;
    uint32_t cx = 0;
    uint32_t style = 0;
    bool operator==(const RebarRestoreStep&) const = default;
};
// Records are matched to the current bands by id: a record whose band no
// longer exists is skipped (it never changes another band), and positions
// without a record keep their band. `currentStyles` follows `currentIds`.
std::vector<RebarRestoreStep> PlanRebarRestore(const std::vector<uint32_t>& currentIds,
                                               const std::vector<uint32_t>& currentStyles,
                                               const std::vector<RebarBandRecord>& records);
// The band order the steps give, applied one move after the other as the
// rebar control does (for checking a plan).
std::vector<uint32_t> ApplyRebarMoves(std::vector<uint32_t> ids, const std::vector<RebarRestoreStep>& steps);

// Toolbar text options: 0 text under every button, 1 selective text on the
// right, 2 no text. Icon options: 0 small (16x16), 1 large (24x24).
inline constexpr int kTextOptionCount = 3;
inline constexpr int kIconOptionCount = 2;
int ClampTextOption(int32_t option);
int ClampIconOption(int32_t option);

// The 8 option bytes in front of a saved toolbar's button records.
struct ToolbarOptionsHeader {
    bool present = false; // false: the block is too short, keep everything
    int textOption = 0;
    int iconOption = 0;
};
inline constexpr size_t kToolbarOptionBytes = 8;
ToolbarOptionsHeader DecodeToolbarOptions(const uint8_t* data, size_t size);
void EncodeToolbarOptions(int textOption, int iconOption, uint8_t out[kToolbarOptionBytes]);
// The number of button records after the option bytes (0 for a short block).
size_t ToolbarRecordCount(size_t size, size_t recordBytes);
// The saved button records a restore keeps, as their indices in saved order.
// Each record starts with the button's command id (little endian). A record
// is kept when it names one of the bar's buttons not kept before, or when it
// is a separator (the top bit set, or the id of one of the bar's separators)
// while fewer separators than the bar has records were kept. So a block of
// stale or repeated records never gives the control more buttons to insert
// than the bar can show.
inline constexpr uint32_t kSavedSeparatorBit = 0x80000000u;
std::vector<size_t> ToolbarRecordsToRestore(const uint8_t* records, size_t count, size_t recordBytes,
                                            const std::vector<uint32_t>& buttonIds,
                                            const std::vector<uint32_t>& separatorIds);

// Whether a button gets a tooltip: option 0 never (its text is on it), option
// 1 only when it shows no text, option 2 always, no option yet never.
bool ToolbarButtonHasTip(int textOption, bool hasText);

// Where a control placed in a status pane goes: the pane's rectangle, the
// last pane stretched to the client's right edge (less the size grip) or
// ended at its width, then shrunk by the edge unless the pane has no borders.
struct StatusControlPane {
    LayoutRect rect;   // the pane's rectangle as the control reports it
    bool last = false;
    bool stretch = false;
    bool noBorders = false;
    int32_t width = 0; // the pane's width
};
LayoutRect StatusControlRect(const StatusControlPane& pane, int32_t clientRight, bool sizeGrip, int32_t edge,
                             int32_t smallIcon);

// Where a popup of a given size opens for a point, as a menu does: aligned
// to the point, moved inside the desktop (back from the right and bottom
// edges first, then from the left and top), and, when it then covers the
// excluded rectangle, moved beside it: below or above it (vertical), else
// right or left of it, on the side that fits on the desktop, the smaller move
// when both fit, below or right when neither does.
enum class PopupAlign { Start, Centre, End };
enum class PopupSide { None, Below, Above, Right, Left };
struct PopupRequest {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    PopupAlign horizontal = PopupAlign::Start;
    PopupAlign vertical = PopupAlign::Start;
    bool besideVertically = true; // TPM_VERTICAL: below or above the excluded rectangle
    LayoutRect desktop;
    LayoutRect excluded;
};
struct PopupPlacement {
    LayoutRect rect;
    PopupSide side = PopupSide::None; // where it went to avoid the excluded rectangle
    bool operator==(const PopupPlacement&) const = default;
};
PopupPlacement PlacePopup(const PopupRequest& request);

// One item of the customize dialog's button lists: its data carries the
// button record in the high word and the image in the low word; a negative
// value or a record past the end is a separator.
struct CustomizeListItem {
    bool separator = true;
    int record = -1;
    int image = -1;
};
CustomizeListItem DecodeCustomizeItem(int64_t data, size_t recordCount);

// Whether the item data of the customize dialog's current-buttons list has
// that form: one item per toolbar button in order plus the end, each button's
// item naming a record with the button's command (0: separator). The common
// controls of some systems keep their own pointers there instead; the dialog
// then draws its lists itself.
bool CustomizeListMatchesToolbar(const std::vector<int64_t>& itemData, const std::vector<int32_t>& toolbarCommands,
                                 const std::vector<int32_t>& recordCommands);

// The parts of a customize list item: the image cell at the left, the text
// 5 pixels right of the cell up to 2 pixels before the right edge, and the
// highlight from 1 pixel right of the cell.
struct CustomizeItemRects {
    LayoutRect cell;
    LayoutRect text;
    LayoutRect highlight;
};
CustomizeItemRects CustomizeItemLayout(const LayoutRect& item, int32_t cellWidth);
// The image cell of the lists: the toolbar's image size plus 6 each way.
inline int32_t CustomizeCellSize(int iconOption) { return iconOption == 1 ? 30 : 22; }

} // namespace brx
