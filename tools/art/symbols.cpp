// The symbols: a "geek" set, each told apart by its shape first and its colour second.
// Each is drawn around (0, 0), about 11 pixels each way, which the strip puts at the middle
// of the piece's top face. Every shape has a darker rim so that it keeps its outline on the
// ivory face and under the dark veils of the lower layers.
#include <cmath>

#include "art/art.h"

namespace art {

namespace {

constexpr double pi = 3.14159265358979323846;

// A shape in a colour with a rim of the same colour, darker.
void ink(Canvas &c, const Shape &s, Colour colour, double rim = 0.9, double rim_dark = 0.55)
{
    c.sticker(s, colour, darker(colour, rim_dark), rim);
}

Shape mirrored_x(const std::vector<double> &xy, double half_width)
{
    std::vector<double> m = xy;
    for (size_t i = 0; i < m.size(); i += 2)
        m[i] = -m[i];
    return polyline(m, half_width);
}

// --- Brackets and signs ---------------------------------------------------------------

void braces(Canvas &c)
{
    std::vector<double> left = {-3, -9.3, -5, -8.8, -5.5, -7.4, -5.5, -2.4, -6.5, -0.8, -9, 0,
                                -6.5, 0.8, -5.5, 2.4, -5.5, 7.4, -5, 8.8, -3, 9.3};
    ink(c, unite(polyline(left, 1.35), mirrored_x(left, 1.35)), rgb(40, 100, 225));
}

void tag(Canvas &c)
{
    Shape less = polyline({-4.5, -6, -10, 0, -4.5, 6}, 1.5);
    Shape more = polyline({4.5, -6, 10, 0, 4.5, 6}, 1.5);
    Shape slash = segment(2.2, -9, -2.2, 9, 1.4);
    ink(c, unite({less, more, slash}), rgb(245, 130, 20));
}

void hash(Canvas &c)
{
    Shape s = unite({segment(-1.4, -9.3, -3.8, 9.3, 1.4), segment(4.4, -9.3, 2, 9.3, 1.4),
                     segment(-9, -3.5, 9, -3.5, 1.4), segment(-9.5, 3.5, 8.5, 3.5, 1.4)});
    ink(c, s, rgb(230, 60, 140));
}

void binary(Canvas &c)
{
    Shape zero = outline(ellipse(-4.5, 0, 3.6, 7.5), 1.35);
    Shape one = unite({segment(5, -8, 5, 8, 1.4), segment(5, -8, 2, -5.5, 1.3),
                       segment(2, 8, 8, 8, 1.3)});
    ink(c, unite(zero, one), rgb(30, 165, 70));
}

void pi_sign(Canvas &c)
{
    Shape bar = polyline({-9, -4, -7, -6.5, 9, -6.5}, 1.5);
    Shape left = polyline({-3.5, -6.5, -4, 2, -5.5, 8}, 1.5);
    Shape right = polyline({3.5, -6.5, 3.5, 5.5, 4.5, 7.8, 7.5, 7.2}, 1.5);
    ink(c, unite({bar, left, right}), rgb(145, 60, 205));
}

void sigma(Canvas &c)
{
    ink(c, polyline({8, -7, 8, -9, -7, -9, 1, 0, -7, 9, 8, 9, 8, 7}, 1.5), rgb(190, 30, 60));
}

void lambda(Canvas &c)
{
    Shape s = unite(polyline({-7, -9.3, -3.5, -9.3, 6.8, 8.8, 8.5, 7.8}, 1.5), segment(0.8, -1.2, -6.5, 9, 1.5));
    ink(c, s, rgb(215, 95, 0));
}

void infinity(Canvas &c)
{
    std::vector<double> pts;
    for (int i = 0; i <= 64; i++) {
        double t = 2 * pi * i / 64;
        double d = 1 + std::sin(t) * std::sin(t);
        pts.push_back(9.4 * std::cos(t) / d);
        pts.push_back(9.4 * std::sin(t) * std::cos(t) / d * 1.3);
    }
    ink(c, polyline(pts, 1.6), rgb(20, 160, 120));
}

// --- Hardware ---------------------------------------------------------------------------

void gear(Canvas &c)
{
    std::vector<Shape> teeth{circle(0, 0, 7.6)};
    for (int i = 0; i < 8; i++)
        teeth.push_back(rotated(box(-2, -10.8, 2, -5, 0.8), 0, 0, 45 * i + 22.5));
    Shape wheel = subtract(unite(teeth), circle(0, 0, 3));
    ink(c, wheel, rgb(125, 135, 155), 0.9, 0.6);
    c.fill(outline(circle(0, 0, 5.3), 0.45), darker(rgb(125, 135, 155), 0.4));
}

void chip(Canvas &c)
{
    const Colour pin = rgb(205, 205, 215);
    std::vector<Shape> pins;
    for (int k = -1; k <= 1; k++) {
        double o = 4.2 * k;
        pins.push_back(box(o - 1.1, -10.5, o + 1.1, 0));
        pins.push_back(box(o - 1.1, 0, o + 1.1, 10.5));
        pins.push_back(box(-10.5, o - 1.1, 0, o + 1.1));
        pins.push_back(box(0, o - 1.1, 10.5, o + 1.1));
    }
    c.sticker(unite(pins), pin, rgb(70, 70, 80), 0.8);
    c.sticker(box(-7, -7, 7, 7, 1.2), rgb(45, 45, 55), rgb(20, 20, 25), 0.8);
    c.fill(circle(-3.8, -3.8, 1.3), rgb(130, 130, 145));
}

void floppy(Canvas &c)
{
    const Colour body = rgb(45, 75, 185);
    ink(c, polygon({-9.5, -9.5, 6, -9.5, 9.5, -6, 9.5, 9.5, -9.5, 9.5}), body, 0.9, 0.6);
    c.sticker(box(-4.5, -9.5, 5, -3, 0.5), rgb(200, 205, 215), rgb(90, 95, 110), 0.6);
    c.fill(box(1.5, -8.3, 3.5, -4.3), rgb(60, 65, 80));
    c.fill(box(-6.5, 1, 6.5, 9.5, 0.8), rgb(250, 250, 250));
    c.fill(box(-4.5, 3.5, 4.5, 4.5), rgb(170, 170, 190));
    c.fill(box(-4.5, 6, 4.5, 7), rgb(170, 170, 190));
}

void headphones(Canvas &c)
{
    const Colour band = rgb(60, 60, 70);
    ink(c, arc(0, 1.5, 8.3, -180, 0, 1.4), band, 0.8, 0.5);
    const Colour cushion = rgb(230, 70, 50);
    ink(c, unite(box(-10.8, -0.5, -5.2, 10, 2), box(5.2, -0.5, 10.8, 10, 2)), cushion, 0.9, 0.55);
    c.fill(unite(box(-9.2, 1.5, -6.8, 8, 1), box(6.8, 1.5, 9.2, 8, 1)), darker(cushion, 0.7));
}

void key_symbol(Canvas &c)
{
    const Colour gold = rgb(225, 170, 25);
    Shape bow = subtract(circle(-5, -5, 5), circle(-6, -6, 1.8));
    Shape shaft = segment(-2, -2, 9, 9, 1.6);
    Shape teeth = unite(segment(4.5, 4.5, 7.5, 1.5, 1.4), segment(7.5, 7.5, 10, 5, 1.3));
    ink(c, unite({bow, shaft, teeth}), gold, 0.9, 0.6);
}

void terminal(Canvas &c)
{
    c.sticker(box(-10.5, -8.5, 10.5, 9, 2), rgb(35, 40, 52), rgb(15, 15, 20), 0.8);
    c.fill(box(-10.5, -8.5, 10.5, -5.5, 2), rgb(110, 118, 135));
    c.fill(box(-10.5, -6.5, 10.5, -5.5), rgb(110, 118, 135));
    const Colour glow = rgb(90, 240, 110);
    c.fill(polyline({-7, -2, -3, 1.2, -7, 4.4}, 1.1), glow);
    c.fill(box(-0.5, 4, 6.5, 5.8), glow);
}

void bolt(Canvas &c)
{
    Shape s = polygon({3, -11, -7.5, 2, -1, 2, -4, 11, 8, -3.5, 1.5, -3.5, 5.5, -11});
    ink(c, s, rgb(255, 205, 0), 1.0, 0.5);
}

void power(Canvas &c)
{
    Shape s = unite(arc(0, 0.5, 8.2, -55, 235, 1.7), segment(0, -9.3, 0, -1, 1.7));
    ink(c, s, rgb(225, 40, 40));
}

void battery(Canvas &c)
{
    const Colour case_colour = rgb(70, 72, 80);
    c.fill(box(8, -2.6, 11, 2.6, 0.8), case_colour);
    c.fill(outline(box(-10, -6, 8, 6, 1.6), 1.1), case_colour);
    for (int i = 0; i < 3; i++)
        ink(c, box(-7.2 + 4.6 * i, -3.3, -4 + 4.6 * i, 3.3, 0.4), rgb(60, 200, 60), 0.5);
}

void wifi(Canvas &c)
{
    const Colour blue = rgb(25, 130, 230);
    Shape s = unite({circle(0, 8, 2.2), arc(0, 8, 6, -135, -45, 1.5), arc(0, 8, 11, -135, -45, 1.5),
                     arc(0, 8, 16, -128, -52, 1.5)});
    ink(c, s, blue);
}

void padlock(Canvas &c)
{
    Shape shackle = unite({arc(0, -3.5, 5.2, 180, 360, 1.5), segment(-5.2, -3.5, -5.2, 0, 1.5),
                           segment(5.2, -3.5, 5.2, 0, 1.5)});
    ink(c, shackle, rgb(165, 170, 180), 0.8, 0.6);
    ink(c, box(-8.5, -0.5, 8.5, 10.5, 1.6), rgb(135, 70, 200), 0.9, 0.6);
    c.fill(unite(circle(0, 3.5, 1.8), polygon({-1.2, 4, 1.2, 4, 1.6, 8, -1.6, 8})), rgb(40, 20, 60));
}

void database(Canvas &c)
{
    const Colour side = rgb(70, 80, 190);
    const Colour top = lighter(side, 0.35);
    Shape body = unite({ellipse(0, -7, 8.5, 3.2), box(-8.5, -7, 8.5, 7.5), ellipse(0, 7.5, 8.5, 3.2)});
    ink(c, body, side, 0.9, 0.6);
    for (double y : {-2.0, 2.8})
        c.fill(intersect(outline(ellipse(0, y, 8.5, 3.2), 0.5), box(-9, y, 9, y + 4)),
               darker(side, 0.5));
    c.fill(ellipse(0, -7, 7.8, 2.6), top);
}

void hourglass(Canvas &c)
{
    const Colour wood = rgb(135, 80, 35);
    Shape glass = polygon({-6.5, -8.5, 6.5, -8.5, 1.2, 0, 6.5, 8.5, -6.5, 8.5, -1.2, 0});
    c.sticker(glass, rgb(215, 235, 245), rgb(60, 80, 100), 0.8);
    Shape sand_top = polygon({-3.7, -4, 3.7, -4, 0.5, 0.5, -0.5, 0.5});
    Shape sand_bottom = intersect(glass, ellipse(0, 10, 7, 5.5));
    c.fill(unite(sand_top, sand_bottom), rgb(235, 165, 40));
    c.fill(segment(0, 0, 0, 6, 0.4), rgb(235, 165, 40));
    ink(c, box(-8.5, -11, 8.5, -8.5, 1), wood, 0.7);
    ink(c, box(-8.5, 8.5, 8.5, 11, 1), wood, 0.7);
}

void mug(Canvas &c)
{
    const Colour brown = rgb(160, 90, 45);
    ink(c, unite(box(-8, -3, 4.5, 10, 2), arc(4.5, 3.5, 3.8, -90, 90, 1.3)), brown, 0.9, 0.6);
    c.fill(box(-6.8, -2, 3.3, 0, 0.5), rgb(80, 45, 20));
    const Colour steam = rgb(140, 140, 150);
    c.fill(polyline({-4.5, -5, -3.2, -7, -4.5, -9, -3.2, -11}, 0.8), steam);
    c.fill(polyline({0.5, -5, 1.8, -7, 0.5, -9, 1.8, -11}, 0.8), steam);
}

void robot(Canvas &c)
{
    const Colour metal = rgb(160, 172, 190);
    c.fill(segment(0, -6, 0, -8.5, 0.8), darker(metal, 0.5));
    ink(c, circle(0, -9.5, 1.8), rgb(230, 40, 40), 0.6);
    ink(c, box(-11, -1, -8.5, 4, 0.6), darker(metal, 0.2), 0.6);
    ink(c, box(8.5, -1, 11, 4, 0.6), darker(metal, 0.2), 0.6);
    ink(c, box(-8.5, -6, 8.5, 9, 2.2), metal, 0.9, 0.6);
    c.fill(circle(-3.5, 0, 2.2), rgb(40, 40, 50));
    c.fill(circle(3.5, 0, 2.2), rgb(40, 40, 50));
    c.fill(circle(-3.5, 0, 1.2), rgb(255, 60, 40));
    c.fill(circle(3.5, 0, 1.2), rgb(255, 60, 40));
    c.fill(box(-4.5, 4.5, 4.5, 6.2, 0.5), rgb(50, 50, 60));
}

void joystick(Canvas &c)
{
    c.sticker(box(-10, 4.5, 10, 10.5, 2), rgb(55, 55, 65), rgb(20, 20, 25), 0.8);
    c.fill(circle(-6.5, 7.5, 1.5), rgb(255, 210, 0));
    c.sticker(segment(0, 6, 0, -4, 1.2), rgb(190, 190, 200), rgb(70, 70, 80), 0.6);
    ink(c, circle(0, -5.5, 4.8), rgb(225, 30, 30), 0.9, 0.5);
    c.fill(circle(-1.5, -7, 1.4), rgb(255, 150, 150));
}

void monitor(Canvas &c)
{
    const Colour frame = rgb(70, 72, 82);
    c.fill(box(-6, 8.5, 6, 10.5, 1), frame);
    c.fill(box(-1.6, 4, 1.6, 9), frame);
    c.sticker(box(-11, -9, 11, 5, 1.5), frame, rgb(25, 25, 30), 0.7);
    c.fill(box(-9, -7, 9, 3), vertical_gradient(-7, rgb(110, 190, 255), 3, rgb(40, 110, 220)));
    c.fill(polygon({-9, -7, -2, -7, -9, 0}), rgb(255, 255, 255), 0.25);
}

void bug(Canvas &c)
{
    const Colour black = rgb(30, 25, 25);
    for (double side : {-1.0, 1.0}) {
        c.fill(polyline({side * 3.5, -1, side * 8, -4, side * 9.5, -6}, 0.75), black);
        c.fill(polyline({side * 4, 3, side * 9, 3, side * 10.5, 2}, 0.75), black);
        c.fill(polyline({side * 3.5, 6.5, side * 7.5, 9.5, side * 8, 11}, 0.75), black);
        c.fill(polyline({side * 1.2, -8, side * 3, -10.5, side * 5, -11}, 0.6), black);
    }
    c.fill(circle(0, -6.8, 3.2), black);
    ink(c, ellipse(0, 2.5, 6.3, 7.8), rgb(220, 35, 25), 0.8, 0.6);
    c.fill(segment(0, -5, 0, 10, 0.55), black);
    for (auto [x, y] : {std::pair{-3.2, 0.0}, {3.2, 0.0}, {-2.8, 5.5}, {2.8, 5.5}})
        c.fill(circle(x, y, 1.4), black);
}

void bulb(Canvas &c)
{
    const Colour glass = rgb(255, 215, 40);
    Shape lamp = unite(circle(0, -3.5, 7.2), polygon({-4.5, 0, 4.5, 0, 3.2, 5, -3.2, 5}));
    ink(c, lamp, glass, 1.0, 0.45);
    c.fill(polyline({-2.5, 3, -2, -2, 0, -4, 2, -2, 2.5, 3}, 0.55), rgb(200, 110, 0));
    c.sticker(box(-3.4, 5, 3.4, 9.5, 0.8), rgb(160, 165, 175), rgb(60, 62, 70), 0.7);
    c.fill(segment(-3.2, 7.2, 3.2, 7.2, 0.4), rgb(90, 92, 100));
    c.fill(box(-1.6, 9.5, 1.6, 11, 0.6), rgb(60, 62, 70));
    c.fill(circle(-3, -6, 1.5), rgb(255, 255, 220));
}

void rocket(Canvas &c)
{
    // Drawn upright, then the whole ship is tilted by turning every shape the same way.
    auto tilt = [](const Shape &s) { return rotated(s, 0, 0, 40); };
    const Colour red = rgb(220, 40, 40);
    c.fill(tilt(polygon({-2.5, 8, 2.5, 8, 0, 13})), rgb(255, 160, 0));
    c.fill(tilt(polygon({-1.2, 8, 1.2, 8, 0, 11})), rgb(255, 235, 120));
    ink(c, tilt(unite(polygon({-3.5, 2, -7, 8, -7, 9.5, -3.5, 7.5}), polygon({3.5, 2, 7, 8, 7, 9.5, 3.5, 7.5}))), red, 0.7);
    Shape hull = unite(intersect(ellipse(0, 1, 4, 12), box(-5, -11, 5, 8.5)), box(-4, 3, 4, 8.5));
    c.sticker(tilt(hull), rgb(245, 245, 250), rgb(40, 40, 50), 1.0);
    c.fill(tilt(intersect(ellipse(0, 1, 4, 12), box(-5, -12, 5, -6))), red);
    c.sticker(tilt(circle(0, -1.5, 2)), rgb(80, 170, 240), rgb(30, 40, 60), 0.7);
}

void atom(Canvas &c)
{
    const Colour cyan = rgb(0, 165, 205);
    for (int i = 0; i < 3; i++)
        ink(c, rotated(outline(ellipse(0, 0, 10.8, 4.1), 0.75), 0, 0, 60 * i), cyan, 0.6, 0.6);
    ink(c, circle(0, 0, 2.4), rgb(230, 50, 40), 0.6);
}

void d20(Canvas &c)
{
    std::vector<double> hex;
    for (int i = 0; i < 6; i++) {
        double a = (60 * i - 90) * pi / 180;
        hex.push_back(10.6 * std::cos(a));
        hex.push_back(10.6 * std::sin(a));
    }
    const Colour violet = rgb(110, 80, 215);
    ink(c, polygon(hex), violet, 0.9, 0.6);
    std::vector<double> tri = {0, -5.5, 6.4, 5.2, -6.4, 5.2};
    c.fill(polygon(tri), lighter(violet, 0.25));
    const Colour line = lighter(violet, 0.6);
    Shape lines = unite({polyline({0, -5.5, 6.4, 5.2, -6.4, 5.2, 0, -5.5}, 0.45),
                         segment(0, -5.5, hex[0], hex[1], 0.45), segment(0, -5.5, hex[2], hex[3], 0.45),
                         segment(0, -5.5, hex[10], hex[11], 0.45), segment(6.4, 5.2, hex[2], hex[3], 0.45),
                         segment(6.4, 5.2, hex[4], hex[5], 0.45), segment(-6.4, 5.2, hex[8], hex[9], 0.45),
                         segment(-6.4, 5.2, hex[10], hex[11], 0.45), segment(6.4, 5.2, hex[6], hex[7], 0.45),
                         segment(-6.4, 5.2, hex[6], hex[7], 0.45)});
    c.fill(lines, line);
}

void magnet(Canvas &c)
{
    const Colour red = rgb(215, 35, 45);
    Shape horseshoe = unite({arc(0, 0, 6.3, 0, 180, 3), box(-9.3, -10, -3.3, 0), box(3.3, -10, 9.3, 0)});
    ink(c, horseshoe, red, 0.9, 0.6);
    c.fill(box(-9.3, -10, -3.3, -6.5), rgb(205, 208, 215));
    c.fill(box(3.3, -10, 9.3, -6.5), rgb(205, 208, 215));
    c.fill(outline(grow(horseshoe, 0.45), 0.45), darker(red, 0.6));
}

void usb(Canvas &c)
{
    const Colour ink_colour = rgb(40, 45, 60);
    Shape stem = segment(0, 9, 0, -6, 1.2);
    Shape head = polygon({0, -11, 3.2, -5.5, -3.2, -5.5});
    Shape left = unite(polyline({0, 5, -6, 1, -6, -2.5}, 1.1), circle(-6, -3.5, 2.2));
    Shape right = unite(polyline({0, 2, 6, -1.5, 6, -4}, 1.1), box(4, -7, 8, -3.5));
    Shape foot = circle(0, 9, 2.5);
    ink(c, unite({stem, head, left, right, foot}), ink_colour, 0.6, 0.5);
}

void flask(Canvas &c)
{
    Shape glass = polygon({-3, -10, 3, -10, 3, -3.5, 9.5, 9.5, -9.5, 9.5, -3, -3.5});
    c.sticker(glass, rgb(225, 240, 245), rgb(45, 60, 75), 1.0);
    c.fill(intersect(glass, box(-12, 1.5, 12, 12)), rgb(120, 205, 40));
    c.fill(intersect(glass, box(-12, 1.5, 12, 2.6)), rgb(175, 235, 110));
    c.fill(circle(-1.5, 5.5, 1.3), rgb(200, 245, 150));
    c.fill(circle(2.5, 3.5, 0.9), rgb(200, 245, 150));
    c.fill(circle(1, -6, 1), rgb(180, 220, 230));
    c.fill(box(-4.5, -11, 4.5, -9.5, 0.6), rgb(45, 60, 75));
}

void folder(Canvas &c)
{
    const Colour yellow = rgb(245, 185, 45);
    ink(c, polygon({-10.5, -8, -4, -8, -2, -5.5, 10.5, -5.5, 10.5, 8.5, -10.5, 8.5}), darker(yellow, 0.2), 0.9, 0.6);
    ink(c, polygon({-10.5, 8.5, -8.5, -2, 12, -2, 10.5, 8.5}), yellow, 0.8, 0.6);
}

void globe(Canvas &c)
{
    const Colour sea = rgb(35, 120, 215);
    ink(c, circle(0, 0, 10.3), sea, 0.9, 0.6);
    const Colour line = rgb(190, 230, 255);
    Shape lines = unite({outline(ellipse(0, 0, 4.3, 10.3), 0.5), segment(0, -10, 0, 10, 0.5),
                         segment(-10, 0, 10, 0, 0.5),
                         intersect(outline(ellipse(0, 0, 9, 9), 0.5), box(-12, -12, 12, -5)),
                         intersect(outline(ellipse(0, 0, 9, 9), 0.5), box(-12, 5, 12, 12))});
    c.fill(intersect(lines, circle(0, 0, 10)), line);
    c.fill(intersect(outline(circle(0, -14, 11), 0.5), circle(0, 0, 10)), line);
    c.fill(intersect(outline(circle(0, 14, 11), 0.5), circle(0, 0, 10)), line);
}

void disc(Canvas &c)
{
    Shape cd = subtract(circle(0, 0, 10.5), circle(0, 0, 2));
    c.sticker(cd, rgb(200, 205, 215), rgb(70, 75, 90), 0.8);
    // A rainbow sheen across the silver.
    const Colour sheen[] = {rgb(255, 120, 120), rgb(255, 230, 110), rgb(120, 230, 140), rgb(120, 170, 255),
                            rgb(200, 130, 255)};
    for (int i = 0; i < 5; i++)
        c.fill(intersect(cd, arc(0, 0, 6.5, -150 + 12 * i, -138 + 12 * i, 3.6)), sheen[i], 0.8);
    for (int i = 0; i < 5; i++)
        c.fill(intersect(cd, arc(0, 0, 6.5, 30 + 12 * i, 42 + 12 * i, 3.6)), sheen[i], 0.8);
    c.fill(outline(circle(0, 0, 3.6), 0.5), rgb(120, 125, 140));
}

}  // namespace

const std::vector<Symbol> &symbol_list()
{
    // Exactly 36: with the shipped layouts of 144 pieces every symbol then comes on four
    // pieces, which leaves more deals that can be cleared than a larger set would.
    static const std::vector<Symbol> list = {
        {"braces", braces},     {"tag", tag},           {"gear", gear},           {"chip", chip},
        {"bug", bug},           {"floppy", floppy},     {"headphones", headphones}, {"binary", binary},
        {"key", key_symbol},    {"terminal", terminal}, {"bolt", bolt},           {"power", power},
        {"battery", battery},   {"wifi", wifi},         {"padlock", padlock},     {"database", database},
        {"hourglass", hourglass}, {"mug", mug},         {"robot", robot},         {"joystick", joystick},
        {"monitor", monitor},   {"hash", hash},         {"atom", atom},           {"bulb", bulb},
        {"rocket", rocket},     {"pi", pi_sign},        {"sigma", sigma},         {"lambda", lambda},
        {"infinity", infinity}, {"d20", d20},           {"magnet", magnet},       {"usb", usb},
        {"flask", flask},       {"folder", folder},     {"globe", globe},         {"disc", disc},
    };
    return list;
}

Canvas symbol_picture(int index)
{
    Canvas one(symbol_size, symbol_size);
    // The middle of the top face, seen from the symbol's corner; a little smaller than drawn,
    // so that a row and column of mask colour stay around every symbol.
    one.set_origin(face_width / 2.0 - symbol_x, face_height / 2.0 - symbol_y, 0.93);
    symbol_list()[index].draw(one);
    return one;
}

Canvas symbol_strip()
{
    const int n = static_cast<int>(symbol_list().size());
    Canvas strip(symbol_size * n, symbol_size);
    for (int i = 0; i < n; i++)
        strip.draw(symbol_picture(i), symbol_size * i, 0);
    return strip;
}

}  // namespace art
