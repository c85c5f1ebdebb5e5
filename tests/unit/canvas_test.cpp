// The data tool's painter: how much of each pixel a shape covers, how shapes combine, how
// glyph outlines fill, and how a canvas becomes a picture or a sprite for the game.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "art/canvas.h"
#include "art/font.h"

namespace {

using namespace art;

constexpr double pi = 3.14159265358979323846;

// The coverage a white fill leaves, read back through an opaque picture over black.
double coverage_at(BITMAP *b, int x, int y) { return getr24(getpixel(b, x, y)) / 255.0; }

double total_coverage(const Shape &shape, int size)
{
    Canvas c(size, size);
    c.fill(shape, rgb(255, 255, 255));
    BITMAP *b = c.to_bitmap({0, 0, 0});
    double sum = 0;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            sum += coverage_at(b, x, y);
    destroy_bitmap(b);
    return sum;
}

TEST(Painter, FilledAreasMatchTheShapes)
{
    EXPECT_NEAR(total_coverage(circle(20, 20, 8), 40), pi * 64, pi * 64 * 0.01);
    EXPECT_NEAR(total_coverage(box(4, 6, 14, 11), 20), 50, 0.5);
    EXPECT_NEAR(total_coverage(subtract(circle(20, 20, 8), circle(20, 20, 4)), 40), pi * 48, pi * 48 * 0.02);
    EXPECT_NEAR(total_coverage(polygon({2, 2, 22, 2, 2, 22}), 30), 200, 2);
    // A band along the edge of a box, one pixel wide on either side of it.
    EXPECT_NEAR(total_coverage(outline(box(5, 5, 25, 25), 0.5), 30), 80, 1.5);
}

TEST(Painter, PixelsAreFullyInsideFullyOutsideOrSharedAtTheEdge)
{
    Canvas c(10, 10);
    c.fill(box(2, 2, 7.5, 6), rgb(255, 255, 255));
    BITMAP *b = c.to_bitmap({0, 0, 0});
    EXPECT_DOUBLE_EQ(coverage_at(b, 3, 3), 1.0);
    EXPECT_DOUBLE_EQ(coverage_at(b, 1, 3), 0.0);
    EXPECT_DOUBLE_EQ(coverage_at(b, 3, 6), 0.0);
    EXPECT_NEAR(coverage_at(b, 7, 3), 0.5, 0.01);  // the right edge halves column 7
    destroy_bitmap(b);
}

TEST(Painter, MovedTurnedAndScaledShapesLandWhereExpected)
{
    Shape bar = box(-6, -1, 6, 1);  // lying flat around the origin
    Shape upright = rotated(bar, 0, 0, 90);
    EXPECT_LT(upright.distance(0, 5), 0);
    EXPECT_GT(upright.distance(5, 0), 0);
    Shape shifted = moved(bar, 10, 20);
    EXPECT_LT(shifted.distance(15, 20), 0);
    EXPECT_GT(shifted.distance(5, 0), 0);
    Shape big = scaled(circle(0, 0, 2), 0, 0, 3);
    EXPECT_NEAR(big.distance(10, 0), 4, 1e-9);  // a circle of radius 6
    EXPECT_NEAR(grow(circle(0, 0, 2), 1.5).distance(5, 0), 1.5, 1e-9);
    // Bounds hold the whole shape, so that painting can keep to them.
    for (const Shape &s : {upright, shifted, big})
        for (double y = -40; y <= 40; y += 0.5)
            for (double x = -40; x <= 40; x += 0.5)
                if (s.distance(x, y) < 0) {
                    ASSERT_TRUE(x >= s.bounds.x0 && x <= s.bounds.x1 && y >= s.bounds.y0 && y <= s.bounds.y1);
                }
}

TEST(Painter, UnionOfManyPartsIsTheNearestPart)
{
    // Far parts are skipped by their boxes; the answer must be the same as asking every part.
    std::srand(5);
    std::vector<Shape> parts;
    for (int i = 0; i < 40; i++)
        parts.push_back(segment(std::rand() % 200, std::rand() % 200, std::rand() % 200, std::rand() % 200,
                                0.5 + std::rand() % 4));
    Shape all = unite(parts);
    for (int k = 0; k < 2000; k++) {
        double x = std::rand() % 2400 / 10.0 - 20, y = std::rand() % 2400 / 10.0 - 20;
        double nearest = 1e18;
        for (const Shape &p : parts)
            nearest = std::min(nearest, p.distance(x, y));
        ASSERT_NEAR(all.distance(x, y), nearest, 1e-9) << x << "," << y;
    }
}

TEST(Painter, OutlinesFillByWindingSoHolesStayEmpty)
{
    // An outer square one way round and an inner one the other way: a frame with a hole.
    std::vector<double> outer = {0, 0, 20, 0, 20, 20, 0, 20};
    std::vector<double> inner_reversed = {5, 5, 5, 15, 15, 15, 15, 5};
    std::vector<double> inner_same_way = {5, 5, 15, 5, 15, 15, 5, 15};
    Shape frame = outlines({outer, inner_reversed});
    EXPECT_LT(frame.distance(2, 10), 0);
    EXPECT_GT(frame.distance(10, 10), 0);
    EXPECT_GT(frame.distance(25, 10), 0);
    // Both the same way round wind twice around the middle: still filled.
    EXPECT_LT(outlines({outer, inner_same_way}).distance(10, 10), 0);
}

TEST(Painter, LettersFromTheFontHaveTheirCounters)
{
    TextRenderer text(TILESTACK_FONT_FILE);
    ASSERT_TRUE(text.ok()) << text.error();
    // An "o" set at 100 pixels on the baseline y = 100: ink on its ring, none in its middle.
    Shape o = text.text_shape("o", 100, 0, 100);
    double middle_x = (o.bounds.x0 + o.bounds.x1) / 2, middle_y = (o.bounds.y0 + o.bounds.y1) / 2;
    EXPECT_GT(o.distance(middle_x, middle_y), 0) << "the counter of the o is filled";
    EXPECT_LT(o.distance(o.bounds.x0 + 4, middle_y), 0) << "the stroke of the o is empty";
    EXPECT_LT(o.bounds.y1, 102) << "an o stands on the baseline";
    EXPECT_GT(o.bounds.y0, 40) << "an o is a lower-case letter";
    EXPECT_NEAR(text.text_width("oo", 100), 2 * text.text_width("o", 100), 1e-9);

    TextRenderer missing("/nonexistent/font.ttf");
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("/nonexistent/font.ttf"), std::string::npos);
}

