// The file selector's roomy font: the built-in font with a blank row above and below each glyph.
#include <gtest/gtest.h>

#include <allegro.h>

#include "render/roomy_font.h"

namespace {

TEST(RoomyFont, EveryGlyphIsTheFontsOneRowLowerInABoxTwoRowsHigher)
{
    set_color_depth(16);
    FONT *roomy = roomy_font(font);
    ASSERT_NE(roomy, nullptr);
    EXPECT_EQ(text_height(roomy), text_height(font) + 2);
    ASSERT_EQ(get_font_ranges(roomy), get_font_ranges(font));
    const int ink = makecol(255, 255, 255), box = makecol(0, 0, 160), ground = makecol(1, 2, 3);
    BITMAP *expected = create_bitmap(16, 16), *drawn = create_bitmap(16, 16);
    const int h = text_height(font);
    for (int i = 0; i < get_font_ranges(font); i++) {
        const int first = get_font_range_begin(font, i), last = get_font_range_end(font, i);
        EXPECT_EQ(get_font_range_begin(roomy, i) * 100000 + get_font_range_end(roomy, i),
                  first * 100000 + last);
        int wrong = 0;  // characters of the range drawn otherwise
        for (int c = first; c <= last; c++) {
            char text[8];
            usetc(text + usetc(text, c), 0);
            const int w = text_length(font, text);
            clear_to_color(expected, ground);
            rectfill(expected, 2, 2, 2 + w - 1, 2 + h + 1, box);
            textout_ex(expected, font, text, 2, 3, ink, box);
            clear_to_color(drawn, ground);
            textout_ex(drawn, roomy, text, 2, 2, ink, box);
            bool same = text_length(roomy, text) == w;
            for (int y = 0; y < 16 && same; y++)
                for (int x = 0; x < 16 && same; x++)
                    same = getpixel(drawn, x, y) == getpixel(expected, x, y);
            wrong += !same;
        }
        EXPECT_EQ(wrong, 0) << "range " << first << " to " << last;
    }
    destroy_bitmap(expected);
    destroy_bitmap(drawn);
    destroy_font(roomy);
}

}  // namespace
