// The player's help in a game: the history keys, the hint, the free pieces, the keyboard.
#include <gtest/gtest.h>

#include "unit/game_fixture.h"

namespace {

TEST_F(GameTest, HistoryKeysPutPairsBackAndTakeThemAgainOncePerPress)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    game.pass();  // the first frame and its end tests
    click(game, 0, 1, 0);
    click(game, 6, 1, 0);
    settle(game);
    ASSERT_EQ(layout.count, 5);

    // Held over many passes, Ctrl+Z puts back one pair: the dealt board, nothing selected.
    input::key_down(KEY_LCONTROL);
    input::key_down(KEY_Z);
    for (int i = 0; i < 5; i++)
        game.pass();
    input::key_up(KEY_Z);
    input::key_up(KEY_LCONTROL);
    settle(game);
    EXPECT_EQ(layout.count, 7);
    EXPECT_EQ(layout.get(0, 1, 0), 1);
    EXPECT_EQ(layout.get(6, 1, 0), 1);
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    7")));
    tap(game, KEY_BACKSPACE);
    EXPECT_EQ(layout.count, 7) << "back at the deal: nothing more to undo";

    tap(game, KEY_Y, true);
    settle(game);
    EXPECT_EQ(layout.count, 5);
    EXPECT_TRUE(same_pixels(screen, expected(game, -1, "Pieces remaining:    5")));
    tap(game, KEY_BACKSPACE);
    EXPECT_EQ(layout.count, 7);
    tap(game, KEY_Z, true, true);  // Ctrl+Shift+Z redoes too
    EXPECT_EQ(layout.count, 5);
    tap(game, KEY_Z, false, false);  // Z alone is no key of the game
    EXPECT_EQ(layout.count, 5);

    // A new pair after an undo: what was undone cannot come back.
    tap(game, KEY_BACKSPACE);
    click(game, 3, 1, 0);
    click(game, 9, 1, 0);
    tap(game, KEY_Y, true);
    settle(game);
    EXPECT_EQ(layout.count, 5);
    EXPECT_EQ(layout.get(0, 1, 0), 1) << "the 1s stay on the board";
    EXPECT_EQ(layout.get(3, 1, 0), 0);
}

TEST_F(GameTest, HelpKeysActOnlyWhileTheGameRunsAndEscapeAndF1Override)
{
    for (int ending : {KEY_ESC, KEY_F1}) {
        Game game = start(layer0(two_pairs));
        game.pass();
        click(game, 0, 1, 0);
        click(game, 6, 1, 0);
        settle(game);
        input::key_down(ending);
        input::key_down(KEY_BACKSPACE);
        input::key_down(KEY_H);
        input::key_down(KEY_RIGHT);
        game.pass();
        EXPECT_EQ(game.result, ending == KEY_ESC ? play_left : play_ended);
        EXPECT_EQ(layout.count, 5) << "no undo in the pass that ends the game";
        EXPECT_TRUE(game.marks == BoardMarks()) << "no hint, no cursor";
        input::reset();
        game.pass();
        ASSERT_TRUE(game.is_over());
    }
}

TEST_F(GameTest, HintFramesAPairAndAFrameIsComposedOnlyWhenItChanges)
{
    // Only the row of 1s and 2s: it can be cleared, so the hint is the first pair of a way.
    const char *clearable[7] = {"............", "[1]..[2]..[1]..[2]..", "............",
                                "............", "............", "............", "............"};
    Game game = start(layer0(clearable));
    game.pass();
    game.pass();
    tap(game, KEY_H);
    ASSERT_EQ(game.marks.hinted.size(), 2u);
    const int a = game.marks.hinted[0], b = game.marks.hinted[1];
    EXPECT_TRUE(is_pair(layout, a, b));
    EXPECT_EQ(game.marks.note, nullptr);
    EXPECT_TRUE(same_pixels(screen, expected_marked(game, -1, game.marks)));
    EXPECT_FALSE(same_pixels(screen, expected(game, -1, "Pieces remaining:    4")));
    mark_screen();
    tap(game, KEY_H);
    EXPECT_TRUE(mark_survives()) << "the same hint again draws nothing";

    // A click changes the selection: the hint goes.
    click(game, 0, 1, 0);
    EXPECT_TRUE(game.marks.hinted.empty());
    EXPECT_TRUE(same_pixels(screen, expected(game, Layout::index(0, 1, 0),
                                             "Pieces remaining:    4")));

    // Seven pieces can never be cleared: a matching pair, and the note that says so.
    Game lost = start(layer0(two_pairs));
    lost.pass();
    lost.pass();
    tap(lost, KEY_H);
    ASSERT_EQ(lost.marks.hinted.size(), 2u);
    EXPECT_TRUE(is_pair(layout, lost.marks.hinted[0], lost.marks.hinted[1]));
    EXPECT_STREQ(lost.marks.note, no_way_note);
    EXPECT_TRUE(same_pixels(screen, expected_marked(lost, -1, lost.marks)));
}

