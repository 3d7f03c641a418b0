#include "app/panes/win/RawData.h"

#include <cwchar>

#include "app/panes/RecordData.h"
#include "app/res/panes_ids.h"
#include "capture/win/SettingsStore.h"

namespace brx {
namespace {

constexpr wchar_t kSection[] = L"RawData";
constexpr wchar_t kWidth[] = L"Width";
constexpr wchar_t kTextSize[] = L"TextSize";
constexpr wchar_t kLowercase[] = L"Lowercase";

constexpr uint32_t kDisplayParts = 0x23;  // address, hexadecimal and character parts
constexpr uint32_t kDisplayStyle = 13;    // separator lines and range selection
constexpr uint32_t kAllBits = 0xFFFFFFFFu;

struct TextSizeCommand {
    UINT id;
    uint32_t points;
};
constexpr TextSizeCommand kTextSizes[] = {
    {ID_RAW_TEXT_LARGEST, 14}, {ID_RAW_TEXT_LARGER, 12}, {ID_RAW_TEXT_MEDIUM, 11},
    {ID_RAW_TEXT_SMALLER, 10}, {ID_RAW_TEXT_SMALLEST, 9},
};
constexpr UINT kWidthCommands[] = {ID_RAW_WIDTH_FIT, ID_RAW_WIDTH_4, ID_RAW_WIDTH_8, ID_RAW_WIDTH_16};

} // namespace

RAW_DATA_SETTINGS SanitizeRawDataSettings(uint32_t width, uint32_t textSize, uint32_t lowercase) {
    RAW_DATA_SETTINGS s;
    if (width <= 3) s.width = width;
    for (const TextSizeCommand& t : kTextSizes)
        if (t.points == textSize) s.textSize = textSize;
    if (lowercase <= 1) s.lowercase = lowercase;
    return s;
}

int RawDataBytesPerLine(uint32_t width) {
    static constexpr int kPerLine[] = {0, 4, 8, 16};
    return width <= 3 ? kPerLine[width] : 0;
}

int RawDataFontHeight(int dotsPerInch, uint32_t textSize) {
    return -((dotsPerInch / 72) * static_cast<int>(textSize));
}

CRawData::CRawData() = default;

CRawData::~CRawData() {
    if (m_hWnd) DestroyWindow();
}

BOOL CRawData::Create(HWND parent, UINT id) {
    const BOOL created = CHexDumpCtrl::Create(RECT{}, parent, id, WS_CHILD | WS_VISIBLE, 0);
    if (created) {
        LoadSettings();
        ApplySettings();
    }
    return created;
}

void CRawData::Destroy() {
    SaveSettings();
    if (m_hWnd) DestroyWindow();
}

void CRawData::ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout) {
    const RECORD_DATA_BYTES data = GetRecordDataBytes(pair.record, layout);
    if (data.length) SetData(data.bytes, data.length, TRUE);
}

void CRawData::LoadSettings() {
    m_settings = SanitizeRawDataSettings(ReadAppRegDword(kSection, kWidth, 0), ReadAppRegDword(kSection, kTextSize, 11),
                                         ReadAppRegDword(kSection, kLowercase, 0));
}

void CRawData::SaveSettings() const {
    WriteAppRegDword(kSection, kWidth, m_settings.width);
    WriteAppRegDword(kSection, kTextSize, m_settings.textSize);
    WriteAppRegDword(kSection, kLowercase, m_settings.lowercase);
}

void CRawData::ApplySettings() {
    ModifyExtraStyle(0, kAllBits, TRUE);
    ModifyDisplayParts(kDisplayParts, kAllBits, TRUE);
    ModifyDisplayStyle(kDisplayStyle, kAllBits, TRUE);
    if (m_optionFlag) ModifyDisplayStyle(1, 0, TRUE);
    SetBytesPerLine(RawDataBytesPerLine(m_settings.width), TRUE);
    SetLowercaseHex(m_settings.lowercase ? TRUE : FALSE, TRUE);
    ApplyFont();
}

void CRawData::ApplyFont() {
    HDC dc = ::GetDC(m_hWnd);
    const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ::ReleaseDC(m_hWnd, dc);
    LOGFONTW font{};
    font.lfHeight = RawDataFontHeight(dpi, m_settings.textSize);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = FIXED_PITCH;
    wcsncpy(font.lfFaceName, m_faceName, LF_FACESIZE - 1);
    SetFont(font, TRUE);
}

bool CRawData::OnMenuCommand(UINT id) {
    for (uint32_t w = 0; w < 4; ++w) {
        if (kWidthCommands[w] != id) continue;
        m_settings.width = w;
        SetBytesPerLine(RawDataBytesPerLine(w), TRUE);
        return true;
    }
    for (const TextSizeCommand& t : kTextSizes) {
        if (t.id != id) continue;
        m_settings.textSize = t.points;
        ApplyFont();
        return true;
    }
    if (id == ID_RAW_LOWERCASE) {
        m_settings.lowercase = m_settings.lowercase ? 0 : 1;
        SetLowercaseHex(m_settings.lowercase ? TRUE : FALSE, TRUE);
        return true;
    }
    if (id == ID_RAW_COPY_ALL) {
        CopyToClipboard(FALSE);
        return true;
    }
    return false;
}

void CRawData::UpdateMenu(HMENU menu) const {
    ::CheckMenuRadioItem(menu, ID_RAW_WIDTH_FIT, ID_RAW_WIDTH_16, kWidthCommands[m_settings.width <= 3 ? m_settings.width : 0],
                         MF_BYCOMMAND);
    for (const TextSizeCommand& t : kTextSizes)
        if (t.points == m_settings.textSize)
            ::CheckMenuRadioItem(menu, ID_RAW_TEXT_SMALLEST, ID_RAW_TEXT_LARGEST, t.id, MF_BYCOMMAND);
    ::CheckMenuItem(menu, ID_RAW_LOWERCASE, MF_BYCOMMAND | (m_settings.lowercase ? MF_CHECKED : MF_UNCHECKED));
}

UINT CRawData::TrackMenu(HMENU menu, POINT screen) {
    return static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, screen.x,
                                              screen.y, 0, m_hWnd, nullptr));
}

void CRawData::OnContextMenu(POINT pt) {
    HMENU bar = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_RAW_DATA_POPUP));
    if (!bar) return;
    HMENU popup = ::GetSubMenu(bar, 0);
    if (popup) {
        if (pt.x == -1 && pt.y == -1) {
            pt = POINT{5, 5};
            ::ClientToScreen(m_hWnd, &pt);
        }
        UpdateMenu(popup);
        if (const UINT id = TrackMenu(popup, pt)) OnMenuCommand(id);
    }
    ::DestroyMenu(bar);
}

bool CRawData::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_CONTEXTMENU) {
        OnContextMenu(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        result = 0;
        return true;
    }
    // Ctrl+C is the key the menu shows for Copy All.
    if (msg == WM_KEYDOWN && wp == 'C' && ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) >= 0) {
        OnMenuCommand(ID_RAW_COPY_ALL);
        result = 0;
        return true;
    }
    return CHexDumpCtrl::OnWndMsg(msg, wp, lp, result);
}

} // namespace brx
