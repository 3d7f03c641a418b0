// The picture control with a bitmap made in memory, and the off-screen
// drawing context.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "tests/framework/TestApp.h"
#include "tests/toolkit/TestHostWnd.h"
#include "toolkit/controls/win/MemDC.h"
#include "toolkit/controls/win/PictureEx.h"

using namespace brx;
using namespace brx::test;

namespace {

// A 24-bit bitmap file, width x height, of one colour (blue, green, red).
std::vector<uint8_t> BitmapFile(int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<uint8_t> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bytes.data() + file.bfOffBits + y * stride + x * 3;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    return bytes;
}

HGLOBAL Block(const std::vector<uint8_t>& bytes) {
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
    ::GlobalUnlock(block);
    return block;
}

TEST(PictureEx, LoadsRendersAndFreesABitmap) {
    CTestHostWnd* host = SharedHost(CRect(60, 60, 360, 260));
    ASSERT_NE(host->m_hWnd, nullptr);
    CPictureEx picture;
    ASSERT_TRUE(picture.Create(L"", WS_VISIBLE | SS_BITMAP, CRect(10, 10, 20, 20), *host, 1110));
    // Before any load nothing renders.
    EXPECT_FALSE(picture.RenderPicture());
    EXPECT_EQ(picture.GetBackgroundColor(), 0xFFFFFFu);
    EXPECT_FALSE(picture.LoadFromResource(L"NO_SUCH_PICTURE", RT_RCDATA));

    const std::vector<uint8_t> bmp = BitmapFile(40, 20, 0, 0, 200);
    HGLOBAL block = Block(bmp);
    ASSERT_TRUE(picture.LoadFromMemory(block, static_cast<DWORD>(bmp.size())));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(picture.GetDataSize(), bmp.size());
    EXPECT_EQ(picture.GetPixelSize().cx, 40);
    EXPECT_EQ(picture.GetPixelSize().cy, 20);
    EXPECT_EQ(picture.GetClientRect().Width(), 40);  // the control takes the picture's size
    EXPECT_EQ(picture.GetBackgroundColor(), ::GetSysColor(COLOR_BTNFACE));
    ASSERT_TRUE(picture.RenderPicture());
    EXPECT_EQ(::GetPixel(picture.GetMemoryDC(), 5, 5), RGB(200, 0, 0));
    // The caller still owns the block.
    EXPECT_NE(::GlobalSize(block), 0u);
    ::GlobalFree(block);

    picture.FreePicture();
    EXPECT_FALSE(picture.IsLoaded());
    EXPECT_EQ(picture.GetBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(picture.GetDataSize(), 0u);
    EXPECT_FALSE(picture.RenderPicture());
    // Bytes that are no picture fail and leave it empty.
    const std::vector<uint8_t> junk(64, 0x5A);
    HGLOBAL bad = Block(junk);
    EXPECT_FALSE(picture.LoadFromMemory(bad, static_cast<DWORD>(junk.size())));
    EXPECT_FALSE(picture.IsLoaded());
    ::GlobalFree(bad);
}

TEST(MemDC, DrawsOffScreenAndCopiesAtTheEnd) {
    HDC screen = ::GetDC(nullptr);
    HDC target = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 50, 50);
    HGDIOBJ old = ::SelectObject(target, bitmap);
    RECT all{0, 0, 50, 50};
    ::FillRect(target, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    {
        RECT area{10, 10, 40, 40};
        CMemDC dc(target, &area);
        EXPECT_TRUE(dc.IsMemory());
        RECT inner{20, 20, 30, 30};
        dc.FillSolidRect(inner, RGB(0, 0, 255));
        EXPECT_EQ(::GetPixel(target, 25, 25), RGB(255, 255, 255));  // not yet
    }
    EXPECT_EQ(::GetPixel(target, 25, 25), RGB(0, 0, 255));
    EXPECT_EQ(::GetPixel(target, 5, 5), RGB(255, 255, 255));  // outside the area
    ::SelectObject(target, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(target);
    ::ReleaseDC(nullptr, screen);
}

} // namespace
