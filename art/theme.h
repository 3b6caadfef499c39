// The look shared by every picture: the palette of the dark theme and the
// controls drawn in their three looks (normal, hover, pressed). A window's
// three pictures are the same drawing made once per look, so that every
// button cut from them shows its hover or pressed face at its own place.
#pragma once

#include "canvas.h"

#include <string>

namespace q730x::art {

enum class Look { Normal, Hover, Pressed };

namespace palette {
constexpr Rgb kBase = Colour(13, 15, 18);        // window background
constexpr Rgb kBaseLow = Colour(9, 10, 12);      // bottom of the background gradient
constexpr Rgb kPanel = Colour(20, 23, 28);       // raised panels
constexpr Rgb kPanelHigh = Colour(27, 31, 37);
constexpr Rgb kWell = Colour(7, 8, 10);          // sunken fields and lists
constexpr Rgb kLine = Colour(40, 45, 53);        // hairlines and borders
constexpr Rgb kLineSoft = Colour(29, 33, 39);
constexpr Rgb kAccent = Colour(23, 148, 195);    // the product blue
constexpr Rgb kAccentDeep = Colour(12, 92, 125);
constexpr Rgb kAccentGlow = Colour(64, 184, 228);
constexpr Rgb kMuted = Colour(83, 92, 107);      // quiet labels
constexpr Rgb kLegend = Colour(178, 186, 197);   // key legends and glyphs
constexpr Rgb kBright = Colour(236, 240, 245);
constexpr Rgb kDanger = Colour(196, 52, 64);
}  // namespace palette

// Background of a skinned window: a soft vertical gradient with a hairline frame.
void DrawWindowBackground(const Canvas& c, Box area, double radius = 0);
// A caption strip with the product mark on the left; texts drawn by the program go on it.
void DrawCaptionStrip(const Canvas& c, Box area);
void DrawPanel(const Canvas& c, Box area, double radius = 6);

void DrawPushButton(const Canvas& c, Box b, Look look, double radius = 4);
void DrawAccentButton(const Canvas& c, Box b, Look look, double radius = 4);
void DrawCloseButton(const Canvas& c, Box b, Look look);
void DrawMinimiseButton(const Canvas& c, Box b, Look look);
// A check box square drawn at the left of `b`, vertically centred; `checked`
// pictures (the pressed look) show the tick.
void DrawCheckBox(const Canvas& c, Box square, Look look);
void DrawRadio(const Canvas& c, Box square, Look look);
void DrawField(const Canvas& c, Box b, Look look);
void DrawTab(const Canvas& c, Box b, Look look);
// A small glyph button (a square tool button with a vector glyph drawn by `glyph`).
void DrawToolButton(const Canvas& c, Box b, Look look);
Rgb GlyphColour(Look look);

void DrawPlus(const Canvas& c, Box b, Rgb colour);
void DrawMinus(const Canvas& c, Box b, Rgb colour);

// The product mark: a stylised "K" in a rounded square.
void DrawMark(const Canvas& c, Box b);

}  // namespace q730x::art
