// What the bars decide without windows: the Windows version class they all
// read, the saved rebar band records and how a restore applies them, the
// option header of a saved toolbar, which toolbar buttons get tooltips, and
// where a status pane's control goes. Pure: the window code converts at its
// edge.
#pragma once
#include <cstddef>
#include <cstdint>
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

} // namespace brx
