// The veil: every form of the blend against the rule written out field by field, the worked
// examples, clipping, and the depths and factors that draw nothing.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "render/translucent.h"
#include "support/veil_rule.h"

namespace {

using veil_rule::Field;
using veil_rule::fields_of;
using veil_rule::veiled;

// A pixel of the given red, green and blue field values, in the layout makecol uses.
std::uint32_t rgb_pixel(int depth, int r, int g, int b)
{
    if (depth == 15)
        return (r << _rgb_r_shift_15) | (g << _rgb_g_shift_15) | (b << _rgb_b_shift_15);
    if (depth == 16)
        return (r << _rgb_r_shift_16) | (g << _rgb_g_shift_16) | (b << _rgb_b_shift_16);
    return (r << _rgb_r_shift_32) | (g << _rgb_g_shift_32) | (b << _rgb_b_shift_32);
}

std::string rgb_text(int depth, std::uint32_t p)
{
    int r, g, b;
    if (depth == 15) {
        r = (p >> _rgb_r_shift_15) & 31, g = (p >> _rgb_g_shift_15) & 31;
        b = (p >> _rgb_b_shift_15) & 31;
    } else if (depth == 16) {
        r = (p >> _rgb_r_shift_16) & 31, g = (p >> _rgb_g_shift_16) & 63;
        b = (p >> _rgb_b_shift_16) & 31;
    } else {
        r = (p >> _rgb_r_shift_32) & 255, g = (p >> _rgb_g_shift_32) & 255;
        b = (p >> _rgb_b_shift_32) & 255;
    }
    return "(" + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + ")";
}

// Raw pixel access, bits outside the fields included.
std::uint32_t raw(BITMAP *b, int x, int y)
{
    if (bitmap_color_depth(b) == 32)
        return reinterpret_cast<std::uint32_t *>(b->line[y])[x];
    return reinterpret_cast<std::uint16_t *>(b->line[y])[x];
}

void set_raw(BITMAP *b, int x, int y, std::uint32_t v)
{
    if (bitmap_color_depth(b) == 32)
        reinterpret_cast<std::uint32_t *>(b->line[y])[x] = v;
    else
        reinterpret_cast<std::uint16_t *>(b->line[y])[x] = static_cast<std::uint16_t>(v);
}

// Seed for the random tests: TILESTACK_TEST_SEED replays a failure.
unsigned test_seed()
{
    if (const char *s = std::getenv("TILESTACK_TEST_SEED"))
        return static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    return std::random_device{}();
}

std::string seed_note(unsigned seed)
{
    return "seed " + std::to_string(seed) + " (replay with TILESTACK_TEST_SEED=" +
           std::to_string(seed) + ")";
}

void fill_random(BITMAP *b, std::mt19937 &rng)
{
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            set_raw(b, x, y, rng());  // every bit, including those outside the fields
}

std::uint32_t random_colour(int depth, std::mt19937 &rng)
{
    std::uint32_t colour = 0;
    for (Field f : fields_of(depth))
        colour |= (rng() % (f.max + 1)) << f.shift;
    return colour;
}

std::vector<VeilForm> available_forms()
{
    std::vector<VeilForm> forms;
    for (VeilForm form : all_veil_forms)
        if (veil_form_available(form))
            forms.push_back(form);
    return forms;
}

// The first pixel where two bitmaps of equal size differ, as text; empty when none does.
std::string first_difference(BITMAP *expected, BITMAP *actual)
{
    for (int y = 0; y < expected->h; y++)
        for (int x = 0; x < expected->w; x++)
            if (raw(expected, x, y) != raw(actual, x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                       "): expected " + std::to_string(raw(expected, x, y)) + ", got " +
                       std::to_string(raw(actual, x, y));
    return "";
}

const int depths[] = {15, 16, 32};

// ---- Every form against the rule ------------------------------------------------------

// Each row of the test bitmap holds one rectangle: widths 1 to 70, each at every start
// position within a 64-byte vector (the widest form's). Every factor from -5 to 260, each with its own colour.
TEST(VeilFormsTest, EveryFormGivesTheRulesPixelsForEveryWidthAlignmentAndFactor)
{
    const unsigned seed = test_seed();
    SCOPED_TRACE(seed_note(seed));
    std::mt19937 rng(seed);
    const std::vector<VeilForm> forms = available_forms();

    for (int depth : depths) {
        const int alignments = 64 / (depth == 32 ? 4 : 2);
        const int rows = 70 * alignments;
        BITMAP *source = create_bitmap_ex(depth, 70 + alignments, rows);
        BITMAP *expected = create_bitmap_ex(depth, source->w, rows);
        BITMAP *actual = create_bitmap_ex(depth, source->w, rows);
        fill_random(source, rng);

        bool failed = false;  // one report per depth is enough to go on
        for (int factor = -5; factor <= 260 && !failed; factor++) {
            const std::uint32_t colour = random_colour(depth, rng);
            blit(source, expected, 0, 0, 0, 0, source->w, rows);
            for (int r = 0; r < rows; r++)
                for (int x = r % alignments; x < r % alignments + r / alignments + 1; x++)
                    set_raw(expected, x, r, veiled(raw(source, x, r), colour, depth, factor));

            for (VeilForm form : forms) {
                blit(source, actual, 0, 0, 0, 0, source->w, rows);
                for (int r = 0; r < rows; r++)
                    fill_rect_translucent_in_form(form, actual, r % alignments, r,
                                                  r / alignments + 1, 1, colour, factor);
                std::string diff = first_difference(expected, actual);
                if (!diff.empty()) {
                    ADD_FAILURE() << veil_form_name(form) << " form, depth " << depth
                                  << ", factor " << factor << ", colour " << colour << ": "
                                  << diff << " (row r holds width r / " << alignments
                                  << " + 1 from x = r % " << alignments << ")";
                    failed = true;
                    break;
                }
            }
        }
        destroy_bitmap(source);
        destroy_bitmap(expected);
        destroy_bitmap(actual);
    }
}

// Rectangles anywhere, of any size, partly or wholly outside a small bitmap.
TEST(VeilFormsTest, EveryFormClipsToTheWholeBitmap)
{
    const unsigned seed = test_seed();
    SCOPED_TRACE(seed_note(seed));
    std::mt19937 rng(seed);
    auto between = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };

    for (int depth : depths) {
        BITMAP *source = create_bitmap_ex(depth, 37, 23);
        BITMAP *expected = create_bitmap_ex(depth, 37, 23);
        BITMAP *actual = create_bitmap_ex(depth, 37, 23);
        for (int round = 0; round < 300; round++) {
            fill_random(source, rng);
            const int x = between(-45, 45), y = between(-30, 30);
            const int w = between(-5, 90), h = between(-5, 60);
            const int factor = between(-5, 260);
            const std::uint32_t colour = random_colour(depth, rng);

            blit(source, expected, 0, 0, 0, 0, 37, 23);
            for (int py = std::max(y, 0); py < std::min(y + h, 23); py++)
                for (int px = std::max(x, 0); px < std::min(x + w, 37); px++)
                    set_raw(expected, px, py, veiled(raw(source, px, py), colour, depth, factor));

            for (VeilForm form : available_forms()) {
                blit(source, actual, 0, 0, 0, 0, 37, 23);
                fill_rect_translucent_in_form(form, actual, x, y, w, h, colour, factor);
                EXPECT_EQ(first_difference(expected, actual), "")
                    << veil_form_name(form) << " form, depth " << depth << ", rectangle (" << x
                    << ", " << y << ", " << w << ", " << h << "), factor " << factor;
            }
        }
        destroy_bitmap(source);
        destroy_bitmap(expected);
        destroy_bitmap(actual);
    }
}

// ---- Worked examples, through the call the game makes ----------------------------------

struct Example {
    int depth, factor;
    std::uint32_t before, after;
};

TEST(VeilTest, DarkBlueOverWhiteAndBlackGivesTheWorkedResults)
{
    const Example examples[] = {
        {16, 128, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 15, 31, 23)},
        {15, 128, rgb_pixel(15, 31, 31, 31) | 0x8000, rgb_pixel(15, 15, 15, 23)},  // bit 15 cleared
        {32, 128, 0xFFFFFFFF, rgb_pixel(32, 126, 126, 190)},                  // top byte cleared
        {32, 128, 0, rgb_pixel(32, 0, 0, 64)},
        {32, 120, rgb_pixel(32, 255, 255, 255), rgb_pixel(32, 134, 134, 194)},
        {16, 1, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 30, 61, 30)},
        {16, 8, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 30, 61, 30)},
        {16, 9, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 29, 59, 30)},
        {16, 248, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 0, 1, 15)},
        {16, 249, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 0, 0, 16)},  // the colour itself
        {16, 255, rgb_pixel(16, 31, 63, 31), rgb_pixel(16, 0, 0, 16)},
        {32, 254, rgb_pixel(32, 255, 255, 255), rgb_pixel(32, 0, 0, 127)},
        {32, 255, rgb_pixel(32, 255, 255, 255), rgb_pixel(32, 0, 0, 128)},
        {32, 1000, rgb_pixel(32, 255, 255, 255), rgb_pixel(32, 0, 0, 128)},  // as 255
    };
    for (const Example &e : examples) {
        BITMAP *b = create_bitmap_ex(e.depth, 3, 1);
        for (int x = 0; x < 3; x++)
            set_raw(b, x, 0, e.before);
        fill_rect_translucent(b, 1, 0, 1, 1, makecol_depth(e.depth, 0, 0, 128), e.factor);
        EXPECT_EQ(rgb_text(e.depth, raw(b, 1, 0)), rgb_text(e.depth, e.after))
            << "depth " << e.depth << ", factor " << e.factor;
        EXPECT_EQ(raw(b, 1, 0), e.after) << "bits outside the fields, depth " << e.depth;
        EXPECT_EQ(raw(b, 0, 0), e.before) << "left neighbour touched";
        EXPECT_EQ(raw(b, 2, 0), e.before) << "right neighbour touched";
        destroy_bitmap(b);
    }
}

