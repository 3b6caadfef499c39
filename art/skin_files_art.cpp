// The pictures that live as files below skins\: the key setting dialog and its
// four pages, the message and notice boxes and the progress box.
#include <cmath>

#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

void DrawInfoBadge(const Canvas& c, double cx, double cy, double r) {
  cairo_t* cr = c.cr();
  cairo_arc(cr, cx, cy, r + 6, 0, 2 * M_PI);
  c.SetColour(kAccent, 0.12);
  cairo_fill(cr);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, cy - r, 0, cy + r);
  cairo_pattern_add_color_stop_rgb(p, 0, kAccentGlow.r, kAccentGlow.g, kAccentGlow.b);
  cairo_pattern_add_color_stop_rgb(p, 1, kAccentDeep.r, kAccentDeep.g, kAccentDeep.b);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_set_source(cr, p);
  cairo_fill(cr);
  cairo_pattern_destroy(p);
  c.FillRounded({cx - 2, cy - r * 0.15, cx + 2, cy + r * 0.55}, 1.5, kBright);
  cairo_arc(cr, cx, cy - r * 0.45, 2.4, 0, 2 * M_PI);
  c.SetColour(kBright);
  cairo_fill(cr);
}

// A dark box with a caption strip; the caption text is drawn by the program.
void DrawBoxFrame(const Canvas& c, int width, int height) {
  DrawWindowBackground(c, {0, 0, double(width), double(height)});
  DrawCaptionStrip(c, {1, 1, width - 1.0, 28});
  // The accent line at the left edge marks the box as a message.
  c.FillRect({1, 29, 3, height - 1.0}, kAccent, 0.8);
}

}  // namespace

void DrawSetting(const Canvas& c, Look look) {
  DrawWindowBackground(c, {0, 0, 413, 296});
  // The header holds two lines drawn by the program: the title (centred, at
  // the top) and the key's current function (left, just above the tabs), so
  // it carries its accent along the top edge instead of under a caption.
  cairo_pattern_t* header = cairo_pattern_create_linear(0, 1, 0, 37);
  cairo_pattern_add_color_stop_rgb(header, 0, kPanelHigh.r, kPanelHigh.g, kPanelHigh.b);
  cairo_pattern_add_color_stop_rgb(header, 1, kPanel.r, kPanel.g, kPanel.b);
  cairo_rectangle(c.cr(), 1, 1, 411, 36);
  cairo_set_source(c.cr(), header);
  cairo_fill(c.cr());
  cairo_pattern_destroy(header);
  c.FillRect({1, 1, 412, 3}, kAccent, 0.8);
  DrawCloseButton(c, {383, 1, 411, 24}, look);
  // Tab row.
  Box tabs[4] = {{0, 37, 110, 64}, {111, 37, 207, 64}, {208, 37, 303, 64}, {304, 37, 412, 64}};
  c.FillRect({0, 37, 413, 64}, kPanel);
  for (Box t : tabs) DrawTab(c, t, look);
  c.Line(1, 36.5, 412, 36.5, kLineSoft);
  c.Line(0, 64.5, 413, 64.5, kLine);
  // The page area and its frame; the pages paint inside.
  c.FillRounded({17, 70, 395, 247}, 5, Colour(15, 15, 15));
  c.StrokeRounded({17, 70, 395, 247}, 5, kLine);
  // Bottom bar: disable box, restore and OK.
  c.Line(12, 249.5, 401, 249.5, kLineSoft);
  DrawCheckBox(c, {24, 259, 41, 276}, look);
  DrawPushButton(c, Box{238, 254, 315, 289}.Inset(1), look, 4);
  DrawAccentButton(c, Box{316, 254, 393, 289}.Inset(1), look, 4);
}

void DrawListPage(const Canvas& c, Look) { c.FillRect({0, 0, 370, 169}, Colour(15, 15, 15)); }

