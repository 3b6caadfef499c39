// A drawing surface for the generator: one Cairo image surface with the
// handful of shapes every picture of the skin is made of.
#pragma once

#include <cairo.h>

#include <string>

namespace q730x::art {

struct Rgb {
  double r, g, b;
};

// 0..255 components, as the rest of the product writes colours.
constexpr Rgb Colour(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

struct Box {
  double left, top, right, bottom;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
  double CentreX() const { return (left + right) / 2; }
  double CentreY() const { return (top + bottom) / 2; }
  Box Inset(double d) const { return {left + d, top + d, right - d, bottom - d}; }
};

class Canvas {
 public:
  Canvas(int width, int height);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  cairo_surface_t* surface() const { return surface_; }
  int width() const { return width_; }
  int height() const { return height_; }

  void SetColour(Rgb c, double alpha = 1.0) const;
  void FillRect(Box b, Rgb c, double alpha = 1.0) const;
  void RoundedPath(Box b, double radius) const;
  void FillRounded(Box b, double radius, Rgb c, double alpha = 1.0) const;
  void StrokeRounded(Box b, double radius, Rgb c, double width = 1.0, double alpha = 1.0) const;
  // Vertical gradient from top colour to bottom colour inside a rounded box.
  void FillRoundedGradient(Box b, double radius, Rgb top, Rgb bottom) const;
  void Line(double x0, double y0, double x1, double y1, Rgb c, double width = 1.0,
            double alpha = 1.0) const;

  enum class Align { Left, Centre, Right };
  // Text vertically centred in the box.
  void Text(const std::string& utf8, Box b, double size, Rgb c, Align align = Align::Centre,
            bool bold = false, double alpha = 1.0) const;
  double TextWidth(const std::string& utf8, double size, bool bold = false) const;

  // Paints every pixel outside a rounded rectangle in the exact region key
  // colour, without antialiasing, so that a region built from the picture cuts
  // the corners away cleanly.
  void KeyCorners(double radius, bool top, bool bottom) const;

 private:
  int width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

// The colour that region building cuts out of a window: RGB(228, 0, 127).
constexpr Rgb kRegionKey = {228 / 255.0, 0, 127 / 255.0};

}  // namespace q730x::art
