#pragma once

#include <QRectF>
#include <QString>

#include <array>

// One key of the calculator face. The table below drives the hotspots, the
// drawing of the face and the tests, so that all three agree by construction.
struct KeySpec {
    int index;
    const char* legend;  // as printed on the face, UTF-8
    QRectF rect;         // hotspot in twips, relative to Picture1
    const char* tooltip; // empty when the key has none
};

inline constexpr int KeyCount = 24;

const std::array<KeySpec, KeyCount>& keyTable();

// The name a screen reader announces: the legend, except that the decimal-point
// key is named by the regional decimal separator.
QString keyAccessibleName(int index);

// Mouse buttons as key presses know them.
namespace Button {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
} // namespace Button

// Key indices named in the code.
namespace Key {
inline constexpr int DecimalPoint = 10;
inline constexpr int Equals = 11;
inline constexpr int Plus = 12;
inline constexpr int Minus = 13;
inline constexpr int Times = 14;
inline constexpr int Divide = 15;
inline constexpr int Percent = 16;
inline constexpr int MemoryStore = 17;
inline constexpr int MemorySubtract = 18;
inline constexpr int MemoryAdd = 19;
inline constexpr int ClearAll = 20;
inline constexpr int AddTax = 21;
inline constexpr int RemoveTax = 22;
inline constexpr int ClearEntryAndTape = 23;
} // namespace Key