void DrawAdvancedPage(const Canvas& c, Look look) {
  c.FillRect({0, 0, 370, 169}, Colour(15, 15, 15));
  struct Row {
    Box option, field, open;
  };
  Row rows[4] = {{{21, 37, 38, 54}, {103, 36, 263, 52}, {273, 33, 349, 55}},
                 {{21, 63, 38, 80}, {103, 63, 262, 79}, {273, 59, 349, 81}},
                 {{21, 88, 38, 105}, {103, 89, 262, 105}, {273, 86, 349, 108}},
                 {{21, 114, 38, 131}, {103, 116, 262, 132}, {273, 113, 349, 135}}};
  for (const Row& r : rows) {
    DrawRadio(c, r.option, look);
    // Path fields are check buttons that are never checked: keep them calm.
    DrawField(c, r.field, look == Look::Pressed ? Look::Hover : look);
    DrawPushButton(c, r.open.Inset(1), look, 3);
  }
  c.Line(14, 22.5, 356, 22.5, kLineSoft);
  c.Line(14, 148.5, 356, 148.5, kLineSoft);
}

void DrawComboPage(const Canvas& c, Look look) {
  c.FillRect({0, 0, 370, 169}, Colour(15, 15, 15));
  struct Modifier {
    Box box;
    const char* name;
  };
  Modifier mods[4] = {{{59, 45, 72, 58}, "Ctrl"},
                      {{59, 70, 72, 83}, "Alt"},
                      {{59, 94, 72, 108}, "Shift"},
                      {{58, 119, 72, 133}, "Win"}};
  DrawPanel(c, {40, 34, 140, 144}, 6);
  for (const Modifier& m : mods) {
    DrawCheckBox(c, m.box, look);
    c.Text(m.name, {m.box.right + 10, m.box.top - 2, 140, m.box.bottom + 2}, 9, kLegend,
           Canvas::Align::Left);
  }
  // "+" between the modifiers and the captured key.
  DrawPlus(c, {140, 78, 166, 102}, kMuted);
  // The captured key's field; the key name is drawn by the page.
  c.FillRounded({168, 77, 328, 102}, 4, kWell);
  c.StrokeRounded({168, 77, 328, 102}, 4, kAccentDeep);
  c.FillRect({169, 100, 327, 101}, kAccent, 0.6);
}

void DrawMessageBox(const Canvas& c, Look look) {
  DrawBoxFrame(c, 330, 172);
  DrawCloseButton(c, {301, 0, 329, 25}, look);
  DrawInfoBadge(c, 46, 92, 17);
  DrawAccentButton(c, Box{241, 128, 305, 158}.Inset(1), look, 4);
}

void DrawNoticeBox(const Canvas& c) {
  DrawBoxFrame(c, 400, 172);
  DrawInfoBadge(c, 48, 92, 17);
}

void DrawProgressBox(const Canvas& c, bool full) {
  // No caption strip: the box's text sits in the top band (y 20..50).
  DrawWindowBackground(c, {0, 0, 357, 100});
  c.FillRect({1, 1, 356, 3}, kAccent, 0.8);
  // The bar's track runs from x 59 to 298 at y 67..76.
  Box track{59, 67, 298, 76};
  c.FillRect(track.Inset(-1), Colour(4, 5, 6));
  c.FillRect(track, Colour(26, 30, 36));
  if (full) {
    cairo_pattern_t* p = cairo_pattern_create_linear(track.left, 0, track.right, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, kAccentDeep.r, kAccentDeep.g, kAccentDeep.b);
    cairo_pattern_add_color_stop_rgb(p, 1, kAccentGlow.r, kAccentGlow.g, kAccentGlow.b);
    cairo_rectangle(c.cr(), track.left, track.top, track.Width(), track.Height());
    cairo_set_source(c.cr(), p);
    cairo_fill(c.cr());
    cairo_pattern_destroy(p);
    c.FillRect({track.left, track.top, track.right, track.top + 2}, kBright, 0.25);
  }
}

}  // namespace q730x::art
