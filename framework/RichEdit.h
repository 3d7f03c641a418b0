// Thin wrapper of the rich edit 2.0 control ("RichEdit20W", from riched20.dll,
// which LoadRichEdit loads once). One-line messages; nothing cached.
#pragma once
#include <windows.h>
#include <richedit.h>

#include "framework/Wnd.h"

namespace brx {

class CRichEditCtrl : public CWnd {
public:
    // Loads the control's library (once per process); false when it is missing.
    static bool LoadRichEdit();
    BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
        if (!LoadRichEdit()) return FALSE;
        return CreateEx(0, RICHEDIT_CLASSW, nullptr, style | WS_CHILD, rect, parent, id);
    }
    DWORD GetEventMask() const { return static_cast<DWORD>(SendMessage(EM_GETEVENTMASK)); }
    DWORD SetEventMask(DWORD mask) {
        return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask)));
    }
    // format: SF_RTF or SF_TEXT (with SF_UNICODE, SFF_SELECTION).
    long StreamIn(int format, EDITSTREAM& stream) {
        return static_cast<long>(
            SendMessage(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&stream)));
    }
    long StreamOut(int format, EDITSTREAM& stream) {
        return static_cast<long>(
            SendMessage(EM_STREAMOUT, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&stream)));
    }
    COLORREF SetBackgroundColor(BOOL systemColor, COLORREF color) {
        return static_cast<COLORREF>(
            SendMessage(EM_SETBKGNDCOLOR, static_cast<WPARAM>(systemColor), static_cast<LPARAM>(color)));
    }
    BOOL SetDefaultCharFormat(CHARFORMAT2W& format) {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
    }
    BOOL SetSelectionCharFormat(CHARFORMAT2W& format) {
        format.cbSize = sizeof(format);
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    long GetTextLength() const { return static_cast<long>(::GetWindowTextLengthW(m_hWnd)); }
    void HideSelection(BOOL hide, BOOL permanent) {
        SendMessage(EM_HIDESELECTION, static_cast<WPARAM>(hide), permanent);
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly)));
    }
    void SetSel(long start, long end) {
        CHARRANGE range{start, end};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void GetSel(long& start, long& end) const {
        CHARRANGE range{};
        SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        start = range.cpMin;
        end = range.cpMax;
    }
    long LineFromChar(long index) const { return static_cast<long>(SendMessage(EM_EXLINEFROMCHAR, 0, index)); }
    int LineIndex(int line = -1) const {
        return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line)));
    }
    void LineScroll(int lines, int chars = 0) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }
    UINT SetOptions(WORD operation, DWORD flags) {
        return static_cast<UINT>(SendMessage(EM_SETOPTIONS, operation, static_cast<LPARAM>(flags)));
    }
    BOOL SetTargetDevice(HDC dc, long lineWidth) {
        return static_cast<BOOL>(SendMessage(EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(dc), lineWidth));
    }
};

} // namespace brx
