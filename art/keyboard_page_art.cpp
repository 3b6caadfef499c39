// The keyboard page: the keyboard with its 90 caps, the five profile tabs,
// the program link, the profile text field and the Restore and Apply buttons.
#include <cmath>
#include <string>

#include "keyboard_layout.h"
#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

void DrawLightEffect(const Canvas& c, Box b, Rgb colour) {
  cairo_t* cr = c.cr();
  double cx = b.CentreX(), cy = b.CentreY() - 1, r = 3.2;
  c.SetColour(colour);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  for (int i = 0; i < 8; ++i) {
    double a = i * M_PI / 4;
    cairo_move_to(cr, cx + std::cos(a) * 5.2, cy + std::sin(a) * 5.2);
    cairo_line_to(cr, cx + std::cos(a) * 7.2, cy + std::sin(a) * 7.2);
  }
  cairo_stroke(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void DrawLightLevel(const Canvas& c, Box b, Rgb colour) {
  double x = std::round(b.CentreX()) - 7, base = std::round(b.CentreY()) + 5;
  for (int i = 0; i < 4; ++i)
    c.FillRect({x + i * 4, base - 3 - i * 3, x + i * 4 + 2.5, base}, colour, 0.55 + i * 0.15);
}

void DrawMute(const Canvas& c, Box b, Rgb colour) {
  cairo_t* cr = c.cr();
  double x = std::round(b.CentreX()) - 7, y = std::round(b.CentreY()) - 1;
  c.SetColour(colour);
  cairo_move_to(cr, x, y - 2.5);
  cairo_line_to(cr, x + 3, y - 2.5);
  cairo_line_to(cr, x + 7, y - 6);
  cairo_line_to(cr, x + 7, y + 6);
  cairo_line_to(cr, x + 3, y + 2.5);
  cairo_line_to(cr, x, y + 2.5);
  cairo_close_path(cr);
  cairo_fill(cr);
  c.Line(x + 9.5, y - 2.5, x + 14.5, y + 2.5, colour, 1.3);
  c.Line(x + 14.5, y - 2.5, x + 9.5, y + 2.5, colour, 1.3);
}

void DrawKeyCap(const Canvas& c, const KeyLayoutEntry& key, const KeyLegend& k, Look look) {
  Box outer{double(key.left), double(key.top), double(key.right), double(key.bottom)};
  // The skirt: the darker sides of the cap seen from above.
  c.FillRounded(outer, 4, Colour(5, 6, 8));
  Box face{outer.left + 2, outer.top + 1, outer.right - 2, outer.bottom - 4};
  Rgb legend = kLegend;
  switch (look) {
    case Look::Normal:
      c.StrokeRounded(outer, 4, Colour(34, 38, 45));
      c.FillRoundedGradient(face, 3, Colour(38, 42, 49), Colour(26, 29, 34));
      break;
    case Look::Hover:
      c.StrokeRounded(outer, 4, kAccent);
      c.FillRoundedGradient(face, 3, Colour(44, 58, 70), Colour(29, 38, 47));
      legend = kBright;
      break;
    case Look::Pressed:
      c.StrokeRounded(outer, 4, kAccentGlow);
      c.FillRoundedGradient(face, 3, kAccent, kAccentDeep);
      legend = kBright;
      break;
  }
  // A faint highlight along the top edge of the face.
  c.Line(face.left + 3, face.top + 0.5, face.right - 3, face.top + 0.5, kBright,
         1.0, look == Look::Pressed ? 0.35 : 0.08);

  switch (k.glyph) {
    case KeyGlyph::LightEffect: DrawLightEffect(c, face, legend); return;
    case KeyGlyph::LightLevel: DrawLightLevel(c, face, legend); return;
    case KeyGlyph::Mute: DrawMute(c, face, legend); return;
    case KeyGlyph::None: break;
  }
  std::string text = k.legend;
  size_t nl = text.find('\n');
  if (nl != std::string::npos) {
    // Shifted symbol above, base symbol below.
    Box upper{face.left, face.top + 1, face.right, face.CentreY()};
    Box lower{face.left, face.CentreY(), face.right, face.bottom - 1};
    c.Text(text.substr(0, nl), upper, 8, legend, Canvas::Align::Centre, false, 0.65);
    c.Text(text.substr(nl + 1), lower, 9.5, legend);
    return;
  }
  bool word = text.size() > 2 && (text[0] & 0x80) == 0;
  double size = word ? 8 : 11;
  if (word && c.TextWidth(text, size) > face.Width() - 4) size = 7;
  if (text.size() > 3 && word && outer.Width() > 40) {
    // Wide modifier keys carry their legend at the lower left, as real caps do.
    Box lowerLeft{face.left + 5, face.top, face.right, face.bottom};
    c.Text(text, lowerLeft, size, legend, Canvas::Align::Left);
    return;
  }
  c.Text(text, face, size, legend, Canvas::Align::Centre, !word);
}

void DrawKeyboardBody(const Canvas& c) {
  Box body{64, 56, 758, 330};
  // Soft shadow under the keyboard.
  for (int i = 6; i > 0; --i) c.FillRounded(body.Inset(-i), 16 + i, Colour(0, 0, 0), 0.06);
  c.FillRoundedGradient(body, 16, Colour(30, 34, 40), Colour(17, 19, 23));
  c.StrokeRounded(body, 16, Colour(48, 54, 63));
  // The plate the caps stand on, with the blue backlight bleeding through.
  Box plate{74, 68, 748, 320};
  c.FillRounded(plate, 8, Colour(8, 10, 13));
  cairo_pattern_t* glow = cairo_pattern_create_radial(411, 195, 40, 411, 195, 380);
  cairo_pattern_add_color_stop_rgba(glow, 0, kAccent.r, kAccent.g, kAccent.b, 0.16);
  cairo_pattern_add_color_stop_rgba(glow, 1, kAccent.r, kAccent.g, kAccent.b, 0.03);
  c.RoundedPath(plate, 8);
  cairo_set_source(c.cr(), glow);
  cairo_fill(c.cr());
  cairo_pattern_destroy(glow);
  c.StrokeRounded(plate, 8, Colour(4, 5, 7));
  // Maker's mark in the top bezel and three status lights at the right.
  c.Text("KAVEX", {84, 56, 200, 68}, 7, kMuted, Canvas::Align::Left, true);
  for (int i = 0; i < 3; ++i) {
    cairo_arc(c.cr(), 700 + i * 14, 62, 1.8, 0, 2 * M_PI);
    c.SetColour(i == 0 ? kAccentGlow : Colour(40, 46, 54));
    cairo_fill(c.cr());
  }
}

void DrawProfileTab(const Canvas& c, const Point (&pts)[6], Look look) {
  cairo_t* cr = c.cr();
  auto path = [&] {
    cairo_move_to(cr, pts[0].x, pts[0].y);
    for (int i = 1; i < 6; ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
    cairo_close_path(cr);
  };
  path();
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 343, 0, 372);
  if (look == Look::Pressed) {
    cairo_pattern_add_color_stop_rgb(p, 0, kAccent.r, kAccent.g, kAccent.b);
    cairo_pattern_add_color_stop_rgb(p, 1, kAccentDeep.r, kAccentDeep.g, kAccentDeep.b);
  } else if (look == Look::Hover) {
    cairo_pattern_add_color_stop_rgb(p, 0, 0.16, 0.2, 0.25);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.1, 0.13, 0.17);
  } else {
    cairo_pattern_add_color_stop_rgb(p, 0, 0.12, 0.135, 0.16);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.075, 0.085, 0.1);
  }
  cairo_set_source(cr, p);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(p);
  c.SetColour(look == Look::Normal ? Colour(46, 52, 61) : look == Look::Hover ? kAccent : kAccentGlow);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

}  // namespace