// ---- What draws nothing, and where -----------------------------------------------------

TEST(VeilTest, FactorZeroOrBelowAndDepths8And24LeaveTheBitmapAlone)
{
    std::mt19937 rng(7);
    const int cases[][2] = {{15, 0}, {16, 0}, {32, 0}, {15, -1}, {16, -300}, {32, INT_MIN},
                            {8, 128}, {8, 255}, {24, 1}, {24, 128}, {24, 255}};
    for (auto [depth, factor] : cases) {
        BITMAP *b = create_bitmap_ex(depth, 20, 10);
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 20; x++)
                putpixel(b, x, y, makecol_depth(depth, rng() % 256, rng() % 256, rng() % 256));
        BITMAP *before = create_bitmap_ex(depth, 20, 10);
        blit(b, before, 0, 0, 0, 0, 20, 10);
        fill_rect_translucent(b, 0, 0, 20, 10, makecol_depth(depth, 0, 0, 128), factor);
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 20; x++)
                ASSERT_EQ(getpixel(b, x, y), getpixel(before, x, y))
                    << "depth " << depth << ", factor " << factor << " at " << x << ", " << y;
        destroy_bitmap(b);
        destroy_bitmap(before);
    }
}

// Counts the pixels that changed from 0 under a white veil.
int touched(BITMAP *b)
{
    int n = 0;
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++)
            n += raw(b, x, y) != 0;
    return n;
}

