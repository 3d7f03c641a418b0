// A static control that shows one picture (anything OleLoadPicture reads)
// from a memory block or a resource of the program. The picture is rendered
// once into a memory context, which painting copies.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "framework/ComPtr.h"
#include "framework/StdControls.h"

namespace brx {

class CPictureEx : public CStatic {
public:
    ~CPictureEx() override;

    // The caller keeps the block.
    BOOL LoadFromMemory(HGLOBAL block, DWORD size);
    BOOL LoadFromResource(const wchar_t* name, const wchar_t* type);
    BOOL RenderPicture();
    void FreePicture();

    bool IsLoaded() const { return m_bLoaded; }
    COLORREF GetBackgroundColor() const { return m_background; }
    SIZE GetPixelSize() const { return m_pixels; }
    SIZE GetHimetricSize() const { return m_himetric; }
    DWORD GetDataSize() const { return m_dataSize; }
    HDC GetMemoryDC() const { return m_hMemDC; }

protected:
    bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool PrepareMemoryDC();

    SIZE m_himetric{};
    SIZE m_pixels{};
    COLORREF m_background = 0xFFFFFF;
    DWORD m_dataSize = 0;
    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    CComPtr<IPicture> m_picture;
    bool m_bLoaded = false;
};

} // namespace brx