void DrawKeyboardPage(const Canvas& c, Look look) {
  DrawWindowBackground(c, {0, -20, 822, 448}, 10);
  DrawKeyboardBody(c);
  for (std::size_t i = 0; i < kKeyLayoutUsedEntries; ++i)
    DrawKeyCap(c, KeyLayoutTable[i], kKeyLegends[i], look);

  // Report rate button at the top right; its caption is drawn by the program.
  DrawPushButton(c, {693, 2, 793, 26}, look, 4);

  // The profile tabs sit on a rail below the keyboard.
  c.FillRect({80, 371, 668, 373}, Colour(36, 41, 48));
  for (const auto& tab : kProfileTabs) DrawProfileTab(c, tab, look);

  // Lower panel: profile text (left), program link (middle), Restore and Apply (right).
  DrawPanel(c, {88, 378, 620, 446}, 6);
  c.FillRounded({100, 403, 252, 423}, 3, Colour(5, 5, 5));
  c.StrokeRounded({100, 403, 252, 423}, 3, kLine);
  DrawCheckBox(c, {376, 387, 389, 400}, look);
  DrawField(c, {394, 405, 544, 423}, look == Look::Pressed ? Look::Pressed : Look::Normal);

  DrawPushButton(c, Box{644, 411, 721, 447}.Inset(1), look, 5);
  DrawAccentButton(c, Box{722, 411, 799, 447}.Inset(1), look, 5);
  c.KeyCorners(10, false, true);
}

}  // namespace q730x::art
