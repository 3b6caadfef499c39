// Small parts: the scroll bar cells, the list row icons and the program's icons.
#include <cmath>

#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

constexpr int kCell = 18;

Box Cell(int column, int row) {
  return {double(column * kCell), double(row * kCell), double(column * kCell + kCell),
          double(row * kCell + kCell)};
}

void Triangle(const Canvas& c, Box b, int direction, Rgb colour) {
  // direction: 0 up, 1 down, 2 left, 3 right
  cairo_t* cr = c.cr();
  double cx = b.CentreX(), cy = b.CentreY(), s = 3.5;
  c.SetColour(colour);
  switch (direction) {
    case 0: cairo_move_to(cr, cx - s, cy + 2); cairo_line_to(cr, cx + s, cy + 2); cairo_line_to(cr, cx, cy - 2); break;
    case 1: cairo_move_to(cr, cx - s, cy - 2); cairo_line_to(cr, cx + s, cy - 2); cairo_line_to(cr, cx, cy + 2); break;
    case 2: cairo_move_to(cr, cx + 2, cy - s); cairo_line_to(cr, cx + 2, cy + s); cairo_line_to(cr, cx - 2, cy); break;
    default: cairo_move_to(cr, cx - 2, cy - s); cairo_line_to(cr, cx - 2, cy + s); cairo_line_to(cr, cx + 2, cy); break;
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

}  // namespace

void DrawScrollParts(const Canvas& c) {
  c.FillRect({0, 0, 163, 54}, Colour(10, 11, 13));
  const Rgb arrowFace[3] = {Colour(22, 25, 30), Colour(33, 40, 49), kAccentDeep};
  const Rgb arrowGlyph[3] = {Colour(96, 105, 118), Colour(200, 206, 214), kBright};
  const Rgb thumb[3] = {Colour(52, 58, 68), Colour(23, 148, 195), Colour(64, 184, 228)};
  for (int row = 0; row < 3; ++row) {
    // Arrows: up, down, left, right in columns 0, 1, 4, 5.
    int arrowColumns[4] = {0, 1, 4, 5};
    int directions[4] = {0, 1, 2, 3};
    for (int i = 0; i < 4; ++i) {
      Box b = Cell(arrowColumns[i], row);
      c.FillRect(b, Colour(10, 11, 13));
      c.FillRounded(b.Inset(2), 3, arrowFace[row]);
      Triangle(c, b, directions[i], arrowGlyph[row]);
    }
    // Thumbs: a rounded bar across the cell; its ends are the first and last 3 pixels.
    Box v = Cell(2, row), h = Cell(6, row);
    c.FillRect(v, Colour(10, 11, 13));
    c.FillRect(h, Colour(10, 11, 13));
    c.FillRounded({v.left + 5, v.top + 1, v.right - 5, v.bottom - 1}, 3, thumb[row]);
    c.FillRounded({h.left + 1, h.top + 5, h.right - 1, h.bottom - 5}, 3, thumb[row]);
    // Tracks: a thin groove.
    Box vt = Cell(3, row), ht = Cell(7, row);
    c.FillRect(vt, Colour(10, 11, 13));
    c.FillRect({vt.CentreX() - 1, vt.top, vt.CentreX() + 1, vt.bottom}, Colour(24, 27, 32));
    c.FillRect(ht, Colour(10, 11, 13));
    c.FillRect({ht.left, ht.CentreY() - 1, ht.right, ht.CentreY() + 1}, Colour(24, 27, 32));
  }
  c.FillRect(Cell(8, 0), Colour(10, 11, 13));
  c.FillRect(Cell(8, 1), Colour(10, 11, 13));
}

void DrawListIcon(const Canvas& c, ListIcon icon, bool selected) {
  Rgb g = selected ? kAccentGlow : Colour(92, 102, 118);
  cairo_t* cr = c.cr();
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  switch (icon) {
    case ListIcon::Up:
    case ListIcon::Down: {
      bool up = icon == ListIcon::Up;
      double tip = up ? 2.5 : 13.5, tail = up ? 13.5 : 2.5, head = up ? 7.5 : 8.5;
      c.Line(8, tail, 8, tip + (up ? 1 : -1), g, 2);
      c.SetColour(g);
      cairo_move_to(cr, 3.5, head);
      cairo_line_to(cr, 8, tip);
      cairo_line_to(cr, 12.5, head);
      cairo_set_line_width(cr, 2);
      cairo_stroke(cr);
      break;
    }
    case ListIcon::Delay: {
      cairo_arc(cr, 8, 8, 6, 0, 2 * M_PI);
      c.SetColour(g);
      cairo_set_line_width(cr, 1.5);
      cairo_stroke(cr);
      c.Line(8, 8, 8, 4.5, g, 1.5);
      c.Line(8, 8, 10.5, 9.5, g, 1.5);
      break;
    }
  }
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void DrawAppIcon(const Canvas& c, AppIcon icon) {
  double s = c.width();
  cairo_t* cr = c.cr();
  Box all{0, 0, s, s};
  switch (icon) {
    case AppIcon::Application:
      DrawMark(c, all.Inset(s / 32));
      break;
    case AppIcon::Configuration: {
      // A key cap seen from above.
      c.FillRoundedGradient(all.Inset(s * 0.06), s * 0.18, Colour(58, 66, 78), Colour(22, 25, 30));
      c.FillRoundedGradient({s * 0.2, s * 0.14, s * 0.8, s * 0.7}, s * 0.12, kAccentGlow, kAccent);
      break;
    }
    case AppIcon::Exit: {
      cairo_arc(cr, s / 2, s / 2, s * 0.46, 0, 2 * M_PI);
      c.SetColour(kDanger);
      cairo_fill(cr);
      c.SetColour(kBright);
      cairo_set_line_width(cr, std::fmax(1.5, s * 0.1));
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_arc(cr, s / 2, s * 0.54, s * 0.24, -M_PI * 0.3, M_PI * 1.3);
      cairo_stroke(cr);
      cairo_move_to(cr, s / 2, s * 0.2);
      cairo_line_to(cr, s / 2, s * 0.5);
      cairo_stroke(cr);
      break;
    }
    case AppIcon::About: {
      cairo_arc(cr, s / 2, s / 2, s * 0.46, 0, 2 * M_PI);
      c.SetColour(kAccent);
      cairo_fill(cr);
      c.FillRect({s * 0.43, s * 0.42, s * 0.57, s * 0.78}, kBright);
      cairo_arc(cr, s / 2, s * 0.27, s * 0.08, 0, 2 * M_PI);
      c.SetColour(kBright);
      cairo_fill(cr);
      break;
    }
  }
}

}  // namespace q730x::art
