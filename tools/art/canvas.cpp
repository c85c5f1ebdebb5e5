#include "art/canvas.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr double pi = 3.14159265358979323846;

double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

Bounds around(const Bounds &b, double by) { return {b.x0 - by, b.y0 - by, b.x1 + by, b.y1 + by}; }

Bounds joined(const Bounds &a, const Bounds &b)
{
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Bounds of_points(const std::vector<double> &xy)
{
    Bounds b{xy[0], xy[1], xy[0], xy[1]};
    for (size_t i = 0; i + 1 < xy.size(); i += 2)
        b = joined(b, {xy[i], xy[i + 1], xy[i], xy[i + 1]});
    return b;
}

double segment_distance(double px, double py, double x0, double y0, double x1, double y1)
{
    double ex = x1 - x0, ey = y1 - y0, wx = px - x0, wy = py - y0;
    double len2 = ex * ex + ey * ey;
    double t = len2 > 0 ? clamp01((wx * ex + wy * ey) / len2) : 0;
    return std::hypot(wx - ex * t, wy - ey * t);
}

}  // namespace

Colour mix(Colour a, Colour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Colour darker(Colour c, double amount) { return mix(c, {0, 0, 0}, amount); }
Colour lighter(Colour c, double amount) { return mix(c, {255, 255, 255}, amount); }

Shape circle(double cx, double cy, double r)
{
    return {[=](double x, double y) { return std::hypot(x - cx, y - cy) - r; },
            {cx - r, cy - r, cx + r, cy + r}};
}

Shape ellipse(double cx, double cy, double rx, double ry)
{
    // The level-set value divided by its gradient: exact on the edge, close enough near it.
    return {[=](double x, double y) {
                double u = (x - cx) / rx, v = (y - cy) / ry;
                double k = std::hypot(u, v);
                if (k < 1e-9)
                    return -std::min(rx, ry);
                double gx = u / rx, gy = v / ry;
                return (k - 1) * k / std::hypot(gx, gy);
            },
            {cx - rx, cy - ry, cx + rx, cy + ry}};
}

Shape box(double x0, double y0, double x1, double y1, double corner)
{
    double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    double hw = (x1 - x0) / 2 - corner, hh = (y1 - y0) / 2 - corner;
    return {[=](double x, double y) {
                double qx = std::fabs(x - cx) - hw, qy = std::fabs(y - cy) - hh;
                double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
                return outside + std::min(std::max(qx, qy), 0.0) - corner;
            },
            {x0, y0, x1, y1}};
}

Shape segment(double x0, double y0, double x1, double y1, double half_width)
{
    return {[=](double x, double y) {
                return segment_distance(x, y, x0, y0, x1, y1) - half_width;
            },
            around(of_points({x0, y0, x1, y1}), half_width)};
}

Shape polyline(const std::vector<double> &xy, double half_width)
{
    return {[=](double x, double y) {
                double d = 1e9;
                for (size_t i = 0; i + 3 < xy.size(); i += 2)
                    d = std::min(d, segment_distance(x, y, xy[i], xy[i + 1], xy[i + 2], xy[i + 3]));
                return d - half_width;
            },
            around(of_points(xy), half_width)};
}

Shape polygon(const std::vector<double> &xy)
{
    size_t n = xy.size() / 2;
    return {[=](double x, double y) {
                double d = 1e18;
                bool inside = false;
                for (size_t i = 0, j = n - 1; i < n; j = i++) {
                    double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                    double s = segment_distance(x, y, xi, yi, xj, yj);
                    d = std::min(d, s);
                    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                        inside = !inside;
                }
                return inside ? -d : d;
            },
            of_points(xy)};
}

Shape outlines(const std::vector<std::vector<double>> &rings)
{
    Bounds b{1e9, 1e9, -1e9, -1e9};
    for (const auto &ring : rings)
        if (!ring.empty())
            b = joined(b, of_points(ring));
    return {[rings](double x, double y) {
                double d = 1e18;
                int winding = 0;
                for (const auto &xy : rings) {
                    size_t n = xy.size() / 2;
                    for (size_t i = 0, j = n - 1; i < n; j = i++) {
                        double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
                        d = std::min(d, segment_distance(x, y, xi, yi, xj, yj));
                        double side = (xi - xj) * (y - yj) - (x - xj) * (yi - yj);
                        if (yj <= y && yi > y && side > 0)
                            winding++;
                        else if (yj > y && yi <= y && side < 0)
                            winding--;
                    }
                }
                return winding != 0 ? -d : d;
            },
            b};
}

Shape arc(double cx, double cy, double r, double from_deg, double to_deg, double half_width)
{
    double a0 = from_deg * pi / 180, a1 = to_deg * pi / 180;
    double ex0 = cx + r * std::cos(a0), ey0 = cy + r * std::sin(a0);
    double ex1 = cx + r * std::cos(a1), ey1 = cy + r * std::sin(a1);
    double span = std::fmod(std::fmod(a1 - a0, 2 * pi) + 2 * pi, 2 * pi);
    if (to_deg - from_deg >= 360)
        span = 2 * pi;
    return {[=](double x, double y) {
                double a = std::atan2(y - cy, x - cx);
                double along = std::fmod(std::fmod(a - a0, 2 * pi) + 2 * pi, 2 * pi);
                double d;
                if (along <= span)
                    d = std::fabs(std::hypot(x - cx, y - cy) - r);
                else
                    d = std::min(std::hypot(x - ex0, y - ey0), std::hypot(x - ex1, y - ey1));
                return d - half_width;
            },
            around({cx - r, cy - r, cx + r, cy + r}, half_width)};
}

// How far a point lies outside a box at least; 0 inside it.
double box_gap(const Bounds &b, double x, double y)
{
    double dx = std::max({b.x0 - x, 0.0, x - b.x1}), dy = std::max({b.y0 - y, 0.0, y - b.y1});
    return std::hypot(dx, dy);
}

Shape unite(const Shape &a, const Shape &b)
{
    return {[a, b](double x, double y) {
                // A part whose box is further away than the other part's edge cannot be nearer:
                // skipping it keeps unions of many detailed parts (letters) quick.
                // Outside a part's box its distance is at least the gap to the box; inside the
                // box nothing is known, as the point may lie deep inside the part.
                double da = box_gap(a.bounds, x, y), db = box_gap(b.bounds, x, y);
                if (da > db) {
                    double d = b.distance(x, y);
                    return da > 0 && da > d ? d : std::min(d, a.distance(x, y));
                }
                double d = a.distance(x, y);
                return db > 0 && db > d ? d : std::min(d, b.distance(x, y));
            },
            joined(a.bounds, b.bounds)};
}

namespace {

// Unites parts [from, to) as a balanced tree, so that whole far-away halves are skipped.
Shape unite_range(const std::vector<Shape> &parts, size_t from, size_t to)
{
    if (to - from == 1)
        return parts[from];
    size_t middle = (from + to) / 2;
    return unite(unite_range(parts, from, middle), unite_range(parts, middle, to));
}

}  // namespace

Shape unite(const std::vector<Shape> &parts)
{
    return unite_range(parts, 0, parts.size());
}

Shape intersect(const Shape &a, const Shape &b)
{
    Bounds o{std::max(a.bounds.x0, b.bounds.x0), std::max(a.bounds.y0, b.bounds.y0),
             std::min(a.bounds.x1, b.bounds.x1), std::min(a.bounds.y1, b.bounds.y1)};
    return {[a, b](double x, double y) { return std::max(a.distance(x, y), b.distance(x, y)); }, o};
}

Shape subtract(const Shape &a, const Shape &b)
{
    return {[a, b](double x, double y) { return std::max(a.distance(x, y), -b.distance(x, y)); },
            a.bounds};
}

Shape grow(const Shape &a, double by)
{
    return {[a, by](double x, double y) { return a.distance(x, y) - by; },
            around(a.bounds, std::max(by, 0.0))};
}

Shape outline(const Shape &a, double half_width)
{
    return {[a, half_width](double x, double y) {
                return std::fabs(a.distance(x, y)) - half_width;
            },
            around(a.bounds, half_width)};
}

Shape moved(const Shape &a, double dx, double dy)
{
    return {[a, dx, dy](double x, double y) { return a.distance(x - dx, y - dy); },
            {a.bounds.x0 + dx, a.bounds.y0 + dy, a.bounds.x1 + dx, a.bounds.y1 + dy}};
}

Shape rotated(const Shape &a, double cx, double cy, double degrees)
{
    double c = std::cos(degrees * pi / 180), s = std::sin(degrees * pi / 180);
    Bounds b = a.bounds;
    std::vector<double> corners;
    for (double x : {b.x0, b.x1})
        for (double y : {b.y0, b.y1}) {
            corners.push_back(cx + (x - cx) * c - (y - cy) * s);
            corners.push_back(cy + (x - cx) * s + (y - cy) * c);
        }
    return {[a, cx, cy, c, s](double x, double y) {
                // Turn the point back by the same angle and ask the original shape.
                double u = cx + (x - cx) * c + (y - cy) * s;
                double v = cy - (x - cx) * s + (y - cy) * c;
                return a.distance(u, v);
            },
            of_points(corners)};
}

Shape scaled(const Shape &a, double cx, double cy, double factor)
{
    Bounds b = a.bounds;
    return {[a, cx, cy, factor](double x, double y) {
                return a.distance(cx + (x - cx) / factor, cy + (y - cy) / factor) * factor;
            },
            {cx + (b.x0 - cx) * factor, cy + (b.y0 - cy) * factor, cx + (b.x1 - cx) * factor,
             cy + (b.y1 - cy) * factor}};
}

Paint solid(Colour c)
{
    return [c](double, double) { return c; };
}

Paint vertical_gradient(double y0, Colour top, double y1, Colour bottom)
{
    return [=](double, double y) { return mix(top, bottom, clamp01((y - y0) / (y1 - y0))); };
}

Paint radial_gradient(double cx, double cy, double r, Colour centre, Colour edge)
{
    return [=](double x, double y) {
        return mix(centre, edge, clamp01(std::hypot(x - cx, y - cy) / r));
    };
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height, Pixel{0, 0, 0, 0})
{
}

Canvas::Area Canvas::area_of(const Shape &placed) const
{
    Shape shape = moved(scaled(placed, 0, 0, scale_), origin_x_, origin_y_);
    return {shape, std::max(0, static_cast<int>(std::floor(shape.bounds.x0)) - 1),
            std::max(0, static_cast<int>(std::floor(shape.bounds.y0)) - 1),
            std::min(width_ - 1, static_cast<int>(std::ceil(shape.bounds.x1)) + 1),
            std::min(height_ - 1, static_cast<int>(std::ceil(shape.bounds.y1)) + 1)};
}

void Canvas::fill(const Shape &placed, const Paint &paint, double opacity)
{
    const auto [shape, x0, y0, x1, y1] = area_of(placed);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            double cx = x + 0.5, cy = y + 0.5;
            // A pixel is covered in proportion to how far its centre lies inside the edge.
            double k = clamp01(0.5 - shape.distance(cx, cy)) * opacity;
            if (k <= 0)
                continue;
            Colour c = paint((cx - origin_x_) / scale_, (cy - origin_y_) / scale_);
            Pixel &p = px_[index(x, y)];
            p.r = p.r * (1 - k) + c.r * k;
            p.g = p.g * (1 - k) + c.g * k;
            p.b = p.b * (1 - k) + c.b * k;
            p.a = p.a * (1 - k) + k;
        }
}

