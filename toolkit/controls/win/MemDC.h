// An off-screen drawing context for one paint: draw into it with the
// target's coordinates; its destruction copies the area to the target in one
// BitBlt. On a printer it draws straight to the target.
#pragma once
#include <windows.h>

#include "framework/Gdi.h"

namespace brx {

class CMemDC : public CDC {
public:
    // area null: the target's clip box.
    explicit CMemDC(HDC target, const RECT* area = nullptr);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    bool IsMemory() const { return m_bMemory; }
    const CRect& GetRect() const { return m_rect; }

private:
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    HDC m_hTarget;
    CRect m_rect;
    bool m_bMemory = false;
};

} // namespace brx