// A board the pass cannot decide within its budget: layout 0's deal 203 after 24 pairs of the
// first-pair player, lost, shown so after about 5000 positions. The hint looks further off
// the loop (here when the test runs the work) with a note meanwhile; a change cancels it.
TEST_F(GameTest, HintLooksFurtherOffTheLoopUntilFoundOrCancelled)
{
    layout = shipped_deal(0, 203);
    for (int move = 0, a, b; move < 24 && first_free_pair(layout, a, b); move++)
        take_pair(layout, a, b);
    ASSERT_EQ(find_hint(layout).kind, HintKind::unknown) << "decided within the pass's budget";
    std::vector<std::function<void()>> works;
    Game game = start(layout_to_text(layout), top_layer_of(layout));
    game.start_hint = [&](std::function<void()> work) { works.push_back(work); };
    game.pass();
    tap(game, KEY_H);
    ASSERT_EQ(works.size(), 1u);
    EXPECT_TRUE(game.marks.hinted.empty()) << "no pair framed while it looks";
    EXPECT_STREQ(game.marks.note, looking_note);
    EXPECT_TRUE(same_pixels(screen, expected_marked(game, -1, game.marks)));
    tap(game, KEY_H);
    EXPECT_EQ(works.size(), 1u) << "H again while it looks starts nothing";
    works[0]();
    game.pass();
    ASSERT_EQ(game.marks.hinted.size(), 2u);
    EXPECT_TRUE(is_pair(layout, game.marks.hinted[0], game.marks.hinted[1]));
    EXPECT_STREQ(game.marks.note, no_way_note);
    EXPECT_TRUE(same_pixels(screen, expected_marked(game, -1, game.marks)));

    // A click picks a piece while it looks: the search is dropped and shows nothing.
    const CellPosition picked = Layout::position(free_pieces(layout).front());
    click(game, picked.x, picked.y, picked.z);
    ASSERT_NE(game.selected_cell, -1);
    tap(game, KEY_H);
    ASSERT_EQ(works.size(), 2u);
    click(game, picked.x, picked.y, picked.z);
    EXPECT_EQ(game.selected_cell, -1);
    EXPECT_EQ(game.marks.note, nullptr);
    works[1]();
    game.pass();
    EXPECT_TRUE(game.marks.hinted.empty());
    EXPECT_EQ(game.marks.note, nullptr);
}

TEST_F(GameTest, FFramesEveryFreePieceUntilTheNextChange)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    tap(game, KEY_F);
    EXPECT_EQ(game.marks.hinted, free_pieces(layout));
    EXPECT_EQ(game.marks.hinted.size(), 6u) << "the hemmed-in 4 is not free";
    EXPECT_TRUE(same_pixels(screen, expected_marked(game, -1, game.marks)));
    click(game, 0, 1, 0);
    EXPECT_TRUE(game.marks.hinted.empty());
}

TEST_F(GameTest, ArrowsAndReturnOrSpaceSelectAndTakeAPairWithoutTheMouse)
{
    Game game = start(layer0(two_pairs));
    input::key_down(KEY_ENTER);  // still held from the title menu: not a press
    game.pass();
    input::key_up(KEY_ENTER);
    game.pass();
    EXPECT_EQ(game.selected_cell, -1);
    EXPECT_EQ(game.marks.cursor, -1) << "no cursor before an arrow";

    tap(game, KEY_DOWN);  // the first arrow shows the cursor on the first free piece
    EXPECT_EQ(game.cursor_cell, Layout::index(0, 1, 0));
    BoardMarks cursor_only;
    cursor_only.cursor = Layout::index(0, 1, 0);
    EXPECT_TRUE(same_pixels(screen, expected_marked(game, -1, cursor_only)));
    tap(game, KEY_ENTER);
    EXPECT_EQ(game.selected_cell, Layout::index(0, 1, 0));
    tap(game, KEY_RIGHT);
    tap(game, KEY_RIGHT);
    EXPECT_EQ(game.cursor_cell, Layout::index(6, 1, 0));
    input::key_down(KEY_SPACE);
    for (int i = 0; i < 3; i++)
        game.pass();  // held: one press
    input::key_up(KEY_SPACE);
    settle(game);
    EXPECT_EQ(layout.count, 5);
    EXPECT_EQ(game.selected_cell, -1);
    EXPECT_NE(game.cursor_cell, Layout::index(6, 1, 0)) << "the cursor leaves the empty cell";
    EXPECT_TRUE(is_free(layout, game.cursor_cell));
    tap(game, KEY_BACKSPACE);
    EXPECT_EQ(layout.count, 7) << "a pair taken by keyboard is undone as any other";
}

// A whole deal of a shipped layout cleared with the arrows and Return alone, the pairs taken
// in the order the solver gives.
TEST_F(GameTest, AGameIsClearedWithTheKeyboardAlone)
{
    Layout shape;
    ASSERT_TRUE(shape.load(TILESTACK_GAMEDATA "/1.lyt"));
    Solution way;
    for (int k = 0; way.result != SolveResult::cleared; k++) {
        ASSERT_LT(k, 20) << "no clearable deal among the first";
        ASSERT_TRUE(deal_for_rating(shape, RatingOptions(), k, layout));
        way = solve_board(layout);
    }
    Game game = start(layout_to_text(layout), top_layer_of(layout));
    game.pass();
    tap(game, KEY_RIGHT);  // shows the cursor
    for (const auto &[a, b] : way.pairs)
        for (int target : {a, b}) {
            for (CursorMove move : cursor_moves_between(layout, game.cursor_cell, target))
                tap(game, KEY_LEFT + static_cast<int>(move));
            ASSERT_EQ(game.cursor_cell, target) << ::testing::PrintToString(layout);
            tap(game, KEY_ENTER);
        }
    settle(game);
    EXPECT_EQ(layout.count, 0);
    EXPECT_EQ(game.result, play_ended);
}

}  // namespace
