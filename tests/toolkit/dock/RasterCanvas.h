// A canvas that paints fills and lines into a pixel array and records text
// and icon calls, so that the dock theme's drawing is checked pixel by pixel
// without a device context.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/dock/DockPaint.h"

namespace brx::test {

class RasterCanvas : public DockCanvas {
public:
    static constexpr uint32_t kUnpainted = 0xFF000000;

    struct TextCall {
        DockFont font;
        std::u16string text;
        DockRect rect;
        uint32_t color;
    };
    struct IconCall {
        const void* icon;
        int32_t x;
        int32_t y;
    };

    RasterCanvas(int32_t width, int32_t height)
        : width_(width), height_(height), pixels_(size_t(width) * size_t(height), kUnpainted) {}

    uint32_t At(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_ ? pixels_[size_t(y) * size_t(width_) + size_t(x)]
                                                             : kUnpainted;
    }
    // How many pixels of the rectangle have the colour.
    int Count(const DockRect& r, uint32_t color) const {
        int n = 0;
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x) n += At(x, y) == color;
        return n;
    }

    void FillSolid(const DockRect& rc, uint32_t color) override {
        for (int32_t y = rc.top; y < rc.bottom; ++y)
            for (int32_t x = rc.left; x < rc.right; ++x) Set(x, y, color);
    }
    // Steps one pixel at a time along the larger axis, the last point left out.
    void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) override {
        const int32_t dx = x2 - x1;
        const int32_t dy = y2 - y1;
        const int32_t steps = std::abs(dx) > std::abs(dy) ? std::abs(dx) : std::abs(dy);
        for (int32_t i = 0; i < steps; ++i) Set(x1 + dx * i / steps, y1 + dy * i / steps, color);
    }
    void Text(DockFont font, const char16_t* text, const DockRect& rc, uint32_t color) override {
        texts.push_back(TextCall{font, text ? text : u"", rc, color});
    }
    void Icon(const void* icon, int32_t x, int32_t y) override { icons.push_back(IconCall{icon, x, y}); }

    std::vector<TextCall> texts;
    std::vector<IconCall> icons;

private:
    void Set(int32_t x, int32_t y, uint32_t color) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * size_t(width_) + size_t(x)] = color;
    }
    int32_t width_;
    int32_t height_;
    std::vector<uint32_t> pixels_;
};

} // namespace brx::test
