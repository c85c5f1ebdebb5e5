// A game's pairs taken by clicks, its frames, and how a board ends.
#include <gtest/gtest.h>

#include "unit/game_fixture.h"

namespace {

TEST_F(GameTest, FirstPassShowsTheBoardAndTheCount)
{
    Game game = start(layer0(two_pairs));
    mark_screen();
    game.pass();
    EXPECT_FALSE(mark_survives()) << "the first pass always shows a frame";
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    7")));
    EXPECT_TRUE(same_pixels(screen, resources.buffer)) << "the whole back buffer is copied";
    EXPECT_NE(rgb_at(screen, 5, 5), rgb_at(resources.background_image, 5, 5))
        << "the status line is drawn";
    EXPECT_EQ(game.result, 0);
}

TEST_F(GameTest, ClickingAFreePieceSelectsAndAgainDeselects)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    const geometry::Point corner = geometry::cell_corner(origin640, 0, 1, 0);
    const Rgb frame = rgb_of(makecol(0, 200, 0), 16);
    EXPECT_NE(rgb_at(screen, corner.x, corner.y), frame);

    click(game, 0, 1, 0);
    EXPECT_EQ(game.selected_cell, Layout::index(0, 1, 0));
    EXPECT_EQ(rgb_at(screen, corner.x, corner.y), frame) << "the picked piece is framed";
    EXPECT_TRUE(same_pixels(screen, expected(game, Layout::index(0, 1, 0),
                                             "Pieces remaining:    7")));
    click(game, 0, 1, 0);
    EXPECT_EQ(game.selected_cell, -1);
    EXPECT_NE(rgb_at(screen, corner.x, corner.y), frame);
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    7")));
    EXPECT_EQ(layout.count, 7);
}

TEST_F(GameTest, AMatchRemovesBothPiecesAndTheCountLineShowsIt)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    auto shows_background = [](int x) {
        geometry::Point c = geometry::cell_corner(origin640, x, 1, 0);
        return rgb_at(screen, c.x + 20, c.y + 15) ==
               rgb_at(resources.background_image, c.x + 20, c.y + 15);
    };
    EXPECT_FALSE(shows_background(0));
    EXPECT_FALSE(shows_background(6));
    click(game, 0, 1, 0);
    click(game, 6, 1, 0);
    EXPECT_EQ(layout.get(0, 1, 0), 0);
    EXPECT_EQ(layout.get(6, 1, 0), 0);
    EXPECT_EQ(layout.count, 5);
    EXPECT_EQ(game.selected_cell, -1);
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    5")));
    EXPECT_TRUE(shows_background(0)) << "where the pieces were, the background shows again";
    EXPECT_TRUE(shows_background(6));
    EXPECT_EQ(game.result, 0);
}

TEST_F(GameTest, AMismatchOrPressesOnNothingFreeKeepTheFirstPieceAndDrawNothing)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    click(game, 0, 1, 0);
    settle(game);
    mark_screen();
    click(game, 3, 3, 0);  // a hemmed-in piece with nothing free beneath
    click(game, 5, 5, 0);  // empty space
    input::pointer(5, 5, 1);  // off the board
    game.pass();
    input::buttons(0);
    game.pass();
    EXPECT_EQ(game.selected_cell, Layout::index(0, 1, 0));
    EXPECT_TRUE(mark_survives()) << "presses on nothing free show no frame";
    click(game, 3, 1, 0);  // symbol 2 against symbol 1
    game.pass();
    EXPECT_EQ(game.selected_cell, Layout::index(0, 1, 0));
    EXPECT_EQ(layout.count, 7);
    EXPECT_TRUE(mark_survives()) << "a mismatch shows no frame";

    // To pick another first piece the framed one must be clicked again.
    click(game, 0, 1, 0);
    click(game, 3, 1, 0);
    EXPECT_EQ(game.selected_cell, Layout::index(3, 1, 0));
}

