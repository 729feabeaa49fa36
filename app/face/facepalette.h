#pragma once

#include <QRgb>

// Colours of the calculator picture. Each key family has a face that runs from
// faceTop to faceBottom, a darker front skirt below it and a thin outline.
namespace FacePalette {

struct KeyColours {
    QRgb faceTop;
    QRgb faceBottom;
    QRgb skirt;
    QRgb outline;
    QRgb legend;
};

// Digits and the decimal point: ivory white.
inline constexpr KeyColours DigitKey{0xfff9f9f6, 0xffe3e4e0, 0xffbcbfc3, 0xff5f656c, 0xff24282d};
// Operators, memory keys and CA: light silver.
inline constexpr KeyColours FunctionKey{0xffe9ecef, 0xffcfd4d9, 0xffa9afb6, 0xff5f656c, 0xff24282d};
// C·CE: red with a white legend.
inline constexpr KeyColours RedKey{0xffe24a3f, 0xffc03026, 0xff8a1d16, 0xff5e1410, 0xffffffff};
// +TAX and −TAX: teal with a white legend.
inline constexpr KeyColours TealKey{0xff23a5a2, 0xff15817e, 0xff0d5957, 0xff073d3c, 0xffffffff};

inline constexpr QRgb BackdropTop = 0xffeef0f2;
inline constexpr QRgb BackdropBottom = 0xffdfe2e6;
inline constexpr QRgb BodyTop = 0xffbfc4ca;
inline constexpr QRgb BodyBottom = 0xffa3a9b0;
inline constexpr QRgb BodyOutline = 0xff6e747b;
inline constexpr QRgb KeyWell = 0xff959ba2;
inline constexpr QRgb BezelTop = 0xff5a6067;
inline constexpr QRgb BezelBottom = 0xff3f444a;
inline constexpr QRgb PanelTop = 0xffa4aaa3;
inline constexpr QRgb PanelBottom = 0xff939a93;
inline constexpr QRgb Print = 0xff33383e;
inline constexpr QRgb SolarCell = 0xff3b3431;

} // namespace FacePalette
