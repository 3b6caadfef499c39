#include "theme.h"

#include <cmath>

namespace q730x::art {

using namespace palette;

void DrawWindowBackground(const Canvas& c, Box area, double radius) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, area.top, 0, area.bottom);
  cairo_pattern_add_color_stop_rgb(p, 0, 0.067, 0.075, 0.09);
  cairo_pattern_add_color_stop_rgb(p, 1, kBaseLow.r, kBaseLow.g, kBaseLow.b);
  if (radius > 0)
    c.RoundedPath(area, radius);
  else
    cairo_rectangle(c.cr(), area.left, area.top, area.Width(), area.Height());
  cairo_set_source(c.cr(), p);
  cairo_fill(c.cr());
  cairo_pattern_destroy(p);
  if (radius > 0)
    c.StrokeRounded(area, radius, kLine);
  else
    c.StrokeRounded(area, 0, kLine);
}

void DrawMark(const Canvas& c, Box b) {
  c.FillRoundedGradient(b, b.Width() * 0.22, kAccentGlow, kAccentDeep);
  cairo_t* cr = c.cr();
  double x = b.left, y = b.top, w = b.Width(), h = b.Height();
  c.SetColour(kBright);
  cairo_set_line_width(cr, w * 0.13);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr, x + w * 0.33, y + h * 0.24);
  cairo_line_to(cr, x + w * 0.33, y + h * 0.76);
  cairo_stroke(cr);
  cairo_move_to(cr, x + w * 0.70, y + h * 0.24);
  cairo_line_to(cr, x + w * 0.40, y + h * 0.52);
  cairo_line_to(cr, x + w * 0.72, y + h * 0.76);
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void DrawCaptionStrip(const Canvas& c, Box area) {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, area.top, 0, area.bottom);
  cairo_pattern_add_color_stop_rgb(p, 0, kPanelHigh.r, kPanelHigh.g, kPanelHigh.b);
  cairo_pattern_add_color_stop_rgb(p, 1, kPanel.r, kPanel.g, kPanel.b);
  cairo_rectangle(c.cr(), area.left, area.top, area.Width(), area.Height());
  cairo_set_source(c.cr(), p);
  cairo_fill(c.cr());
  cairo_pattern_destroy(p);
  c.Line(area.left, area.bottom - 0.5, area.right, area.bottom - 0.5, kLine);
  // A short accent underline under the caption text gives the strip its colour.
  c.Line(area.left, area.bottom - 0.5, area.left + 90, area.bottom - 0.5, kAccent, 1.0);
}

void DrawPanel(const Canvas& c, Box area, double radius) {
  c.FillRounded(area, radius, kPanel);
  c.StrokeRounded(area, radius, kLineSoft);
}

void DrawPushButton(const Canvas& c, Box b, Look look, double radius) {
  switch (look) {
    case Look::Normal:
      c.FillRoundedGradient(b, radius, kPanelHigh, kPanel);
      c.StrokeRounded(b, radius, kLine);
      break;
    case Look::Hover:
      c.FillRoundedGradient(b, radius, Colour(36, 44, 54), Colour(25, 31, 39));
      c.StrokeRounded(b, radius, kAccent, 1.0, 0.9);
      break;
    case Look::Pressed:
      c.FillRoundedGradient(b, radius, kAccent, kAccentDeep);
      c.StrokeRounded(b, radius, kAccentGlow);
      break;
  }
}

void DrawAccentButton(const Canvas& c, Box b, Look look, double radius) {
  switch (look) {
    case Look::Normal:
      c.FillRoundedGradient(b, radius, Colour(22, 44, 56), Colour(15, 30, 39));
      c.StrokeRounded(b, radius, kAccentDeep);
      break;
    case Look::Hover:
      c.FillRoundedGradient(b, radius, Colour(27, 104, 138), Colour(16, 66, 89));
      c.StrokeRounded(b, radius, kAccentGlow);
      break;
    case Look::Pressed:
      c.FillRoundedGradient(b, radius, kAccent, kAccentDeep);
      c.StrokeRounded(b, radius, kBright, 1.0, 0.7);
      break;
  }
}

Rgb GlyphColour(Look look) {
  switch (look) {
    case Look::Normal: return Colour(120, 129, 143);
    case Look::Hover: return Colour(210, 216, 224);
    case Look::Pressed: return kBright;
  }
  return kLegend;
}

void DrawCloseButton(const Canvas& c, Box b, Look look) {
  Box face = b.Inset(3);
  if (look == Look::Hover) c.FillRounded(face, 4, kDanger, 0.85);
  if (look == Look::Pressed) c.FillRounded(face, 4, Colour(150, 34, 46));
  double s = std::fmin(face.Width(), face.Height()) * 0.22;
  double cx = std::round(face.CentreX()), cy = std::round(face.CentreY());
  Rgb g = GlyphColour(look);
  cairo_set_line_cap(c.cr(), CAIRO_LINE_CAP_ROUND);
  c.Line(cx - s, cy - s, cx + s, cy + s, g, 1.6);
  c.Line(cx + s, cy - s, cx - s, cy + s, g, 1.6);
  cairo_set_line_cap(c.cr(), CAIRO_LINE_CAP_BUTT);
}

