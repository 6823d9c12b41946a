// The places of a drawn plot that the mouse can act on, in device pixels.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kora {

// A rectangle in device pixels; empty when right <= left or bottom <= top.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

// What a drawing leaves for the mouse handling of the pane: the label areas
// that edit an axis limit (0..5), a phase variable (6..8), the plot title (9)
// or the time plot's Y title (10).
struct PlotHotSpots {
    static constexpr size_t kCount = 11;
    static constexpr size_t kRangeSpots = 6;
    static constexpr size_t kPlotTitleSpot = 9;
    static constexpr size_t kYTitleSpot = 10;

    int32_t labelHeight = 0;
    int32_t labelMargin = 3;
    std::array<PixelRect, kCount> areas{};
    std::array<size_t, kRangeSpots> rangeIndex{}; // into ResultsSet::ranges
};

} // namespace kora
