// Whole games in a real window: the real binary under an X server without a monitor, played
// through real mouse and key events, the screen read back and compared with what the board
// must look like. The game's clock is pinned, so the test knows the deal and follows every
// move on its own copy of the board.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/resources.h"
#include "app/title_menu.h"
#include "board/constants.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "board/rules.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "play/game.h"
#include "play/hint.h"
#include "play/keyboard_cursor.h"
#include "render/game_frame.h"
#include "support/boards.h"

namespace {

using namespace std::chrono_literals;

const geometry::Point origin = geometry::board_origin(640, 480);

// A 640 x 480 bitmap of this process, freed when it goes.
struct Picture {
    BITMAP *bitmap = create_bitmap(640, 480);
    ~Picture() { destroy_bitmap(bitmap); }
    Picture() = default;
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;
};

// Pixels in the band of the "Game Over" text drawn in its colour. Under the veil nothing
// else on the screen is that light.
int game_over_text_pixels(const Screenshot &shot)
{
    const int bottom = 240 + text_height(resources.game_font);
    return shot.count_near({250, 255, 250}, 200, 240, 440, bottom);
}

// Share of the middle of the screen, around "Game Over", that looks as on `over`.
double middle_share(const Screenshot &shot, BITMAP *over)
{
    int same = 0;
    for (int y = 200; y < 280; y++)
        for (int x = 160; x < 480; x++)
            same += near(shot.at(x, y), rgb_at(over, x, y), 8);
    return same / (80.0 * 320.0);
}

// Two free pieces of `layout` with the same symbol, the first such pair in cell order.
bool free_pair(int &a, int &b)
{
    for (int i = 0; i < Layout::cell_count; i++) {
        if (!is_free(layout, i))
            continue;
        for (int j = i + 1; j < Layout::cell_count; j++)
            if (layout.cell(j) == layout.cell(i) && is_free(layout, j)) {
                a = i;
                b = j;
                return true;
            }
    }
    return false;
}

class GameWindow : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    GameData pictures{folder.path()};  // as the game loads them in its 16-bit window
    Deal dealt;
    std::unique_ptr<GameProcess> game;
    Screenshot shot;
    int px = 320, py = 240;  // where the pointer is

    void TearDown() override
    {
        if (HasFailure())
            save_test_screenshot(shot);
        layout.clear();
    }

    // Starts the game with its clock pinned and waits for the title screen.
    void launch()
    {
        ASSERT_TRUE(pictures.loaded()) << "the game's data must load in the test";
        game = desk.launch(server, folder.path(), {}, pinned_clock_environment());
        px = 320;  // where the launch leaves the pointer
        py = 240;
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
        std::srand(pinned_clock);  // the game's random numbers, followed from here on
    }

    // Where the middle of a title menu item lies: 0 "Start", 1 "Exit".
    static geometry::Point menu_item(int item)
    {
        const int line_height = text_height(resources.game_font) * 3 / 2;
        return {320, 180 + item * line_height + line_height / 2};
    }

    // Clicks "Start" (pressed and released, or a quick tap) and follows the game in replaying
    // its random numbers: the layout file it picks and the deal. Returns once the first frame
    // of the game is on screen.
    void start_game(bool quick = false)
    {
        px = menu_item(0).x;
        py = menu_item(0).y;
        if (quick) {
            desk.click(px, py);
        } else {
            desk.move(px, py);
            desk.press();
            desk.release();  // the game starts on the release
        }
        ASSERT_TRUE(follow_next_deal(folder.path(), dealt));
        Picture first;
        compose_frame(first.bitmap, -1);
        ASSERT_NO_FATAL_FAILURE(expect_screen(first.bitmap, "the first frame of the game"));
    }

    // What a frame of the game shows for the board now in `layout`, with `selected` framed.
    void compose_frame(BITMAP *into, int selected)
    {
        compose_game_frame(into, origin, dealt.top_layer, dealt.shading_step, selected);
    }

    // The game-over screen over the board as it is now in `layout`.
    void compose_game_over_screen(BITMAP *into)
    {
        compose_frame(into, -1);
        compose_game_over(into);
    }

    // Presses the keys in order and lets them go in the opposite order ("Control_L", "z" is
    // Ctrl+Z), then waits for the frame of the board in `layout` with `selected` and `marks`.
    void keys_until(const std::vector<const char *> &keys, int selected, const BoardMarks &marks,
                    const std::string &what)
    {
        for (const char *k : keys)
            desk.key_down(k);
        for (auto k = keys.rbegin(); k != keys.rend(); ++k)
            desk.key_up(*k);
        Picture frame;
        compose_game_frame(frame.bitmap, origin, dealt.top_layer, dealt.shading_step, selected,
                           marks);
        expect_screen(frame.bitmap, what);
    }

