// The display record of one plotted line and the stock colours; the settings
// persist them and the results draw with them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kora {

// Colours are 32-bit values 0x00BBGGRR.
using Colour = uint32_t;

// The shape drawn at each data point of a line; styles 4..6 draw circles
// when no other shape is chosen.
enum class Marker : int8_t { None, Circle, Square, Triangle, Cross };
inline constexpr int8_t kMarkerCount = 5;

struct LineStyle {
    bool visible = true;
    Colour colour = 0;
    int32_t style = 1; // 1..3 solid line of that width, 4..6 markers
    Marker marker = Marker::None;
};

inline constexpr size_t kStockColourCount = 18;
using StockColourTable = std::array<Colour, kStockColourCount>;

// The initial stock colours of plot lines (0x00BBGGRR).
inline constexpr StockColourTable kDefaultStockColours{
    0x000000, 0x0000FF, 0x800000, 0x008000, 0x808000, 0xFFFF00, 0x00FFFF, 0xFF0000, 0x000080,
    0x808080, 0x008080, 0x800080, 0x808080, 0xC0C0C0, 0xFF00FF, 0xFFFFFF, 0x00FF00, 0x000000};

} // namespace kora