void DrawMinimiseButton(const Canvas& c, Box b, Look look) {
  Box face = b.Inset(3);
  if (look == Look::Hover) c.FillRounded(face, 4, Colour(44, 52, 62));
  if (look == Look::Pressed) c.FillRounded(face, 4, kAccentDeep);
  double s = std::fmin(face.Width(), face.Height()) * 0.22;
  double cx = std::round(face.CentreX()), cy = std::round(face.CentreY()) + 0.5;
  c.Line(cx - s, cy + s * 0.6, cx + s, cy + s * 0.6, GlyphColour(look), 1.6);
}

void DrawCheckBox(const Canvas& c, Box sq, Look look) {
  switch (look) {
    case Look::Normal:
      c.FillRounded(sq, 2.5, kWell);
      c.StrokeRounded(sq, 2.5, Colour(60, 67, 78));
      break;
    case Look::Hover:
      c.FillRounded(sq, 2.5, Colour(14, 20, 26));
      c.StrokeRounded(sq, 2.5, kAccent);
      break;
    case Look::Pressed: {
      c.FillRoundedGradient(sq, 2.5, kAccentGlow, kAccent);
      cairo_t* cr = c.cr();
      double w = sq.Width(), h = sq.Height();
      c.SetColour(kBright);
      cairo_set_line_width(cr, std::fmax(1.5, w * 0.14));
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_move_to(cr, sq.left + w * 0.24, sq.top + h * 0.52);
      cairo_line_to(cr, sq.left + w * 0.43, sq.top + h * 0.72);
      cairo_line_to(cr, sq.left + w * 0.78, sq.top + h * 0.30);
      cairo_stroke(cr);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
      break;
    }
  }
}

void DrawRadio(const Canvas& c, Box sq, Look look) {
  cairo_t* cr = c.cr();
  double r = std::fmin(sq.Width(), sq.Height()) / 2 - 0.5;
  double cx = sq.CentreX(), cy = sq.CentreY();
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  c.SetColour(look == Look::Hover ? Colour(14, 20, 26) : kWell);
  cairo_fill_preserve(cr);
  c.SetColour(look == Look::Normal ? Colour(60, 67, 78) : kAccent);
  cairo_set_line_width(cr, 1.2);
  cairo_stroke(cr);
  if (look == Look::Pressed) {
    cairo_arc(cr, cx, cy, r * 0.5, 0, 2 * M_PI);
    c.SetColour(kAccentGlow);
    cairo_fill(cr);
  }
}

void DrawField(const Canvas& c, Box b, Look look) {
  c.FillRounded(b, 3, kWell);
  Rgb border = look == Look::Normal ? kLine : look == Look::Hover ? kAccentDeep : kAccent;
  c.StrokeRounded(b, 3, border);
}

void DrawTab(const Canvas& c, Box b, Look look) {
  switch (look) {
    case Look::Normal:
      c.FillRect(b, kPanel);
      break;
    case Look::Hover:
      c.FillRect(b, Colour(30, 36, 44));
      c.FillRect({b.left, b.bottom - 2, b.right, b.bottom}, kAccentDeep);
      break;
    case Look::Pressed: {
      cairo_pattern_t* p = cairo_pattern_create_linear(0, b.top, 0, b.bottom);
      cairo_pattern_add_color_stop_rgb(p, 0, 0.11, 0.16, 0.2);
      cairo_pattern_add_color_stop_rgb(p, 1, 0.05, 0.19, 0.26);
      cairo_rectangle(c.cr(), b.left, b.top, b.Width(), b.Height());
      cairo_set_source(c.cr(), p);
      cairo_fill(c.cr());
      cairo_pattern_destroy(p);
      c.FillRect({b.left, b.bottom - 2, b.right, b.bottom}, kAccentGlow);
      break;
    }
  }
  // Separators between neighbouring tabs.
  c.Line(b.right - 0.5, b.top + 5, b.right - 0.5, b.bottom - 5, kLine);
}

void DrawToolButton(const Canvas& c, Box b, Look look) {
  Box face = b.Inset(1);
  switch (look) {
    case Look::Normal:
      c.FillRounded(face, 3, kPanel);
      c.StrokeRounded(face, 3, kLineSoft);
      break;
    case Look::Hover:
      c.FillRounded(face, 3, Colour(31, 38, 47));
      c.StrokeRounded(face, 3, kAccent);
      break;
    case Look::Pressed:
      c.FillRoundedGradient(face, 3, kAccent, kAccentDeep);
      break;
  }
}

void DrawPlus(const Canvas& c, Box b, Rgb colour) {
  double s = std::round(std::fmin(b.Width(), b.Height()) * 0.22);
  double cx = std::round(b.CentreX()), cy = std::round(b.CentreY());
  c.FillRect({cx - s, cy - 1, cx + s, cy + 1}, colour);
  c.FillRect({cx - 1, cy - s, cx + 1, cy + s}, colour);
}

void DrawMinus(const Canvas& c, Box b, Rgb colour) {
  double s = std::round(std::fmin(b.Width(), b.Height()) * 0.22);
  double cx = std::round(b.CentreX()), cy = std::round(b.CentreY());
  c.FillRect({cx - s, cy - 1, cx + s, cy + 1}, colour);
}

}  // namespace q730x::art
