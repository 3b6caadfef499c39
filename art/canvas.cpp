#include "canvas.h"

#include <cmath>

namespace q730x::art {

namespace {
constexpr const char* kFontFamily = "Liberation Sans";
}

Canvas::Canvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void Canvas::SetColour(Rgb c, double alpha) const {
  cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha);
}

void Canvas::FillRect(Box b, Rgb c, double alpha) const {
  SetColour(c, alpha);
  cairo_rectangle(cr_, b.left, b.top, b.Width(), b.Height());
  cairo_fill(cr_);
}

void Canvas::RoundedPath(Box b, double radius) const {
  double r = std::fmin(radius, std::fmin(b.Width(), b.Height()) / 2);
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, b.right - r, b.top + r, r, -M_PI / 2, 0);
  cairo_arc(cr_, b.right - r, b.bottom - r, r, 0, M_PI / 2);
  cairo_arc(cr_, b.left + r, b.bottom - r, r, M_PI / 2, M_PI);
  cairo_arc(cr_, b.left + r, b.top + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
}

void Canvas::FillRounded(Box b, double radius, Rgb c, double alpha) const {
  RoundedPath(b, radius);
  SetColour(c, alpha);
  cairo_fill(cr_);
}

void Canvas::StrokeRounded(Box b, double radius, Rgb c, double width, double alpha) const {
  // Half-pixel inset keeps one-pixel lines crisp.
  Box inner = b.Inset(width / 2);
  RoundedPath(inner, radius);
  SetColour(c, alpha);
  cairo_set_line_width(cr_, width);
  cairo_stroke(cr_);
}

void Canvas::FillRoundedGradient(Box b, double radius, Rgb top, Rgb bottom) const {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, b.top, 0, b.bottom);
  cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
  cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
  RoundedPath(b, radius);
  cairo_set_source(cr_, p);
  cairo_fill(cr_);
  cairo_pattern_destroy(p);
}

void Canvas::Line(double x0, double y0, double x1, double y1, Rgb c, double width,
                  double alpha) const {
  SetColour(c, alpha);
  cairo_set_line_width(cr_, width);
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_stroke(cr_);
}

double Canvas::TextWidth(const std::string& utf8, double size, bool bold) const {
  cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr_, utf8.c_str(), &e);
  return e.x_advance;
}

void Canvas::Text(const std::string& utf8, Box b, double size, Rgb c, Align align, bool bold,
                  double alpha) const {
  cairo_select_font_face(cr_, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size);
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  cairo_text_extents_t e;
  cairo_text_extents(cr_, utf8.c_str(), &e);
  double x = b.left;
  if (align == Align::Centre) x = b.CentreX() - e.x_advance / 2;
  if (align == Align::Right) x = b.right - e.x_advance;
  // Centre the cap height, not the full ascent, so legends sit optically centred.
  double y = b.CentreY() + (fe.ascent - fe.descent) / 2 - 0.5;
  SetColour(c, alpha);
  cairo_move_to(cr_, std::round(x), std::round(y));
  cairo_show_text(cr_, utf8.c_str());
}

void Canvas::KeyCorners(double radius, bool top, bool bottom) const {
  cairo_save(cr_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr_, 0, 0, width_, height_);
  double w = width_, h = height_, r = radius;
  cairo_new_sub_path(cr_);
  if (top) {
    cairo_arc(cr_, w - r, r, r, -M_PI / 2, 0);
  } else {
    cairo_move_to(cr_, w, 0);
  }
  if (bottom) {
    cairo_arc(cr_, w - r, h - r, r, 0, M_PI / 2);
    cairo_arc(cr_, r, h - r, r, M_PI / 2, M_PI);
  } else {
    cairo_line_to(cr_, w, h);
    cairo_line_to(cr_, 0, h);
  }
  if (top) {
    cairo_arc(cr_, r, r, r, M_PI, 3 * M_PI / 2);
  } else {
    cairo_line_to(cr_, 0, 0);
  }
  cairo_close_path(cr_);
  SetColour(kRegionKey);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

}  // namespace q730x::art
