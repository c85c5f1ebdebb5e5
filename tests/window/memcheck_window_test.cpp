// The real game under valgrind's memory check, played through real input: a game with a few
// pairs taken and left with Escape, a second game ended with F1, Exit; and an editor session
// with a save, a load and a trial game. Valgrind must find no invalid access and no leak of
// ours (tests/valgrind/tilestack.supp holds the library's and the X libraries' own, each
// with its reason). Under valgrind everything runs many times slower, so every step waits
// for its effect on the screen rather than for a fixed time.
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/constants.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "support/boards.h"
#include "support/files.h"

namespace {

using namespace std::chrono_literals;

const geometry::Point origin = geometry::board_origin(640, 480);
constexpr auto slow = 60s;  // the longest any one step may take under valgrind

class Memcheck : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    TempDir logs;
    std::unique_ptr<GameProcess> game;
    Screenshot shot;

    void SetUp() override
    {
        if (TILESTACK_SANITIZED)
            GTEST_SKIP() << "valgrind cannot run a build with AddressSanitizer";
        XAutoRepeatOff(server.display());
    }

    std::string log_path() const { return logs.path("valgrind.log"); }
    std::string valgrind_log() const
    {
        const std::vector<unsigned char> bytes = read_file(log_path());
        return std::string(bytes.begin(), bytes.end());
    }

    void launch(const std::vector<std::string> &args)
    {
        const std::vector<std::string> valgrind = {
            TILESTACK_VALGRIND,
            "--tool=memcheck",
            "--error-exitcode=99",
            "--leak-check=full",
            "--show-leak-kinds=definite",
            "--errors-for-leak-kinds=definite",
            "--fair-sched=yes",  // the library's input thread gets its turns beside the game
            "--num-callers=30",
            "--gen-suppressions=all",
            "--suppressions=" TILESTACK_VALGRIND_SUPPRESSIONS,
            "--log-file=" + log_path(),
        };
        game = desk.launch(server, folder.path(), args, pinned_clock_environment(), valgrind,
                           slow);
    }

    // Ends with exit status 0 and a clean report.
    void expect_clean_exit()
    {
        Exit e = game->wait(slow);
        EXPECT_TRUE(e.exited) << game->output() << valgrind_log();
        EXPECT_EQ(e.status, 0) << "99 means valgrind found errors\n" << valgrind_log();
        const std::string log = valgrind_log();
        ASSERT_NE(log.find("Memcheck"), std::string::npos) << "valgrind did not run:\n" << log;
        EXPECT_NE(log.find("ERROR SUMMARY: 0 errors"), std::string::npos) << log;
        if (std::getenv("TILESTACK_SHOW_VALGRIND_LOG"))
            std::cerr << log;
        EXPECT_EQ(log.find("definitely lost: "), log.find("definitely lost: 0 bytes")) << log;
    }

    bool see(const std::function<bool(const Screenshot &)> &ready, const std::string &what)
    {
        if (desk.wait_for(ready, shot, slow))
            return true;
        save_test_screenshot(shot);
        ADD_FAILURE() << "never saw " << what << "\n" << game->output() << valgrind_log();
        return false;
    }

    // Screens differ away from the pointer at p.
    static bool changed(const Screenshot &a, const Screenshot &b, geometry::Point p)
    {
        for (int y = 0; y < 480; y += 2)
            for (int x = 0; x < 640; x += 2)
                if ((x < p.x - 4 || x > p.x + 22 || y < p.y - 4 || y > p.y + 28) &&
                    !near(a.at(x, y), b.at(x, y), 8))
                    return true;
        return false;
    }

    // The screen once whatever was on its way (a frame, the pointer moved) has arrived.
    Screenshot still()
    {
        Screenshot s;
        EXPECT_TRUE(desk.wait_until_still(s, slow)) << game->output();
        return s;
    }

    // Presses at p and holds the button until the screen changes, then lets go.
    bool press_until_changed(geometry::Point p, const std::string &what)
    {
        desk.move(p.x, p.y);
        const Screenshot before = still();
        desk.press();
        bool ok = see([&](const Screenshot &s) { return changed(before, s, p); }, what);
        desk.release();
        return ok;
    }

};

// ---------------------------------------------------------------------------------------------
// The game

