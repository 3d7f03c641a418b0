// The "Raw Data" pane: a hex dump of the data bytes of the selected request,
// with its context menu and four persistent display settings (registry
// section "RawData").
#pragma once
#include <windows.h>

#include "capture/Record.h"
#include "capture/RecordView.h"
#include "toolkit/controls/win/HexDumpCtrl.h"

namespace brx {

constexpr UINT ID_RAW_DATA_PANE = 40040;

struct RAW_DATA_SETTINGS {
    uint32_t width = 0;      // 0 fit to window, 1 four, 2 eight, 3 sixteen bytes a line
    uint32_t textSize = 11;  // points: 9, 10, 11, 12 or 14
    uint32_t lowercase = 0;
};
// Stored values outside their range read as the defaults.
RAW_DATA_SETTINGS SanitizeRawDataSettings(uint32_t width, uint32_t textSize, uint32_t lowercase);
// Bytes per line of a Width setting.
int RawDataBytesPerLine(uint32_t width);
// The font height of a text size at a screen resolution (whole points per
// dot first, so 96 and 120 dpi give -size, 144 gives -2 x size).
int RawDataFontHeight(int dotsPerInch, uint32_t textSize);

class CRawData : public CHexDumpCtrl {
public:
    CRawData();
    ~CRawData() override;

    BOOL Create(HWND parent, UINT id);
    // Saves the settings, then destroys the window.
    void Destroy();

    // Shows the data bytes of the pair's record; leaves the pane as it is
    // when the record has none (the caller empties it first).
    void ShowRecord(const CRecordPairView& pair, const RECORD_LAYOUT& layout);
    void Clear() { SetData(nullptr, 0, TRUE); }

    void LoadSettings();
    void SaveSettings() const;
    void ApplySettings();
    void ApplyFont();
    const RAW_DATA_SETTINGS& GetSettings() const { return m_settings; }
    // Carries out one of the context menu's commands; false for another id.
    bool OnMenuCommand(UINT id);

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // Shows the menu and returns the chosen command (0 for none).
    virtual UINT TrackMenu(HMENU menu, POINT screen);

private:
    void OnContextMenu(POINT pt);
    void UpdateMenu(HMENU menu) const;

    wchar_t m_faceName[32] = L"Courier New";
    uint32_t m_optionFlag = 1;
    RAW_DATA_SETTINGS m_settings;
};

} // namespace brx