    // Waits until the screen shows `expected`, but for the pointer.
    bool shows(BITMAP *expected, std::string &why)
    {
        if (desk.wait_to_show(expected, px, py, shot, &why))
            return true;
        why += ::testing::PrintToString(layout) + game->output();
        return false;
    }

    void expect_screen(BITMAP *expected, const std::string &what)
    {
        std::string why;
        if (!shows(expected, why))
            FAIL() << what << ": " << why;
    }

    void expect_window_name(const std::string &text)
    {
        std::string name;
        EXPECT_TRUE(desk.wait_for_window_name(text, &name)) << "the window is named " << name;
    }

    // Watches the screen until the game ends; true when it showed the game-over screen over
    // `over` meanwhile (it would stand for 1.5 s, which no look every few milliseconds misses).
    bool game_over_seen_before_the_end(BITMAP *over)
    {
        bool veiled = false;
        const bool ended = desk.wait_for(
            [&](const Screenshot &s) {
                veiled = veiled || middle_share(s, over) > 0.9;
                return !game->running();
            },
            shot);
        EXPECT_TRUE(ended) << game->output();
        return veiled;
    }

    // Presses the button at p and holds it until the screen shows `expected`, then lets go.
    // The game acts on the press; holding it until the effect shows means that it cannot come
    // and go unseen between two passes of the game. A release taken in together with the next
    // press still reads as up once in between.
    void click_until(geometry::Point p, BITMAP *expected, const std::string &what)
    {
        px = p.x;
        py = p.y;
        desk.move(p.x, p.y);
        desk.press();
        std::string why;
        bool shown = shows(expected, why);
        desk.release();
        if (!shown)
            FAIL() << what << ": " << why;
    }

    // Clicks on the piece in `cell` and waits for the frame with `selected` framed.
    void click_piece(int cell, int selected, const std::string &what)
    {
        const geometry::Point p = point_on(layout, origin, cell);
        ASSERT_NE(p.x, -1) << "no point picks cell " << cell << ::testing::PrintToString(layout);
        Picture frame;
        compose_frame(frame.bitmap, selected);
        ASSERT_NO_FATAL_FAILURE(click_until(p, frame.bitmap, what));
    }

    // Removes the pair a, b with two clicks, as the player would, and checks that both
    // pieces vanish and the count changes. The move that ends the game shows the game-over
    // screen at once, laid over its frame.
    void remove_pair(int a, int b, bool last_move)
    {
        ASSERT_NO_FATAL_FAILURE(click_piece(a, a, "the first piece of a pair framed"));
        const Screenshot before = shot;
        const geometry::Point pb = point_on(layout, origin, b);
        ASSERT_NE(pb.x, -1) << "no point picks cell " << b << ::testing::PrintToString(layout);
        const geometry::Point pa = {px, py};
        layout.set_cell(a, 0);
        layout.set_cell(b, 0);
        Picture after;
        if (last_move)
            compose_game_over_screen(after.bitmap);
        else
            compose_frame(after.bitmap, -1);
        ASSERT_NO_FATAL_FAILURE(click_until(
            pb, after.bitmap, last_move ? "the game-over screen" : "the pair removed"));
        if (last_move)
            return;

        // Said plainly: the count line and both faces look different now.
        auto changed = [&](int x0, int y0, int x1, int y1) {
            int n = 0;
            for (int y = std::max(y0, 0); y <= std::min(y1, 479); y++)
                for (int x = std::max(x0, 0); x <= std::min(x1, 639); x++)
                    if (!under_pointer(x, y, pa.x, pa.y) && !under_pointer(x, y, pb.x, pb.y))
                        n += !near(before.at(x, y), shot.at(x, y), 8);
            return n;
        };
        EXPECT_GT(changed(5, 5, 400, 5 + text_height(resources.game_font)), 0)
            << "the count line changes";
        for (int cell : {a, b}) {
            const CellPosition p = Layout::position(cell);
            const geometry::Point c = geometry::cell_corner(origin, p.x, p.y, p.z);
            EXPECT_GT(changed(c.x, c.y, c.x + 45, c.y + 30), 100)
                << "the piece in cell " << cell << " vanishes";
        }
    }
};

