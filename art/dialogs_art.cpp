// The small embedded dialogs: report rate, about and the update prompt.
#include <cmath>

#include "pictures.h"

namespace q730x::art {

using namespace palette;

namespace {

// Caption strip, frame and close button shared by the dialogs.
void DrawDialogFrame(const Canvas& c, int width, int height, int captionHeight, Box close,
                     Look look) {
  DrawWindowBackground(c, {0, 0, double(width), double(height)});
  DrawCaptionStrip(c, {1, 1, width - 1.0, double(captionHeight)});
  DrawCloseButton(c, close, look);
}

void DrawRateOption(const Canvas& c, Box b, const char* number, Look look) {
  DrawPushButton(c, b, look, b.Height() / 2);
  Rgb text = look == Look::Normal ? kLegend : kBright;
  double w = c.TextWidth(number, 10, true) + 3 + c.TextWidth("Hz", 7);
  double x = b.CentreX() - w / 2;
  c.Text(number, {x, b.top, b.right, b.bottom}, 10, text, Canvas::Align::Left, true);
  c.Text("Hz", {x + c.TextWidth(number, 10, true) + 3, b.top + 1, b.right, b.bottom}, 7,
         text, Canvas::Align::Left, false, 0.7);
}

}  // namespace

void DrawReportRate(const Canvas& c, Look look) {
  DrawDialogFrame(c, 327, 170, 28, {297, 0, 325, 25}, look);
  // A pulse line as the picture of reports per second.
  cairo_t* cr = c.cr();
  c.SetColour(kAccent, 0.55);
  cairo_set_line_width(cr, 1.2);
  cairo_move_to(cr, 40, 56);
  double xs[] = {40, 120, 128, 136, 146, 154, 162, 287};
  double ys[] = {56, 56, 46, 64, 42, 60, 56, 56};
  for (int i = 1; i < 8; ++i) cairo_line_to(cr, xs[i], ys[i]);
  cairo_stroke(cr);
  DrawPanel(c, {40, 70, 284, 102}, 16);
  DrawRateOption(c, {58, 77, 112, 95}, "125", look);
  DrawRateOption(c, {132, 77, 184, 95}, "500", look);
  DrawRateOption(c, {205, 77, 264, 95}, "1000", look);
  c.Line(12, 128.5, 315, 128.5, kLineSoft);
  DrawAccentButton(c, Box{228, 139, 297, 169}.Inset(1), look, 4);
}

void DrawAbout(const Canvas& c, Look look) {
  DrawDialogFrame(c, 427, 228, 30, {398, 0, 425, 24}, look);
  // Product mark and name.
  DrawMark(c, {32, 48, 80, 96});
  c.Text("KAVEX", {94, 52, 300, 74}, 20, kBright, Canvas::Align::Left, true);
  double w = c.TextWidth("KAVEX", 20, true);
  c.Text("Q730X", {100 + w, 52, 400, 74}, 20, kAccent, Canvas::Align::Left);
  c.Text("GAMING KEYBOARD UTILITY", {95, 76, 400, 92}, 8, kMuted, Canvas::Align::Left);
  c.Line(20, 118.5, 407, 118.5, kLineSoft);
  // Version block and the two check buttons.
  DrawPanel(c, {20, 150, 346, 196}, 4);
  DrawPushButton(c, Box{208, 152, 342, 174}.Inset(1), look, 3);
  DrawPushButton(c, Box{208, 175, 342, 193}.Inset(1), look, 3);
  DrawPushButton(c, Box{339, 195, 404, 225}.Inset(1), look, 4);
}

void DrawUpdatePrompt(const Canvas& c, Look look) {
  DrawDialogFrame(c, 330, 160, 28, {301, 0, 329, 25}, look);
  // A download mark in the caption strip: an arrow into a tray.
  c.Line(18.5, 7, 18.5, 17, kAccent, 1.5);
  c.Line(14.5, 13, 18.5, 17.5, kAccent, 1.5);
  c.Line(22.5, 13, 18.5, 17.5, kAccent, 1.5);
  c.Line(12.5, 17.5, 12.5, 21.5, kAccent, 1.2);
  c.Line(12.5, 21.5, 24.5, 21.5, kAccent, 1.2);
  c.Line(24.5, 21.5, 24.5, 17.5, kAccent, 1.2);
  c.Line(10, 106.5, 320, 106.5, kLineSoft);
  DrawPushButton(c, Box{160, 117, 226, 144}.Inset(1), look, 4);
  DrawAccentButton(c, Box{234, 117, 300, 144}.Inset(1), look, 4);
}

}  // namespace q730x::art