TEST_F(GameTest, ClicksAreEdgeTriggeredAtThePositionOfThePress)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    // Held down while sweeping over the matching piece: only the first piece is picked.
    point_at(0, 1, 0, 1);
    game.pass();
    for (int x : {3, 6, 9}) {
        point_at(x, 1, 0, 1);
        game.pass();
    }
    EXPECT_EQ(game.selected_cell, Layout::index(0, 1, 0));
    EXPECT_EQ(layout.count, 7);

    // Another button joining the held one is still the same press.
    point_at(6, 1, 0, 3);
    game.pass();
    EXPECT_EQ(layout.count, 7);

    // After a pass with every button up the next press counts.
    input::buttons(0);
    game.pass();
    point_at(6, 1, 0, 1);
    game.pass();
    EXPECT_EQ(layout.count, 5);
}

TEST_F(GameTest, AnyButtonActsAsAClick)
{
    for (int button : {2, 4}) {
        Game game = start(layer0(two_pairs));
        game.pass();
        click(game, 3, 1, 0, button);
        EXPECT_EQ(game.selected_cell, Layout::index(3, 1, 0)) << "button " << button;
        click(game, 9, 1, 0, button);
        EXPECT_EQ(layout.count, 5) << "button " << button;
    }
}

TEST_F(GameTest, AButtonAlreadyDownOnTheFirstPassCounts)
{
    point_at(9, 1, 0, 1);
    Game game = start(layer0(two_pairs));
    game.pass();
    EXPECT_EQ(game.selected_cell, Layout::index(9, 1, 0));
    game.pass();
    EXPECT_TRUE(same_pixels(screen, expected(game, Layout::index(9, 1, 0),
                                             "Pieces remaining:    7")));
}

TEST_F(GameTest, PicksTheFreePieceOfALowerLayerThroughACoveredOne)
{
    // (5, 2) on layer 1 is hemmed in; the top strip of its face, shifted up, lies over
    // (5, 1) of layer 0, which is free.
    const char *bottom[7] = {"............", ".....[1]......", "....ooo.....",
                             "............", "............", "............", "............"};
    const char *top[7] = {"............", "............", "....[3][3][3].....",
                          "............", "............", "............", "............"};
    Game game = start(layer_text(0, bottom) + layer_text(1, top), 1);
    game.pass();
    geometry::Point c = geometry::cell_corner(origin640, 5, 2, 1);
    input::pointer(c.x + 15, c.y + 3, 1);
    game.pass();
    EXPECT_EQ(game.selected_cell, Layout::index(5, 1, 0)) << ::testing::PrintToString(layout);
}

TEST_F(GameTest, TheLastPairIsDrawnThenTheClearedBoardEndsWithTwo)
{
    const char *one_pair[7] = {"............", "..[5]..[5]......", "............",
                               "............", "............", "............", "............"};
    Game game = start(layer0(one_pair));
    game.pass();
    game.pass();  // end tests: a pair is free, the game goes on
    EXPECT_EQ(game.result, 0);

    click(game, 2, 1, 0);
    point_at(5, 1, 0, 1);
    game.pass();  // the match
    EXPECT_EQ(layout.count, 0);
    EXPECT_EQ(game.result, 0) << "the end tests wait for the frame";
    input::buttons(0);
    game.pass();  // the frame
    EXPECT_EQ(game.result, 0);
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    0")));
    game.pass();  // the end tests
    EXPECT_EQ(game.result, 2) << "cleared, although no moves are left either";
    EXPECT_TRUE(game.is_over());
}

TEST_F(GameTest, ABlockedBoardEndsWithThreeRightAfterItsFirstFrameAsDoesAnOddPieceLeftAlone)
{
    const char *blocked[7] = {"............", "[1][2][1][2]........", "............",
                              "............", "............", "............", "............"};
    Game game = start(layer0(blocked));
    mark_screen();
    game.pass();
    EXPECT_FALSE(mark_survives());
    EXPECT_EQ(game.result, 0);
    game.pass();
    EXPECT_EQ(game.result, 3);
    EXPECT_TRUE(game.is_over());

    const char *odd[7] = {"............", "[1]..[1]..[1].....", "............",
                          "............", "............", "............", "............"};
    Game odd_game = start(layer0(odd));
    settle(odd_game);
    click(odd_game, 0, 1, 0);
    click(odd_game, 3, 1, 0);
    settle(odd_game);
    EXPECT_EQ(layout.count, 1);
    EXPECT_EQ(odd_game.result, 3) << "an odd piece left alone";
}

}  // namespace