// The smoke set (a game with its veil in the optimised build too) and the tests of presses
// handed over from the library's input thread (the thread build): see tests/CMakeLists.txt.
using GameWindowSmoke = GameWindow;
using GameWindowThreads = GameWindow;

TEST_F(GameWindow, AWholeGamePlayedToItsEnd)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(start_game());
    const int dealt_count = layout.count;
    const Layout dealt_board = layout;
    save_screenshot(shot, "dealt-board.png");  // to look at

    // (A piece picked and let go again: GameWindowThreads.QuickTapsActOnceEach.)
    int a, b, moves = 0;
    bool over = false;
    Layout before_last, after_first;
    while (!over && free_pair(a, b)) {
        before_last = layout;
        Layout after = layout;
        after.set_cell(a, 0);
        after.set_cell(b, 0);
        over = after.count == 0 || no_moves_left(after);
        ASSERT_NO_FATAL_FAILURE(remove_pair(a, b, over)) << "move " << moves;
        if (moves++ == 0)
            after_first = after;
    }
    ASSERT_TRUE(over) << "the game ended";
    EXPECT_EQ(layout.count, dealt_count - 2 * moves);
    ::testing::Test::RecordProperty("ending", layout.count == 0 ? "cleared" : "blocked");
    EXPECT_GT(game_over_text_pixels(shot), 50);
    EXPECT_TRUE(desk.wait_for(is_title_screen, shot)) << "then the title screen";
    expect_window_name("tilestack - title - F2: keys - Ctrl+Z: last game");

    // Ctrl+Z on the title screen: the game as it stood before its last pair, nothing picked.
    const Layout last_board = layout;
    const BoardMarks none;
    layout = before_last;
    ASSERT_NO_FATAL_FAILURE(
        keys_until({"Control_L", "z"}, -1, none, "Ctrl+Z on the title: before the last pair"));
    expect_window_name("tilestack - game - *:* - F2: keys");  // the kept game's time goes on
    // Home: the deal. F2 lays the card of keys over it, and F2 again gives its pixels back.
    layout = dealt_board;
    ASSERT_NO_FATAL_FAILURE(keys_until({"Home"}, -1, none, "Home: the board as dealt"));
    Picture dealt_frame;
    compose_frame(dealt_frame.bitmap, -1);
    desk.tap("F2");
    EXPECT_TRUE(desk.wait_to_differ(dealt_frame.bitmap, px, py, shot, 20000))
        << "F2: the card of keys over the board";
    desk.tap("End");  // no other key acts while the card is shown
    ASSERT_NO_FATAL_FAILURE(keys_until({"F2"}, -1, none, "F2 again: the very pixels of the deal"));
    layout = after_first;
    ASSERT_NO_FATAL_FAILURE(keys_until({"Control_L", "y"}, -1, none, "Ctrl+Y: the first pair"));
    // End: every pair again, so the game ends again over the last board.
    layout = last_board;
    desk.tap("End");
    Picture over_again;
    compose_game_over_screen(over_again.bitmap);
    ASSERT_NO_FATAL_FAILURE(expect_screen(over_again.bitmap, "End: the last board, Game Over"));
    EXPECT_TRUE(desk.wait_for(is_title_screen, shot)) << "then the title screen";

    // The next game draws on from the same random sequence.
    ASSERT_NO_FATAL_FAILURE(start_game());
}

TEST_F(GameWindow, EscapeGoesStraightBackToTheTitleScreen)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(start_game());
    int a, b;
    ASSERT_TRUE(free_pair(a, b));
    ASSERT_NO_FATAL_FAILURE(remove_pair(a, b, false));

    // Held for a while: the title menu, which Escape would end, must not see this press.
    // The game-over screen would stand for 1.5 s; polling every few milliseconds on the way
    // to the title screen cannot miss it.
    Picture over;
    compose_game_over_screen(over.bitmap);
    desk.key_down("Escape");
    // Time in which the game must not leave: nothing to wait for.
    Desk::pause(300ms);
    shot = desk.grab();
    EXPECT_FALSE(is_title_screen(shot)) << "the game waits for Escape to be up";
    desk.key_up("Escape");
    bool veiled = false;
    EXPECT_TRUE(desk.wait_for(
        [&](const Screenshot &s) {
            veiled = veiled || middle_share(s, over.bitmap) > 0.9;
            return is_title_screen(s);
        },
        shot)) << game->output();
    EXPECT_FALSE(veiled) << "no game-over screen after Escape";
    // The menu goes on to light the item the pointer is moved onto: the press of Escape ended
    // only the game.
    desk.move(menu_item(1).x, menu_item(1).y);
    Picture lit;
    compose_title_menu(lit.bitmap, menu_exit, title_menu_line_height());
    px = menu_item(1).x;
    py = menu_item(1).y;
    EXPECT_NO_FATAL_FAILURE(expect_screen(lit.bitmap, "the menu after Escape"));
    EXPECT_TRUE(game->running()) << "the press of Escape ended only the game";
}

