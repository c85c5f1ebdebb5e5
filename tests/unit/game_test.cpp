// The game stepped pass by pass with scripted input, and play_game around it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/geometry.h"
#include "play/deal.h"
#include "play/game.h"
#include "board/rules.h"
#include "board/layout_text.h"
#include "play/hint.h"
#include "solve/rating.h"
#include "solve/solver.h"
#include "render/board_drawing.h"
#include "render/legacy_text.h"
#include "support/boards.h"
#include "support/headless.h"

namespace {

const geometry::Point origin640 = geometry::board_origin(640, 480);

// Layer 0 only; values in brackets are the symbols, so the board is laid out as if dealt.
std::string layer0(const char *const rows[7]) { return layer_text(0, rows); }

// Two pairs in row 1 (symbols 1 and 2), all free; in row 3 a pair of 3s with a 4 hemmed
// in between them.
const char *const two_pairs[7] = {
    "............", "[1]..[2]..[1]..[2]..", "............", "..[3][4][3].......",
    "............", "............", "............"};

class GameTest : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res;

    void SetUp() override
    {
        input::reset();
        LEGACY_TEXT(text_mode(-1));  // as the game starts up: text on no background box
    }
    void TearDown() override
    {
        input::reset();
        layout.clear();
        destroy_bitmap(expected_);
    }

    // A game on a board written as text, its values taken as the dealt symbols.
    static Game start(const std::string &text, int top_layer = 0)
    {
        layout = board_from_text(text);
        Deal dealt;
        dealt.pair_list.assign(layout.count, 0);
        dealt.top_layer = top_layer;
        dealt.shading_step = shading_step_for(top_layer);
        return Game(dealt);
    }

    // The pointer over the middle of the face of cell (x, y, z).
    static void point_at(int x, int y, int z, int buttons = 0)
    {
        geometry::Point c = geometry::cell_corner(origin640, x, y, z);
        input::pointer(c.x + 22, c.y + 15, buttons);
    }

    // A press on cell (x, y, z) seen by one pass, then a pass with the buttons up.
    static void click(Game &game, int x, int y, int z, int button = 1)
    {
        point_at(x, y, z, button);
        game.pass();
        input::buttons(0);
        game.pass();
    }

    // Passes until the frame and end tests that follow a change are done.
    static void settle(Game &game)
    {
        for (int i = 0; i < 3 && game.result == 0; i++)
            game.pass();
    }

    // What the screen must show for the current layout: the background, the board as
    // draw_board paints it with this selection, and the status line `status`.
    BITMAP *expected(const Game &game, int selected, const char *status)
    {
        destroy_bitmap(expected_);
        expected_ = create_bitmap(640, 480);
        blit(resources.background_image, expected_, 0, 0, 0, 0, 640, 480);
        draw_board(expected_, 20, 117, game.dealt.top_layer, game.dealt.shading_step, selected);
        LEGACY_TEXT(textprintf(expected_, resources.game_font, 5, 5, -1, "%s", status));
        return expected_;
    }

    // A frame with marks over the board, as the game composes it.
    BITMAP *expected_marked(const Game &game, int selected, const BoardMarks &marks)
    {
        destroy_bitmap(expected_);
        expected_ = create_bitmap(640, 480);
        compose_game_frame(expected_, origin640, game.dealt.top_layer, game.dealt.shading_step,
                           selected, marks);
        return expected_;
    }

    // One press of `scancode` (with Control or Shift held when asked) seen by a pass, then a
    // pass with every key up.
    static void tap(Game &game, int scancode, bool control = false, bool shift = false)
    {
        if (control)
            input::key_down(KEY_LCONTROL);
        if (shift)
            input::key_down(KEY_LSHIFT);
        input::key_down(scancode);
        game.pass();
        input::key_up(scancode);
        input::key_up(KEY_LCONTROL);
        input::key_up(KEY_LSHIFT);
        game.pass();
    }

    // A mark on the screen that only a copy of the back buffer removes.
    static void mark_screen() { putpixel(screen, 639, 0, makecol(255, 0, 255)); }
    static bool mark_survives() { return getpixel(screen, 639, 0) == makecol(255, 0, 255); }

    BITMAP *expected_ = nullptr;
};

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

TEST_F(GameTest, AMismatchKeepsTheFirstPieceAndDrawsNothing)
{
    Game game = start(layer0(two_pairs));
    game.pass();
    click(game, 0, 1, 0);
    settle(game);
    mark_screen();
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

TEST_F(GameTest, PressesOnNothingFreeChangeNothing)
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
    EXPECT_EQ(layout.count, 7);
    EXPECT_TRUE(mark_survives());
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

TEST_F(GameTest, ABlockedBoardEndsWithThreeRightAfterItsFirstFrame)
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
}

TEST_F(GameTest, AnOddPieceLeftAloneEndsWithThree)
{
    const char *odd[7] = {"............", "[1]..[1]..[1].....", "............",
                          "............", "............", "............", "............"};
    Game game = start(layer0(odd));
    settle(game);
    click(game, 0, 1, 0);
    click(game, 3, 1, 0);
    settle(game);
    EXPECT_EQ(layout.count, 1);
    EXPECT_EQ(game.result, 3);
}

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

TEST_F(GameTest, ReturnsOnlyAfterEscapeIsUpAndReleasesThePairList)
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
    EXPECT_EQ(game.dealt.pair_list.capacity(), 0u);

    // F1 with Escape up ends at once, and F1 is not waited for.
    Game other = start(layer0(two_pairs));
    input::reset();
    input::key_down(KEY_F1);
    other.pass();
    EXPECT_TRUE(other.is_over());
    EXPECT_EQ(other.dealt.pair_list.capacity(), 0u);
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
    Layout shape;
    ASSERT_TRUE(shape.load(TILESTACK_GAMEDATA "/0.lyt"));
    ASSERT_TRUE(deal_for_rating(shape, RatingOptions(), 203, layout));
    for (int move = 0, a, b; move < 24 && first_free_pair(layout, a, b); move++)
        take_pair(layout, a, b);
    ASSERT_EQ(find_hint(layout).kind, HintKind::unknown) << "decided within the pass's budget";
    int top_layer = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        if (layout.cell(i) != 0)
            top_layer = std::max(top_layer, Layout::position(i).z);
    std::vector<std::function<void()>> works;
    Game game = start(layout_to_text(layout), top_layer);
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
    int top_layer = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        if (layout.cell(i) != 0)
            top_layer = std::max(top_layer, Layout::position(i).z);
    Game game = start(layout_to_text(layout), top_layer);
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