void Canvas::sticker(const Shape &shape, Colour fill_colour, Colour edge, double edge_width)
{
    fill(grow(shape, edge_width), edge);
    fill(shape, fill_colour);
}

void Canvas::cover(const Paint &paint)
{
    for (int y = 0; y < height_; y++)
        for (int x = 0; x < width_; x++) {
            Colour c = paint((x + 0.5 - origin_x_) / scale_, (y + 0.5 - origin_y_) / scale_);
            px_[index(x, y)] = {c.r, c.g, c.b, 1};
        }
}

void Canvas::draw(const Canvas &other, int x, int y, double opacity)
{
    for (int v = 0; v < other.height_; v++)
        for (int u = 0; u < other.width_; u++) {
            int tx = x + u, ty = y + v;
            if (tx < 0 || ty < 0 || tx >= width_ || ty >= height_)
                continue;
            const Pixel &s = other.px_[other.index(u, v)];
            Pixel &p = px_[index(tx, ty)];
            double k = s.a * opacity;
            p.r = p.r * (1 - k) + s.r * opacity;
            p.g = p.g * (1 - k) + s.g * opacity;
            p.b = p.b * (1 - k) + s.b * opacity;
            p.a = p.a * (1 - k) + k;
        }
}

void Canvas::tint(const Shape &placed, Colour towards, double amount)
{
    const auto [shape, x0, y0, x1, y1] = area_of(placed);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            double k = clamp01(0.5 - shape.distance(x + 0.5, y + 0.5)) * amount;
            Pixel &p = px_[index(x, y)];
            // Premultiplied: the target colour is weighted by the pixel's own coverage.
            p.r += (towards.r * p.a - p.r) * k;
            p.g += (towards.g * p.a - p.g) * k;
            p.b += (towards.b * p.a - p.b) * k;
        }
}