TEST_F(GameWindowSmoke, F1EndsTheGameWithTheGameOverScreen)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(start_game());
    desk.key_down("F1");
    Picture over;
    compose_game_over_screen(over.bitmap);
    std::string why;
    const bool shown = shows(over.bitmap, why);
    desk.key_up("F1");
    ASSERT_TRUE(shown) << "the game-over screen over the first frame: " << why;
    EXPECT_GT(game_over_text_pixels(shot), 50);
    EXPECT_TRUE(desk.wait_for(is_title_screen, shot)) << "then the title screen";
    EXPECT_TRUE(game->running());
}

// Clicks and key presses as quick as a touchpad tap: down and up back to back, taken in by
// the library in one batch, still act once each.
TEST_F(GameWindowThreads, QuickTapsActOnceEach)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    for (int round = 0; round < 20; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_NO_FATAL_FAILURE(start_game(true));
        desk.tap("Escape");
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
    }

    ASSERT_NO_FATAL_FAILURE(start_game(true));
    int a, b;
    ASSERT_TRUE(free_pair(a, b)) << ::testing::PrintToString(layout);
    const geometry::Point on_a = point_on(layout, origin, a), on_b = point_on(layout, origin, b);
    ASSERT_NE(on_a.x, -1);
    ASSERT_NE(on_b.x, -1);
    auto quick_click = [&](int cell, int selected, const char *what) {
        const geometry::Point p = cell == a ? on_a : on_b;
        px = p.x;
        py = p.y;
        desk.click(p.x, p.y);
        Picture frame;
        compose_frame(frame.bitmap, selected);
        expect_screen(frame.bitmap, what);
    };
    ASSERT_NO_FATAL_FAILURE(quick_click(a, a, "the picked piece framed"));
    ASSERT_NO_FATAL_FAILURE(quick_click(a, -1, "the picked piece let go"));
    ASSERT_NO_FATAL_FAILURE(quick_click(a, a, "the picked piece framed again"));
    layout.set_cell(a, 0);
    layout.set_cell(b, 0);
    ASSERT_NO_FATAL_FAILURE(quick_click(b, -1, "the pair removed"));

    desk.tap("F1");
    EXPECT_TRUE(desk.wait_for([](const Screenshot &s) { return game_over_text_pixels(s) > 50; },
                              shot))
        << "F1 shows the game-over screen";
    ASSERT_TRUE(desk.wait_for(is_title_screen, shot));
    EXPECT_TRUE(game->running());
}

TEST_F(GameWindow, QuickClickOnExitEndsTheProgramEveryTime)
{
    for (int round = 0; round < 20; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        game = desk.launch(server, folder.path());
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
        desk.click(menu_item(1).x, menu_item(1).y);
        ASSERT_TRUE(exits_with(*game));
    }
}

// The window's close button ends the program from the title screen and from a game, with no
// game-over screen.
TEST_F(GameWindow, TheCloseButtonEndsTheProgram)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    expect_window_name("tilestack - title - F2: keys");  // no game kept yet
    ASSERT_TRUE(desk.request_close());
    EXPECT_TRUE(exits_with(*game));

    // A game of two pairs closed with the button is kept over quitting.
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(start_game(true));
    Layout after[2];
    for (Layout &board : after) {
        int a, b;
        ASSERT_TRUE(free_pair(a, b)) << ::testing::PrintToString(layout);
        ASSERT_NO_FATAL_FAILURE(remove_pair(a, b, false));
        board = layout;
    }
    ASSERT_TRUE(desk.request_close());
    Picture over;
    compose_game_over_screen(over.bitmap);
    EXPECT_FALSE(game_over_seen_before_the_end(over.bitmap)) << "no game-over screen";
    EXPECT_TRUE(exits_with(*game));

    // Started anew, Backspace on the title brings it back after its first pair; Ctrl+Y takes
    // the second again.
    ASSERT_NO_FATAL_FAILURE(launch());
    expect_window_name("tilestack - title - F2: keys - Ctrl+Z: last game");
    // The card of keys on the title screen: the Escape that closes it does not leave.
    Picture title;
    compose_title_menu(title.bitmap, -1, title_menu_line_height());
    desk.tap("F2");
    EXPECT_TRUE(desk.wait_to_differ(title.bitmap, px, py, shot, 20000))
        << "F2: the card over the title screen";
    desk.tap("Escape");
    ASSERT_NO_FATAL_FAILURE(expect_screen(title.bitmap, "Escape: the title screen as it was"));
    const BoardMarks none;
    layout = after[0];
    ASSERT_NO_FATAL_FAILURE(keys_until({"BackSpace"}, -1, none, "Backspace: after the first pair"));
    layout = after[1];
    ASSERT_NO_FATAL_FAILURE(keys_until({"Control_L", "y"}, -1, none, "Ctrl+Y: the second again"));
}

