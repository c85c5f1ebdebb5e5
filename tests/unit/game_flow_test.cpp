// How a game ends and returns, its copies to the screen, and play_game around it.
#include <gtest/gtest.h>

#include "unit/game_fixture.h"

namespace {

TEST_F(GameTest, EscapeBeatsF1AndTheEndTestsOfTheSamePass)
{
    const char *blocked[7] = {"............", "[1][2][1][2]........", "............",
                              "............", "............", "............", "............"};
    struct Case {
        bool escape, f1;
        int result;
    } cases[] = {{true, false, 1}, {true, true, 1}, {false, true, 2}};
    for (Case k : cases) {
        input::reset();
        Game game = start(layer0(blocked));
        game.pass();  // the frame; the end tests, which find the board blocked, come next
        if (k.escape)
            input::key_down(KEY_ESC);
        if (k.f1)
            input::key_down(KEY_F1);
        game.pass();
        EXPECT_EQ(game.result, k.result) << "Escape " << k.escape << " F1 " << k.f1;
    }

    // The keys also end the game before a change of the same pass is shown.
    input::reset();
    Game game = start(layer0(two_pairs));
    game.pass();
    point_at(0, 1, 0, 1);
    input::key_down(KEY_F1);
    mark_screen();
    game.pass();
    game.pass();
    EXPECT_EQ(game.result, 2);
    EXPECT_TRUE(mark_survives());
}

TEST_F(GameTest, AnIdlePassCopiesNothingToTheScreen)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    game.pass();
    mark_screen();
    point_at(3, 1, 0);  // moving the pointer without a press is idle too
    for (int i = 0; i < 5; i++)
        game.pass();
    EXPECT_TRUE(mark_survives());
    EXPECT_FALSE(game.needs_redraw);
    EXPECT_FALSE(game.needs_end_test);
}

TEST_F(GameTest, FrameCopiesTheBackgroundAtItsOwnSize)
{
    BITMAP *full = resources.background_image;
    resources.background_image = create_bitmap(100, 60);
    clear_to_color(resources.background_image, makecol(200, 40, 40));
    clear_to_color(resources.buffer, makecol(0, 0, 200));
    Game game = start(layer0(two_pairs));
    game.pass();
    EXPECT_EQ(rgb_at(screen, 99, 59), rgb_at(resources.background_image, 0, 0));
    EXPECT_EQ(rgb_at(screen, 100, 30), rgb_of(makecol(0, 0, 200), 16))
        << "the buffer beyond a smaller background is left as it was";
    destroy_bitmap(resources.background_image);
    resources.background_image = full;
}

TEST_F(GameTest, ReturnsOnlyAfterEscapeIsUp)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    input::key_down(KEY_ESC);
    game.pass();
    EXPECT_EQ(game.result, 1);
    for (int i = 0; i < 3; i++) {
        game.pass();
        EXPECT_FALSE(game.is_over()) << "Escape is still down";
    }
    EXPECT_EQ(game.dealt.pair_list.size(), 7u);
    input::key_up(KEY_ESC);
    point_at(0, 1, 0, 1);  // input after the end acts no more
    game.pass();
    EXPECT_TRUE(game.is_over());
    EXPECT_EQ(game.result, 1);
    EXPECT_EQ(game.selected_cell, -1);

    // F1 with Escape up ends at once, and F1 is not waited for.
    Game other = start(layer0(two_pairs));
    input::reset();
    input::key_down(KEY_F1);
    other.pass();
    EXPECT_TRUE(other.is_over());
}

TEST_F(GameTest, PlayGameWithAnEmptyLayoutReturnsAtOnce)
{
    layout.clear();
    mark_screen();
    putpixel(resources.buffer, 0, 0, makecol(1, 2, 3));
    std::srand(42);
    int next = std::rand();
    std::srand(42);
    EXPECT_EQ(play_game(), 1);
    EXPECT_EQ(std::rand(), next) << "no random number was drawn";
    EXPECT_TRUE(mark_survives());
    EXPECT_EQ(getpixel(resources.buffer, 0, 0), makecol(1, 2, 3));
}

// play_game deals with as many symbols as whole 27-pixel pictures fit in the strip, shows
// the dealt board, and here ends through F1.
TEST_F(GameTest, PlayGameDealsWithTheSymbolsOfTheStrip)
{
    BITMAP *strip = resources.symbol_strip;
    resources.symbol_strip = create_bitmap(27 * 3 + 26, 27);  // three whole symbols
    clear_to_color(resources.symbol_strip, makecol(90, 90, 90));

    const char *full[7] = {"oooooooooooo", "oooooooooooo", "oooooooooooo", "oooooooooooo",
                           "oooooooooooo", "oooooooooooo", "oooooooooooo"};
    const char *inner[7] = {"............", ".oooooooooo.", ".oooooooooo.", ".oooooooooo.",
                            ".oooooooooo.", ".oooooooooo.", ".oooooooooo."};
    const Layout shape = board_from_text(layer_text(0, full) + layer_text(1, inner));
    ASSERT_EQ(shape.count, 144);

    Layout replay = shape;
    Deal dealt;
    std::srand(7);
    deal(replay, 3, dealt);

    layout = shape;
    input::key_down(KEY_F1);
    std::srand(7);
    EXPECT_EQ(play_game(), 2);
    EXPECT_EQ(0, std::memcmp(layout.cells, replay.cells, sizeof layout.cells))
        << ::testing::PrintToString(layout);

    Game shown(dealt);  // only for the dealt top layer and shading step
    EXPECT_TRUE(same_pixels(screen, expected(shown, -1, "Pieces remaining:  144")));

    destroy_bitmap(resources.symbol_strip);
    resources.symbol_strip = strip;
}

// --- The player's help: undo and redo, the hint, the free pieces, the keyboard ---------------

}  // namespace
