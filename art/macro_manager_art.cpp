// The macro manager page: the macro and step lists with their tool buttons,
// the record and play settings panel, and the on-screen mouse.
#include <cmath>

#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

void DrawListFrame(const Canvas& c, Box list) {
  Box frame = list.Inset(-2);
  c.FillRounded(frame, 4, Colour(0, 0, 0));
  c.StrokeRounded(frame, 4, kLine);
}

void DrawPencil(const Canvas& c, Box b, Rgb g) {
  double cx = b.CentreX(), cy = b.CentreY();
  c.Line(cx - 5, cy + 5, cx + 4, cy - 4, g, 2.2);
  c.Line(cx - 6, cy + 6, cx - 4.5, cy + 4.5, g, 1.2);
}

void DrawInsertGlyph(const Canvas& c, Box b, Rgb g) {
  // An arrow into a line: insert before the selected step.
  double cx = std::round(b.CentreX()), cy = std::round(b.CentreY());
  c.FillRect({cx - 6, cy + 4, cx + 6, cy + 5.5}, g);
  c.FillRect({cx - 0.75, cy - 6, cx + 0.75, cy + 1}, g);
  cairo_t* cr = c.cr();
  c.SetColour(g);
  cairo_move_to(cr, cx - 3.5, cy - 1);
  cairo_line_to(cr, cx + 3.5, cy - 1);
  cairo_line_to(cr, cx, cy + 2.5);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void DrawMouse(const Canvas& c, Look look) {
  cairo_t* cr = c.cr();
  // Body below the three buttons.
  Box body{617, 296, 718, 410};
  c.FillRoundedGradient(body, 40, Colour(30, 34, 40), Colour(17, 19, 23));
  c.StrokeRounded(body, 40, Colour(52, 58, 68));
  auto button = [&](Box b, double rl, double rr) {
    // Rounded only on the outer top corner, like the real shell.
    cairo_new_sub_path(cr);
    cairo_move_to(cr, b.left, b.bottom);
    cairo_line_to(cr, b.left, b.top + rl);
    if (rl > 0) cairo_arc(cr, b.left + rl, b.top + rl, rl, M_PI, 3 * M_PI / 2);
    cairo_line_to(cr, b.right - rr, b.top);
    if (rr > 0) cairo_arc(cr, b.right - rr, b.top + rr, rr, -M_PI / 2, 0);
    cairo_line_to(cr, b.right, b.bottom);
    cairo_close_path(cr);
    if (look == Look::Pressed) {
      c.SetColour(kAccent);
    } else if (look == Look::Hover) {
      c.SetColour(Colour(40, 52, 64));
    } else {
      c.SetColour(Colour(26, 29, 35));
    }
    cairo_fill_preserve(cr);
    c.SetColour(look == Look::Normal ? Colour(52, 58, 68) : kAccentGlow);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  };
  button({622.5, 300.5, 651.5, 348.5}, 22, 0);
  button({683.5, 300.5, 712.5, 348.5}, 0, 22);
  button({657.5, 300.5, 677.5, 347.5}, 4, 4);
  // Wheel in the middle button.
  c.FillRounded({664, 312, 671, 330}, 3.5, look == Look::Normal ? kMuted : kBright);
}

}  // namespace

void DrawMacroManager(const Canvas& c, Look look) {
  DrawWindowBackground(c, {0, -20, 822, 458}, 10);
  Rgb g = GlyphColour(look);

  // Left: macro list and step list with their tool buttons.
  DrawPanel(c, {84, 12, 542, 338}, 8);
  DrawListFrame(c, {97, 43, 308, 289});
  DrawListFrame(c, {317, 43, 528, 289});
  c.Line(97, 41.5 - 3, 308, 41.5 - 3, kAccent, 1, 0.5);
  c.Line(317, 41.5 - 3, 528, 41.5 - 3, kAccent, 1, 0.5);
  Box tools[5] = {{97, 302, 123, 327}, {124, 302, 150, 327}, {317, 302, 343, 327},
                  {344, 302, 370, 327}, {371, 302, 398, 327}};
  for (Box t : tools) DrawToolButton(c, t, look);
  DrawPlus(c, tools[0], g);
  DrawMinus(c, tools[1], g);
  DrawInsertGlyph(c, tools[2], g);
  DrawMinus(c, tools[3], g);
  DrawPencil(c, tools[4], g);

  // Right: recording and play settings.
  DrawPanel(c, {550, 12, 790, 280}, 8);
  DrawAccentButton(c, {563, 43, 688, 70}, look, 5);
  // A red record dot at the left of the record button.
  cairo_arc(c.cr(), 575, 56.5, 4, 0, 2 * M_PI);
  c.SetColour(look == Look::Pressed ? kBright : kDanger);
  cairo_fill(c.cr());
  DrawCheckBox(c, {563, 83, 576, 96}, look);
  c.Line(563, 106.5, 778, 106.5, kLineSoft);
  DrawRadio(c, {563, 116, 578, 130}, look);
  DrawRadio(c, {563, 136, 578, 151}, look);
  DrawRadio(c, {563, 158, 578, 172}, look);
  DrawField(c, {681, 115, 721, 131}, Look::Normal);
  c.Line(563, 180.5, 778, 180.5, kLineSoft);
  // Insert options and the value field with its OK button (under their covers).
  DrawCheckBox(c, {564, 193, 578, 206}, look);
  DrawCheckBox(c, {564, 213, 578, 226}, look);
  DrawField(c, {583, 243, 669, 263}, Look::Normal);
  DrawPushButton(c, {672, 237, 724, 263}, look, 4);

  DrawMouse(c, look);
  c.KeyCorners(10, false, true);
}

}  // namespace q730x::art