// The keys of the game as real key events reach it (what each key does is proven on the model
// in tests/unit/game_help_test.cpp): Ctrl+Z gives back the very pixels of the dealt board; H
// frames the solver's pair, F every free piece; an arrow shows the keyboard cursor, which the
// free pieces stay framed under, and Return picks the piece under it.
TEST_F(GameWindow, KeysUndoHintAndTheKeyboardCursor)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(start_game());
    const Layout dealt_board = layout;
    int a, b;
    ASSERT_TRUE(free_pair(a, b)) << ::testing::PrintToString(layout);
    ASSERT_NO_FATAL_FAILURE(remove_pair(a, b, false));

    const BoardMarks none;
    layout = dealt_board;
    ASSERT_NO_FATAL_FAILURE(keys_until({"Control_L", "z"}, -1, none, "Ctrl+Z: the dealt board"));

    // The hint the game gives is the one the same solver gives here, with the same budget.
    const Hint hint = find_hint(layout);
    ASSERT_NE(hint.kind, HintKind::none);
    BoardMarks hinted;
    hinted.hinted = {hint.a, hint.b};
    hinted.note = hint.kind == HintKind::no_way    ? no_way_note
                  : hint.kind == HintKind::unknown ? unknown_note
                                                   : nullptr;
    ASSERT_NO_FATAL_FAILURE(keys_until({"h"}, -1, hinted, "H: the hinted pair framed"));
    BoardMarks free_marks;
    free_marks.hinted = free_pieces(layout);
    ASSERT_NO_FATAL_FAILURE(keys_until({"f"}, -1, free_marks, "F: every free piece framed"));

    // The first arrow shows the cursor on the free piece under the pointer, or the first one.
    BoardMarks cursor = free_marks;
    cursor.cursor = piece_at(layout, origin, px, py);
    if (cursor.cursor == -1)
        cursor.cursor = first_free_piece(layout);
    ASSERT_NO_FATAL_FAILURE(keys_until({"Right"}, -1, cursor, "the keyboard cursor shown"));
    cursor.hinted.clear();
    ASSERT_NO_FATAL_FAILURE(keys_until({"Return"}, cursor.cursor, cursor, "Return picks"));
    desk.tap("Escape");
    EXPECT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
}

// The title menu's keys from off the items: with the pointer below the menu Down goes to
// "Start"; with it above, Up goes to "Exit", and Return chooses it: the program ends.
TEST_F(GameWindow, TheTitleMenuByKeys)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    const struct {
        int pointer_y;
        const char *key;
        int item;
    } moves[] = {{440, "Down", menu_start}, {40, "Up", menu_exit}};
    for (const auto &m : moves) {
        SCOPED_TRACE(m.key);
        desk.move(320, m.pointer_y);
        // The menu lights neither item before the key. (Only the menu's own rows are compared:
        // after the game has put the pointer on an item, the library may draw the pointer a
        // little away from where it was moved to.)
        Picture menu;
        compose_title_menu(menu.bitmap, -1, title_menu_line_height());
        const int bottom = menu_item(1).y + title_menu_line_height();
        EXPECT_TRUE(desk.wait_for(
            [&](const Screenshot &s) {
                for (int y = menu_item(0).y - title_menu_line_height(); y < bottom; y++)
                    for (int x = 0; x < 640; x++)
                        if (!near(s.at(x, y), rgb_at(menu.bitmap, x, y), 8))
                            return false;
                return true;
            },
            shot)) << "the pointer off the items";
        desk.tap(m.key);
        compose_title_menu(menu.bitmap, m.item, title_menu_line_height());
        px = menu_item(m.item).x;
        py = menu_item(m.item).y;
        ASSERT_NO_FATAL_FAILURE(expect_screen(menu.bitmap, "the pointer on the item"));
    }
    desk.tap("Return");
    ASSERT_TRUE(exits_with(*game));
}

}  // namespace