namespace {

int to_byte(double v) { return static_cast<int>(std::lround(std::min(255.0, std::max(0.0, v)))); }

}  // namespace

BITMAP *Canvas::to_bitmap(Colour under, bool dither) const
{
    // A 4 x 4 ordered dither. Loading into 16 bits keeps the top 5 bits of red and blue and
    // 6 of green, and the display spreads 31 (63) steps over the full range: so each level
    // is first scaled to 248 (252) and then 0 to 7.5 (0 to 3.75) is added before the cut,
    // which keeps the average shown in 16 bits, and very nearly in 32 bits.
    static const int pattern[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    BITMAP *b = create_bitmap_ex(24, width_, height_);
    for (int y = 0; y < height_; y++)
        for (int x = 0; x < width_; x++) {
            const Pixel &p = px_[index(x, y)];
            double r = p.r + under.r * (1 - p.a), g = p.g + under.g * (1 - p.a), bl = p.b + under.b * (1 - p.a);
            if (dither) {
                double d = pattern[y % 4][x % 4] / 2.0;
                r = std::floor(r * 248 / 255 + d);
                g = std::floor(g * 252 / 255 + d / 2);
                bl = std::floor(bl * 248 / 255 + d);
            }
            putpixel(b, x, y, makecol24(to_byte(r), to_byte(g), to_byte(bl)));
        }
    return b;
}

BITMAP *Canvas::to_sprite(Colour under, double threshold) const
{
    BITMAP *b = create_bitmap_ex(24, width_, height_);
    for (int y = 0; y < height_; y++)
        for (int x = 0; x < width_; x++) {
            const Pixel &p = px_[index(x, y)];
            if (p.a < threshold) {
                putpixel(b, x, y, bitmap_mask_color(b));
                continue;
            }
            int r = to_byte(p.r + under.r * (1 - p.a));
            int g = to_byte(p.g + under.g * (1 - p.a));
            int bl = to_byte(p.b + under.b * (1 - p.a));
            // In 15- and 16-bit modes every colour this close to magenta is the mask colour.
            if (r >= 240 && bl >= 240 && g < 16)
                g = 16;
            putpixel(b, x, y, makecol24(r, g, bl));
        }
    return b;
}

std::vector<unsigned char> Canvas::to_rgba() const
{
    std::vector<unsigned char> bytes;
    bytes.reserve(px_.size() * 4);
    for (const Pixel &p : px_) {
        const double a = p.a > 0 ? p.a : 1;
        bytes.push_back(static_cast<unsigned char>(to_byte(p.r / a)));
        bytes.push_back(static_cast<unsigned char>(to_byte(p.g / a)));
        bytes.push_back(static_cast<unsigned char>(to_byte(p.b / a)));
        bytes.push_back(static_cast<unsigned char>(to_byte(p.a * 255)));
    }
    return bytes;
}

}  // namespace art
