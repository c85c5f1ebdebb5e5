// The title menu stepped pass by pass with scripted input, read back from the screen.
#include <gtest/gtest.h>

#include <string>

#include "app/resources.h"
#include "app/title_menu.h"
#include "support/headless.h"

namespace {

const Rgb highlight = {20, 240, 170};
const Rgb plain = {64, 124, 94};

class TitleMenuTest : public ::testing::Test {
protected:
    void SetUp() override { input::reset(); }
    void TearDown() override { input::reset(); }

    // Colours of the text pixels found in the row band of one item on the given bitmap.
    static bool band_has(BITMAP *b, int top, int height, Rgb colour)
    {
        for (int y = top; y < top + height; y++)
            for (int x = 0; x < b->w; x++)
                if (rgb_at(b, x, y) == colour)
                    return true;
        return false;
    }
    // Converts an exact 8-bit colour into what the 16-bit screen stores for it.
    static Rgb stored(Rgb c) { return rgb_of(makecol(c.r, c.g, c.b), 16); }
};

TEST_F(TitleMenuTest, BandsFollowLineHeightOfA16PixelFont)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    TitleMenu menu;
    EXPECT_EQ(menu.line_height, 24);
    const int expected[][2] = {{179, -1}, {180, 0}, {203, 0}, {204, 1}, {227, 1}, {228, 2},
                               {0, -8}};
    for (auto [y, band] : expected) {
        input::pointer(300, y);
        menu.pass();
        EXPECT_EQ(menu.hovered, band) << "mouse_y " << y;
    }
}

TEST_F(TitleMenuTest, LineHeightIsOneAndAHalfFontHeightsTruncated)
{
    FakeDisplay display;
    FakeResources res(36, 13);
    EXPECT_EQ(TitleMenu().line_height, 19);
}

TEST_F(TitleMenuTest, FirstPassShowsMenuWithNothingHovered)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    input::pointer(10, 10);
    TitleMenu menu;
    menu.pass();
    EXPECT_EQ(rgb_at(screen, 5, 5), stored(rgb_of(FakeResources::title_colour(), 16)));
    EXPECT_TRUE(band_has(screen, 180, 24, stored(plain)));
    EXPECT_TRUE(band_has(screen, 204, 24, stored(plain)));
    EXPECT_FALSE(band_has(screen, 0, 480, stored(highlight)));
    EXPECT_EQ(menu.choice, -1);
}

TEST_F(TitleMenuTest, HighlightFollowsPointerAndScreenCopiesOnlyOnBandChange)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    TitleMenu menu;
    input::pointer(320, 185);
    menu.pass();
    EXPECT_TRUE(band_has(screen, 180, 24, stored(highlight)));
    EXPECT_FALSE(band_has(screen, 204, 24, stored(highlight)));

    // Within the same band nothing is copied: a mark on the screen survives the pass.
    putpixel(screen, 0, 0, makecol(255, 255, 255));
    input::pointer(10, 200);
    menu.pass();
    EXPECT_EQ(rgb_at(screen, 0, 0), stored({255, 255, 255}));

    // Into the next band: copied, and "Exit" lit instead.
    input::pointer(10, 210);
    menu.pass();
    EXPECT_NE(rgb_at(screen, 0, 0), stored({255, 255, 255}));
    EXPECT_FALSE(band_has(screen, 180, 24, stored(highlight)));
    EXPECT_TRUE(band_has(screen, 204, 24, stored(highlight)));

    // Between two empty bands the index changes too, so the screen is copied again.
    input::pointer(10, 300);
    menu.pass();
    putpixel(screen, 0, 0, makecol(255, 255, 255));
    input::pointer(10, 330);
    menu.pass();
    EXPECT_NE(rgb_at(screen, 0, 0), stored({255, 255, 255}));
}

TEST_F(TitleMenuTest, AnyButtonChoosesHoveredItemWhereverThePointerIsAcross)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    for (int button : {1, 2, 4}) {
        for (int x : {0, 639}) {
            TitleMenu start;
            input::pointer(x, 190, button);
            start.pass();
            EXPECT_EQ(start.choice, 0) << "button " << button << " x " << x;
            TitleMenu exit;
            input::pointer(x, 210, button);
            exit.pass();
            EXPECT_EQ(exit.choice, 1) << "button " << button << " x " << x;
        }
    }
}

TEST_F(TitleMenuTest, ClickOutsideTheItemsChoosesNothing)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    TitleMenu menu;
    for (int y : {0, 179, 228, 479}) {
        input::pointer(320, y, 1);
        menu.pass();
        EXPECT_EQ(menu.choice, -1) << "mouse_y " << y;
    }
}

TEST_F(TitleMenuTest, EscapeGivesExitEvenOverAClickOnStart)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    TitleMenu menu;
    input::pointer(320, 190, 1);
    input::key_down(KEY_ESC);
    menu.pass();
    EXPECT_EQ(menu.choice, 1);

    input::reset();
    input::key_down(KEY_ESC);
    EXPECT_EQ(title_menu(), 1);
}

TEST_F(TitleMenuTest, ButtonHeldWhenMenuOpensChoosesOnFirstPass)
{
    FakeDisplay display;
    FakeResources res(36, 16);
    input::pointer(320, 181, 1);
    EXPECT_EQ(title_menu(), 0);
}

// Down and Up move the pointer itself from item to item, so the item under the pointer
// still decides; the menu wraps, and from off the items Down lands on "Start" and Up on
// "Exit". Return chooses the item, once a press.
TEST_F(TitleMenuTest, DownUpAndReturnChooseThroughThePointer)
{
    FakeDisplay display;
    FakeResources res(36, 16);  // items at 180 and 204, 24 apart: middles 192 and 216
    auto tap = [](TitleMenu &menu, int scancode) {
        input::key_down(scancode);
        menu.pass();
        menu.pass();  // held: still one press
        input::key_up(scancode);
        menu.pass();
    };
    const struct {
        int pointer_y;
        int key;
        int lands_on;
        const char *where;
    } cases[] = {
        {40, KEY_DOWN, menu_start, "above the menu"},  {40, KEY_UP, menu_exit, "above the menu"},
        {192, KEY_DOWN, menu_exit, "on \"Start\""},   {192, KEY_UP, menu_exit, "on \"Start\""},
        {216, KEY_DOWN, menu_start, "on \"Exit\""},   {216, KEY_UP, menu_start, "on \"Exit\""},
        {400, KEY_DOWN, menu_start, "below the menu"}, {400, KEY_UP, menu_exit, "below the menu"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key == KEY_DOWN ? "Down " : "Up ") + c.where);
        input::reset();
        TitleMenu menu;
        input::pointer(300, c.pointer_y);
        input::key_down(KEY_ENTER);  // held from before the menu opened: not a press
        menu.pass();
        input::key_up(KEY_ENTER);
        tap(menu, c.key);
        EXPECT_EQ(menu.hovered, c.lands_on);
        EXPECT_EQ(mouse_y, 192 + 24 * c.lands_on) << "the middle of the item";
        EXPECT_EQ(menu.choice, -1);
        input::key_down(KEY_ENTER);
        menu.pass();
        EXPECT_EQ(menu.choice, c.lands_on);
    }
}

}  // namespace