TEST(VeilTest, RectanglesReachingFarOutsideAreClippedWithoutOverflow)
{
    struct Case {
        int x, y, w, h, pixels;
    };
    const Case cases[] = {
        {-10, -10, 20, 20, 100},  // the 10 x 10 at the corner
        {40, 0, 5, 5, 0},         // x at the width
        {41, 0, 5, 5, 0},
        {0, 0, 10000, 10000, 40 * 30},
        {5, 5, INT_MAX, INT_MAX, 35 * 25},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0},
        {INT_MIN + 1, 0, INT_MAX, 30, 0},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, 0},
        {-5, 0, INT_MIN, 30, 0},
    };
    for (int depth : depths)
        for (const Case &c : cases)
            for (int factor : {100, 255}) {
                BITMAP *b = create_bitmap_ex(depth, 40, 30);
                clear_bitmap(b);
                const int white = makecol_depth(depth, 255, 255, 255);
                fill_rect_translucent(b, c.x, c.y, c.w, c.h, white, factor);
                EXPECT_EQ(touched(b), c.pixels)
                    << "depth " << depth << ", factor " << factor << ", rectangle (" << c.x
                    << ", " << c.y << ", " << c.w << ", " << c.h << ")";
                destroy_bitmap(b);
            }
}

// A sub-bitmap's rows lie apart in its parent: veiling the whole sub-bitmap must not run on
// into the parent's pixels between them.
TEST(VeilTest, WholeSubBitmapIsVeiledAndNothingAroundIt)
{
    for (int depth : depths)
        for (VeilForm form : available_forms()) {
            BITMAP *parent = create_bitmap_ex(depth, 64, 20);
            clear_bitmap(parent);
            BITMAP *sub = create_sub_bitmap(parent, 5, 3, 40, 10);
            fill_rect_translucent_in_form(form, sub, 0, 0, 40, 10,
                                          makecol_depth(depth, 255, 255, 255), 100);
            int inside = 0, outside = 0;
            for (int y = 0; y < 20; y++)
                for (int x = 0; x < 64; x++) {
                    const bool in = x >= 5 && x < 45 && y >= 3 && y < 13;
                    (in ? inside : outside) += raw(parent, x, y) != 0;
                }
            EXPECT_EQ(inside, 400) << veil_form_name(form) << " form, depth " << depth;
            EXPECT_EQ(outside, 0) << veil_form_name(form) << " form, depth " << depth;
            destroy_bitmap(sub);
            destroy_bitmap(parent);
        }
}