TEST_F(Memcheck, GamesAndTheTitleMenu)
{
    GameData pictures(folder.path());
    ASSERT_TRUE(pictures.loaded());
    const int line_height = text_height(resources.game_font) * 3 / 2;

    launch({});
    ASSERT_TRUE(see(is_title_screen, "the title screen"));
    std::srand(pinned_clock);

    auto start_game = [&] {
        desk.move(320, 180 + line_height / 2);
        desk.press();
        desk.release();  // the game starts on the release
        Deal dealt;
        EXPECT_TRUE(follow_next_deal(folder.path(), dealt));
        return see([](const Screenshot &s) { return !is_title_screen(s); }, "a game");
    };

    // A few pairs, then Escape.
    ASSERT_TRUE(start_game());
    still();  // the first frame whole
    for (int move = 0; move < 3; move++) {
        int a, b;
        ASSERT_TRUE(clickable_pair(layout, origin, a, b)) << ::testing::PrintToString(layout);
        ASSERT_TRUE(press_until_changed(point_on(layout, origin, a), "the picked piece framed"));
        ASSERT_TRUE(press_until_changed(point_on(layout, origin, b), "the pair taken"));
        layout.set_cell(a, 0);
        layout.set_cell(b, 0);
    }
    desk.press_key("Escape");
    ASSERT_TRUE(see(is_title_screen, "the title screen after Escape"));

    // A second game, ended with F1 and its game-over screen.
    ASSERT_TRUE(start_game());
    const Screenshot board = still();
    desk.key_down("F1");
    see([&](const Screenshot &s) { return changed(board, s, {320, 180 + line_height / 2}); },
        "the game-over screen");
    desk.key_up("F1");
    ASSERT_TRUE(see(is_title_screen, "the title screen after the game-over screen"));

    // Exit.
    desk.move(320, 180 + line_height * 3 / 2);
    desk.press();
    desk.release();
    expect_clean_exit();
    layout.clear();
}

// ---------------------------------------------------------------------------------------------
// The editor

using editor_screen::frame_pixels;
using editor_screen::nothing_open;
using editor_screen::selector_open;

TEST_F(Memcheck, EditorWithSaveLoadAndATrialGame)
{
    std::vector<unsigned char> shape(Layout::cell_count, 0);
    for (int x = 0; x < 12; x += 2)
        shape[Layout::index(x, 3, 0)] = 1;
    write_file(folder.path("shape.lyt"), shape);

    launch({"edit"});
    ASSERT_TRUE(see([](const Screenshot &s) { return frame_pixels(s) > 5000; }, "the editor"));

    // Two pieces placed.
    for (int x : {2, 3})
        ASSERT_TRUE(press_until_changed(cell_middle(origin, x, 2, 0), "a piece placed"));
    desk.move(636, 476);

    // Through the selector: clear the folder it starts with, type the whole path, confirm.
    auto choose = [&](const char *key, const std::string &path) {
        desk.press_key(key);
        if (!see(selector_open, "the selector"))
            return false;
        editor_screen::enter_path(desk, folder.path(), path);
        return see(nothing_open, "the selector closed");
    };

    ASSERT_TRUE(choose("s", folder.path("saved.lyt")));
    std::vector<unsigned char> expected(Layout::cell_count, 0);
    expected[Layout::index(2, 2, 0)] = expected[Layout::index(3, 2, 0)] = 1;
    EXPECT_TRUE(wait_for_file(
        folder.path("saved.lyt"), [](const std::vector<unsigned char> &b) { return b.size() == 504; },
        slow));
    EXPECT_EQ(read_file(folder.path("saved.lyt")), expected);

    const Screenshot before_load = desk.grab();
    ASSERT_TRUE(choose("l", folder.path("shape.lyt")));
    ASSERT_TRUE(see([&](const Screenshot &s) { return changed(before_load, s, {636, 476}); },
                    "the loaded layout"));

    // A trial game: the game's screen has no placement frames.
    desk.press_key("p");
    ASSERT_TRUE(see([](const Screenshot &s) { return frame_pixels(s) == 0; }, "the trial game"));
    desk.press_key("Escape");
    ASSERT_TRUE(see([](const Screenshot &s) { return frame_pixels(s) > 5000; },
                    "the editor after the trial game"));

    desk.press_key("Escape");  // unchanged since the load: leaves without a question
    expect_clean_exit();
}

}  // namespace