TEST(Painter, SpritesKeepMaskColourWhereLittleIsCoveredAndNeverElsewhere)
{
    Canvas c(10, 4);
    c.fill(box(0, 0, 10, 1), rgb(255, 0, 255));       // fully covered, in the mask colour itself
    c.fill(box(0, 1, 10, 2), rgb(0, 0, 0), 0.3);      // covered less than the threshold
    c.fill(box(0, 2, 10, 3), rgb(0, 0, 0), 0.6);      // covered more: laid over `under`
    BITMAP *b = c.to_sprite(rgb(200, 100, 50), 0.5);  // row 3 stays empty
    const int mask = bitmap_mask_color(b);
    EXPECT_NE(getpixel(b, 4, 0), mask) << "a painted pixel must never read as transparent";
    EXPECT_EQ(getpixel(b, 4, 1), mask);
    EXPECT_EQ(getpixel(b, 4, 2), makecol24(80, 40, 20));
    EXPECT_EQ(getpixel(b, 4, 3), mask);
    // Not even once the game has loaded it into a 16-bit mode.
    BITMAP *b16 = create_bitmap_ex(16, 10, 4);
    blit(b, b16, 0, 0, 0, 0, 10, 4);
    EXPECT_NE(getpixel(b16, 4, 0), bitmap_mask_color(b16));
    EXPECT_EQ(getpixel(b16, 4, 1), bitmap_mask_color(b16));
    destroy_bitmap(b16);
    destroy_bitmap(b);
}

TEST(Painter, DitheredPicturesKeepTheirAverageIn16Bits)
{
    for (int level : {37, 100, 203}) {
        Canvas c(16, 16);
        c.cover(solid(rgb(level, level, level)));
        for (bool dither : {false, true}) {
            BITMAP *b = c.to_bitmap({0, 0, 0}, dither);
            BITMAP *b16 = create_bitmap_ex(16, 16, 16);
            blit(b, b16, 0, 0, 0, 0, 16, 16);
            double red = 0, green = 0;
            for (int y = 0; y < 16; y++)
                for (int x = 0; x < 16; x++) {
                    int p = getpixel(b16, x, y);
                    red += getr16(p) / 256.0;  // as shown: 31 steps of red, 63 of green
                    green += getg16(p) / 256.0;
                }
            if (dither) {
                EXPECT_NEAR(red, level, 0.8) << level;
                EXPECT_NEAR(green, level, 0.8) << level;
            } else {
                EXPECT_EQ(getr24(getpixel(b, 3, 3)), level);
            }
            destroy_bitmap(b16);
            destroy_bitmap(b);
        }
    }
}

}  // namespace
