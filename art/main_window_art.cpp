// The main window: caption with the product mark, minimise and hide buttons,
// and the two page buttons (keyboard and macros) above the pages.
#include <cmath>

#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

void DrawNavButton(const Canvas& c, Box b, Look look) {
  if (look == Look::Hover) c.FillRounded(b, 5, Colour(30, 37, 46));
  if (look == Look::Pressed) c.FillRoundedGradient(b, 5, kAccent, kAccentDeep);
  if (look != Look::Normal) c.StrokeRounded(b, 5, look == Look::Hover ? kAccent : kAccentGlow);
}

void DrawKeyboardGlyph(const Canvas& c, Box b, Rgb g) {
  Box body{b.CentreX() - 10, b.CentreY() - 6, b.CentreX() + 10, b.CentreY() + 7};
  c.StrokeRounded(body, 2, g, 1.4);
  for (int row = 0; row < 2; ++row)
    for (int i = 0; i < 5; ++i)
      c.FillRect({body.left + 3 + i * 3.2, body.top + 3 + row * 3, body.left + 5 + i * 3.2,
                  body.top + 5 + row * 3},
                 g);
  c.FillRect({body.left + 5, body.bottom - 4, body.right - 5, body.bottom - 2.5}, g);
}

void DrawMacroGlyph(const Canvas& c, Box b, Rgb g) {
  // A record dot inside a ring: recording a sequence of keys.
  cairo_t* cr = c.cr();
  double cx = b.CentreX(), cy = b.CentreY();
  cairo_arc(cr, cx, cy, 8.5, 0, 2 * M_PI);
  c.SetColour(g);
  cairo_set_line_width(cr, 1.4);
  cairo_stroke(cr);
  cairo_arc(cr, cx, cy, 4, 0, 2 * M_PI);
  cairo_fill(cr);
}

}  // namespace

void DrawMainWindow(const Canvas& c, Look look) {
  DrawWindowBackground(c, {0, 0, 822, 544}, 10);
  DrawCaptionStrip(c, {1, 1, 821, 40});
  DrawMark(c, {14, 9, 36, 31});
  c.Text("KAVEX", {46, 8, 140, 32}, 15, kBright, Canvas::Align::Left, true);
  double w = c.TextWidth("KAVEX", 15, true);
  c.Text("Q730X", {50 + w, 8, 260, 32}, 15, kAccent, Canvas::Align::Left, false);
  c.Text("GAMING KEYBOARD", {58 + w + c.TextWidth("Q730X", 15), 9, 400, 32}, 8, kMuted,
         Canvas::Align::Left);
  DrawMinimiseButton(c, {761, 2, 788, 32}, look);
  DrawCloseButton(c, {789, 2, 819, 32}, look);

  // Page bar: the two page buttons on the left.
  c.FillRect({1, 40, 821, 96}, Colour(15, 17, 21));
  c.Line(1, 95.5, 821, 95.5, kLineSoft);
  DrawNavButton(c, {48, 58, 79, 90}, look);
  DrawNavButton(c, {94, 58, 120, 90}, look);
  DrawKeyboardGlyph(c, {48, 58, 79, 90}, GlyphColour(look));
  DrawMacroGlyph(c, {94, 58, 120, 90}, GlyphColour(look));
  c.Line(86.5, 62, 86.5, 86, kLine);
  c.KeyCorners(10, true, true);
}

}  // namespace q730x::art