// The blend ignores the bitmap's clipping rectangle; the solid fill at full weight must cover
// the same pixels, or a veil would change shape between factor 248 and 249.
TEST(VeilTest, BlendAndSolidFillBothIgnoreTheClippingRectangle)
{
    for (int depth : depths)
        for (int factor : {100, 255}) {
            BITMAP *b = create_bitmap_ex(depth, 40, 30);
            clear_bitmap(b);
            set_clip_rect(b, 10, 10, 19, 19);
            fill_rect_translucent(b, 0, 0, 40, 30, makecol_depth(depth, 255, 255, 255), factor);
            EXPECT_EQ(touched(b), 40 * 30) << "depth " << depth << ", factor " << factor;
            EXPECT_EQ(b->cl, 10) << "clipping rectangle not restored";
            EXPECT_TRUE(get_clip_state(b)) << "clipping left switched off";
            destroy_bitmap(b);
        }
}

// A bitmap that, like the library's screen bitmap under X11, shows a row (copies it to
// `shown`, here) when the address of another row is asked for and when writing ends. So a
// row that is not blended before the next row's address is taken shows unveiled.
namespace pushed_rows {
BITMAP *shown = nullptr;
int last = -1;  // the row whose address was asked for last, -1 for none

void push(BITMAP *b, int row)
{
    const size_t pixel_bytes = bitmap_color_depth(b) == 32 ? 4 : 2;
    std::memcpy(shown->line[row], b->line[row], static_cast<size_t>(b->w) * pixel_bytes);
}
uintptr_t write_line(BITMAP *b, int row)
{
    if (last >= 0 && last != row)
        push(b, last);
    last = row;
    return reinterpret_cast<uintptr_t>(b->line[row]);
}
void unwrite_line(BITMAP *b)
{
    if (last >= 0)
        push(b, last);
    last = -1;
}
}  // namespace pushed_rows

TEST(VeilTest, OnABitmapThatShowsRowsAsTheyAreLeftEachRowIsBlendedFirst)
{
    std::mt19937 rng(test_seed());
    for (int depth : depths)
        for (VeilForm form : available_forms()) {
            BITMAP *b = create_bitmap_ex(depth, 37, 9);
            fill_random(b, rng);
            pushed_rows::shown = create_bitmap_ex(depth, 37, 9);
            blit(b, pushed_rows::shown, 0, 0, 0, 0, 37, 9);
            void *memory_switch = b->write_bank;
            const GFX_VTABLE *memory_vtable = b->vtable;
            GFX_VTABLE switching = *b->vtable;
            switching.unwrite_bank = reinterpret_cast<void *>(pushed_rows::unwrite_line);
            b->vtable = &switching;
            b->write_bank = reinterpret_cast<void *>(pushed_rows::write_line);
            b->id |= BMP_ID_SYSTEM;  // not a memory bitmap: rows are asked for one by one

            fill_rect_translucent_in_form(form, b, 3, 1, 30, 7, random_colour(depth, rng), 100);

            b->id &= ~BMP_ID_SYSTEM;
            b->write_bank = memory_switch;
            b->vtable = const_cast<GFX_VTABLE *>(memory_vtable);
            EXPECT_EQ(first_difference(b, pushed_rows::shown), "")
                << veil_form_name(form) << " form, depth " << depth
                << ": what is shown is what was veiled";
            destroy_bitmap(pushed_rows::shown);
            destroy_bitmap(b);
        }
}

}  // namespace
