// A small vector painter for the game's pictures: shapes are signed distance functions, and a
// canvas of floating-point pixels paints them with smooth (anti-aliased) edges.
#pragma once

#include <allegro.h>

#include <functional>
#include <vector>

namespace art {

struct Colour {
    double r, g, b;  // 0 to 255
};

constexpr Colour rgb(double r, double g, double b) { return {r, g, b}; }
Colour mix(Colour a, Colour b, double t);  // t = 0 gives a, 1 gives b
Colour darker(Colour c, double amount);    // towards black by amount (0 to 1)
Colour lighter(Colour c, double amount);   // towards white by amount (0 to 1)

// Everything a shape may touch, in pixel coordinates; used to keep painting to that area.
struct Bounds {
    double x0, y0, x1, y1;
};

// A signed distance in pixels: negative inside, positive outside, zero on the edge.
struct Shape {
    std::function<double(double x, double y)> distance;
    Bounds bounds;
};

// Primitives. Angles are in degrees, clockwise from the positive x axis (y grows downwards).
Shape circle(double cx, double cy, double r);
Shape ellipse(double cx, double cy, double rx, double ry);
Shape box(double x0, double y0, double x1, double y1, double corner = 0);  // corner radius
Shape segment(double x0, double y0, double x1, double y1, double half_width);
Shape polyline(const std::vector<double> &xy, double half_width);  // x0, y0, x1, y1, ...
Shape polygon(const std::vector<double> &xy);
// Several closed outlines filled by the non-zero winding rule, as the outlines of a font's
// glyphs are: holes run the other way round from the outer edges.
Shape outlines(const std::vector<std::vector<double>> &rings);
Shape arc(double cx, double cy, double r, double from_deg, double to_deg, double half_width);

// Combinations.
Shape unite(const Shape &a, const Shape &b);
Shape unite(const std::vector<Shape> &parts);
Shape intersect(const Shape &a, const Shape &b);
Shape subtract(const Shape &a, const Shape &b);
Shape grow(const Shape &a, double by);         // outward by `by` pixels (inward if negative)
Shape outline(const Shape &a, double half_width);  // a band along the edge
Shape moved(const Shape &a, double dx, double dy);
Shape rotated(const Shape &a, double cx, double cy, double degrees);
Shape scaled(const Shape &a, double cx, double cy, double factor);

using Paint = std::function<Colour(double x, double y)>;
Paint solid(Colour c);
Paint vertical_gradient(double y0, Colour top, double y1, Colour bottom);
Paint radial_gradient(double cx, double cy, double r, Colour centre, Colour edge);

// Pixels of premultiplied colour and coverage. A new canvas is fully transparent.
class Canvas {
public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }

    // Where the point (0, 0) of the shapes lies on the canvas, (0, 0) at first, and how
    // much shapes are enlarged around it, 1 at first.
    void set_origin(double x, double y, double scale = 1.0)
    {
        origin_x_ = x;
        origin_y_ = y;
        scale_ = scale;
    }

    void fill(const Shape &shape, const Paint &paint, double opacity = 1.0);
    void fill(const Shape &shape, Colour colour, double opacity = 1.0)
    {
        fill(shape, solid(colour), opacity);
    }
    // A shape in `fill` colour with an `edge` coloured rim of the given width around it.
    void sticker(const Shape &shape, Colour fill, Colour edge, double edge_width = 1.0);
    // Paints every pixel with the paint, opaque.
    void cover(const Paint &paint);
    // Lays another canvas over this one with its top-left corner at (x, y).
    void draw(const Canvas &other, int x, int y, double opacity = 1.0);
    // Moves what is painted inside the shape towards the colour by `amount` (0 to 1), as the
    // game's veils do; transparent pixels stay transparent.
    void tint(const Shape &shape, Colour towards, double amount);

    // An opaque 24-bit bitmap; transparent parts are laid over `under`. With `dither`, a
    // fine fixed pattern of less than one step of a 16-bit display is added, so that smooth
    // gradients do not turn into bands when the game loads the picture into 16 bits.
    BITMAP *to_bitmap(Colour under, bool dither = false) const;
    // A 24-bit bitmap for sprites: pixels covered less than `threshold` become the library's
    // mask colour; the others are laid over `under` (the surface the sprite will lie on)
    // where they are partly covered. Colours that would read as the mask colour are nudged.
    BITMAP *to_sprite(Colour under, double threshold = 0.5) const;
    // Red, green, blue and alpha bytes of every pixel, rows from the top, colours not
    // premultiplied (0 where nothing is painted).
    std::vector<unsigned char> to_rgba() const;

private:
    struct Pixel {
        double r, g, b, a;
    };
    int index(int x, int y) const { return y * width_ + x; }

    // The shape in canvas pixels, and the pixels it may touch (its bounds, one pixel wider
    // for the smoothed edge, clipped to the canvas).
    struct Area {
        Shape shape;
        int x0, y0, x1, y1;
    };
    Area area_of(const Shape &placed) const;

    int width_, height_;
    double origin_x_ = 0, origin_y_ = 0, scale_ = 1;
    std::vector<Pixel> px_;
};

}  // namespace art
