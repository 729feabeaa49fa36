#include "keys/keytable.h"

#include <QLocale>

namespace {

// Tooltips are the program's own Turkish texts, written without diacritics as
// they always have been.
constexpr const char* MemoryTooltip = "Sag Click memo sifirla";
constexpr const char* TaxTooltip = "sag click ile vergi orani girin.";
constexpr const char* QuitTooltip = "Cift click ile kapat";

const std::array<KeySpec, KeyCount> Table = {{
    {0, "0", {180, 3360, 495, 375}, ""},
    {1, "1", {180, 2900, 495, 375}, ""},
    {2, "2", {775, 2900, 495, 375}, ""},
    {3, "3", {1380, 2900, 495, 375}, ""},
    {4, "4", {180, 2440, 495, 375}, ""},
    {5, "5", {775, 2440, 495, 375}, ""},
    {6, "6", {1380, 2440, 495, 375}, ""},
    {7, "7", {180, 1980, 495, 375}, ""},
    {8, "8", {775, 1980, 495, 375}, ""},
    {9, "9", {1380, 1980, 495, 375}, ""},
    {10, "\u00B7", {775, 3360, 495, 375}, ""},
    {11, "=", {1380, 3360, 495, 375}, ""},
    {12, "+", {1990, 2900, 495, 820}, ""},
    {13, "\u2212", {1990, 2440, 495, 375}, ""},
    {14, "\u00D7", {1990, 1980, 495, 375}, ""},
    {15, "\u00F7", {1990, 1600, 495, 240}, ""},
    {16, "%", {1380, 1600, 495, 240}, ""},
    {17, "R\u00B7CM", {180, 1220, 360, 240}, MemoryTooltip},
    {18, "M\u2212", {620, 1220, 360, 240}, ""},
    {19, "M+", {1070, 1220, 360, 240}, ""},
    {20, "CA", {1500, 1220, 360, 240}, ""},
    {21, "+TAX", {180, 1600, 495, 240}, TaxTooltip},
    {22, "\u2212TAX", {775, 1600, 495, 240}, TaxTooltip},
    {23, "C\u00B7CE", {1990, 1220, 495, 240}, QuitTooltip},
}};

} // namespace

const std::array<KeySpec, KeyCount>& keyTable() { return Table; }

QString keyAccessibleName(int index)
{
    if (index == Key::DecimalPoint)
        return QLocale().decimalPoint();
    if (index < 0 || index >= KeyCount)
        return {};
    return QString::fromUtf8(Table[static_cast<size_t>(index)].legend);
}
