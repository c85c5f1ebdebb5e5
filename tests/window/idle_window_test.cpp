// TILESTACK_IDLE=wait beside the same game polling without pause, each on an X server of its
// own: the same deal played with the same real input shows exactly the same windows, and with
// nothing happening the waiting game leaves the processor alone on every screen.
#include <gtest/gtest.h>

#include <allegro.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "app/resources.h"
#include "board/layout.h"
#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/game_frame.h"
#include "support/boards.h"

namespace {

using namespace std::chrono_literals;

// Processor time used so far by all the threads of a process, in clock ticks: fields 14 and 15
// of its stat line, counted after the parenthesised name.
long cpu_ticks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string word;
    while (in >> word && word.back() != ')') {
    }
    long user = 0, system = 0;
    for (int field = 3; field < 14; field++)
        in >> word;
    in >> user >> system;
    return user + system;
}

struct Player {  // one game on an X server of its own
    const char *idle;
    XServer server;
    Desk desk{server};
    std::unique_ptr<GameProcess> game;
    Screenshot shot;

    explicit Player(const char *mode) : idle(mode) {}
};

class IdleWindow : public ::testing::Test {
protected:
    GameFolder folder;
    GameData pictures{folder.path()};
    Player players[2] = {Player("spin"), Player("wait")};
    int px = 320, py = 240;  // where both pointers are

    void TearDown() override
    {
        for (Player &p : players)
            if (HasFailure())
                save_test_screenshot(p.shot, std::string("-") + p.idle);
        layout.clear();
    }

    // Both with the clock pinned, so that they deal alike, and without the test shim's pause
    // between passes, so that spinning spins as it does for a player.
    void launch(const std::vector<std::string> &args, bool (*ready)(const Screenshot &))
    {
        for (Player &p : players) {
            auto env = pinned_clock_environment();
            env["TILESTACK_IDLE"] = p.idle;
            env["TILESTACK_SHIM_PASS_PAUSE_US"] = "0";
            p.game = p.desk.launch(p.server, folder.path(), args, env);
            ASSERT_TRUE(p.desk.wait_for(ready, p.shot)) << p.idle << p.game->output();
        }
        px = 320;
        py = 240;
    }

    // The share of a core each uses over 4 s with nothing happening: under 5 % while waiting.
    void expect_idle_shares(const std::string &screen)
    {
        long before[2];
        double share[2];
        for (int i = 0; i < 2; i++)
            before[i] = cpu_ticks(players[i].game->pid());
        Desk::pause(4s);
        for (int i = 0; i < 2; i++) {
            share[i] = 100.0 * (cpu_ticks(players[i].game->pid()) - before[i]) /
                       (4.0 * sysconf(_SC_CLK_TCK));
            std::cout << screen << ", " << players[i].idle << ": " << share[i] << " % of a core\n";
            RecordProperty(screen + "_" + players[i].idle, std::to_string(share[i]));
        }
        EXPECT_LT(share[1], 5) << screen << ": waiting leaves the processor alone";
        EXPECT_GT(share[0], 4 * share[1] + 10) << screen << ": spinning polls on";
    }

    // Both windows show `expected` (but for the pointer), and then the same to the last pixel.
    void expect_both_show(BITMAP *expected, const std::string &what)
    {
        for (Player &p : players) {
            std::string why;
            ASSERT_TRUE(p.desk.wait_to_show(expected, px, py, p.shot, &why))
                << what << " with " << p.idle << ": " << why << p.game->output();
        }
        int differing = -1;
        for (int tries = 0; tries < 20 && differing != 0; tries++) {
            if (tries > 0) {
                Desk::pause(50ms);  // a pointer caught while hidden for a copy
                for (Player &p : players)
                    p.shot = p.desk.grab();
            }
            differing = 0;
            for (int y = 0; y < 480; y++)
                for (int x = 0; x < 640; x++)
                    differing += players[0].shot.at(x, y) != players[1].shot.at(x, y);
        }
        EXPECT_EQ(differing, 0) << what << ": pixels that differ between the windows";
    }

    // A click on both at p: a press held until `expected` shows, or a quick tap.
    void click_both(geometry::Point p, bool quick, BITMAP *expected, const std::string &what)
    {
        px = p.x;
        py = p.y;
        for (Player &pl : players) {
            pl.desk.move(p.x, p.y);
            if (quick)
                pl.desk.click(p.x, p.y);
            else
                pl.desk.press();
        }
        expect_both_show(expected, what);
        for (Player &pl : players)
            if (!quick)
                pl.desk.release();
        Desk::pause(150ms);
    }

    void close_both()
    {
        for (Player &p : players) {
            ASSERT_TRUE(p.desk.request_close());
            const Exit e = p.game->wait(5s);
            EXPECT_TRUE(e.exited && e.status == 0) << p.idle << p.game->output();
        }
    }
};

TEST_F(IdleWindow, WaitingPlaysTheSameFramesAndRestsOnEveryScreen)
{
    ASSERT_TRUE(pictures.loaded());
    ASSERT_NO_FATAL_FAILURE(launch({}, is_title_screen));
    expect_idle_shares("title");

    // The deal both games make from the random sequence they draw from, followed here.
    std::srand(pinned_clock);
    ASSERT_TRUE(layout.load(folder.path(std::to_string(std::rand() % 3) + ".lyt").c_str()));
    Deal dealt;
    ASSERT_TRUE(deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt));
    const geometry::Point origin = geometry::board_origin(640, 480);
    BITMAP *frame = create_bitmap(640, 480);
    auto frame_with = [&](int selected) {
        compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, selected);
        return frame;
    };
    const int start_y = 180 + title_menu_line_height() / 2;
    click_both({320, start_y}, true, frame_with(-1), "the dealt board");  // on the release

    // Three pairs, the last by quick taps: each first piece framed, then the pair gone.
    for (int pair = 0; pair < 3 && !HasFailure(); pair++) {
        int a, b;
        ASSERT_TRUE(clickable_pair(layout, origin, a, b)) << ::testing::PrintToString(layout);
        const geometry::Point on_b = point_on(layout, origin, b);
        click_both(point_on(layout, origin, a), pair == 2, frame_with(a), "a piece framed");
        layout.set_cell(a, 0);
        layout.set_cell(b, 0);
        click_both(on_b, pair == 2, frame_with(-1), "pair " + std::to_string(pair) + " taken");
    }
    destroy_bitmap(frame);
    ASSERT_FALSE(HasFailure());
    expect_idle_shares("game");
    ASSERT_NO_FATAL_FAILURE(close_both());

    ASSERT_NO_FATAL_FAILURE(launch({"edit"}, [](const Screenshot &s) {
        return editor_screen::status_reads(s, editor_screen::status(0, 0));
    }));
    expect_idle_shares("editor");
    ASSERT_NO_FATAL_FAILURE(close_both());
}

}  // namespace
