// What the game and the editor draw in a 15-bit mode: every pixel a valid 15-bit pixel (its
// unused top bit clear), the status lines white. An all-ones pixel there is shown by the
// display as some other colour, which left the status lines unreadable.
#include <gtest/gtest.h>

#include "app/resources.h"
#include "board/layout.h"
#include "editor/editor.h"
#include "play/deal.h"
#include "play/game.h"
#include "render/legacy_text.h"
#include "support/headless.h"

namespace {

// Pixels of the screen with bit 15 set.
int pixels_with_top_bit()
{
    int n = 0;
    for (int y = 0; y < SCREEN_H; y++)
        for (int x = 0; x < SCREEN_W; x++)
            n += (getpixel(screen, x, y) & 0x8000) != 0;
    return n;
}

// Pixels of the screen's top 40 rows that are white.
int white_pixels_at_top()
{
    int n = 0;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < SCREEN_W; x++)
            n += rgb_at(screen, x, y) == Rgb{255, 255, 255};
    return n;
}

TEST(FifteenBits, GameAndEditorFramesHaveOnlyValidPixelsAndWhiteTextLines)
{
    FakeDisplay display(15);
    FakeResources res;
    input::reset();
    LEGACY_TEXT(text_mode(-1));
    layout.clear();
    for (int x = 0; x < 12; x += 2)
        layout.set(x, 3, 0, 1);
    Deal dealt;
    ASSERT_TRUE(deal(layout, 36, dealt));
    Game game(dealt);
    game.pass();
    EXPECT_EQ(pixels_with_top_bit(), 0);
    EXPECT_GT(white_pixels_at_top(), 50) << "the count line is written in white";

    layout.clear();
    clear_bitmap(screen);  // nothing of the game's frame is counted for the editor's
    Editor editor;
    editor.pass();
    EXPECT_EQ(pixels_with_top_bit(), 0) << "the editor";
    EXPECT_GT(white_pixels_at_top(), 200) << "the status and help lines are written in white";
    layout.clear();
}

}  // namespace
