// TILESTACK_IDLE=wait beside the same game polling without pause, each on an X server of its
// own: the same deal played with the same real input shows exactly the same windows, and with
// nothing happening the waiting game leaves the processor alone on every screen.
#include <gtest/gtest.h>

#include <allegro.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>

#include "app/resources.h"
#include "board/geometry.h"
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

const geometry::Point origin = geometry::board_origin(640, 480);
constexpr auto idle_span = 4s;

// Processor time used by all the threads of a process so far, in clock ticks.
long cpu_ticks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skip;
    for (int i = 3; i < 14; i++)  // state .. cmajflt: fields 3 to 13
        fields >> skip;
    long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

// One game on an X server of its own.
struct Player {
    const char *idle;  // TILESTACK_IDLE
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
    Player spinning{"spin"}, waiting{"wait"};
    Player *players[2] = {&spinning, &waiting};
    int px = 320, py = 240;  // where both pointers are

    void TearDown() override
    {
        if (HasFailure())
            for (Player *p : players)
                save_test_screenshot(p->shot, std::string("-") + p->idle);
        layout.clear();
    }

    // Starts both, with the clock pinned so that they deal alike, and without the test shim's
    // pause between passes, so that spinning spins as it does for a player.
    void launch(const std::vector<std::string> &args,
                const std::function<bool(const Screenshot &)> &ready)
    {
        for (Player *p : players) {
            auto env = pinned_clock_environment();
            env["TILESTACK_IDLE"] = p->idle;
            env["TILESTACK_SHIM_PASS_PAUSE_US"] = "0";
            p->game = p->desk.launch(p->server, folder.path(), args, env);
            ASSERT_TRUE(p->desk.wait_for(ready, p->shot)) << p->idle << p->game->output();
        }
        px = 320;
        py = 240;
    }

    // The share of one core each game used over a span in which nothing happened.
    void idle_shares(const char *screen, double shares[2])
    {
        long before[2];
        for (int i = 0; i < 2; i++)
            before[i] = cpu_ticks(players[i]->game->pid());
        Desk::pause(idle_span);
        for (int i = 0; i < 2; i++) {
            const double ticks = cpu_ticks(players[i]->game->pid()) - before[i];
            shares[i] = 100.0 * ticks / sysconf(_SC_CLK_TCK) /
                        std::chrono::duration<double>(idle_span).count();
            std::cout << screen << ", " << players[i]->idle << ": " << shares[i]
                      << " % of a core\n";
            ::testing::Test::RecordProperty(std::string(screen) + "_" + players[i]->idle,
                                            std::to_string(shares[i]));
        }
    }

    void expect_idle_shares(const char *screen)
    {
        double shares[2];
        idle_shares(screen, shares);
        EXPECT_LT(shares[1], 5.0) << screen << ": waiting leaves the processor alone";
        EXPECT_GT(shares[0], 4 * shares[1] + 10) << screen << ": spinning polls on";
    }

    // Waits until both windows show `expected` (but for the pointer), then until they are the
    // same to the last pixel, pointer included.
    void expect_both_show(BITMAP *expected, const std::string &what)
    {
        for (Player *p : players) {
            std::string why;
            ASSERT_TRUE(p->desk.wait_to_show(expected, px, py, p->shot, &why))
                << what << " with " << p->idle << ": " << why << p->game->output();
        }
        int differing = 0;
        for (int tries = 0; tries < 20; tries++) {
            differing = 0;
            for (int y = 0; y < 480; y++)
                for (int x = 0; x < 640; x++)
                    differing += spinning.shot.at(x, y) != waiting.shot.at(x, y);
            if (differing == 0)
                return;
            Desk::pause(50ms);  // a pointer caught while hidden for a copy
            for (Player *p : players)
                p->shot = p->desk.grab();
        }
        ADD_FAILURE() << what << ": " << differing << " pixels differ between the windows";
    }

    // A click on both at p: held until the effect shows, or a quick tap.
    void click_both(geometry::Point p, bool quick, BITMAP *expected, const std::string &what)
    {
        px = p.x;
        py = p.y;
        for (Player *pl : players) {
            if (quick) {
                pl->desk.click(p.x, p.y);
            } else {
                pl->desk.move(p.x, p.y);
                pl->desk.press();
            }
        }
        expect_both_show(expected, what);
        if (!quick)
            for (Player *pl : players)
                pl->desk.release();
        Desk::pause(150ms);
    }

    void close_both()
    {
        for (Player *p : players) {
            ASSERT_TRUE(p->desk.request_close());
            const Exit e = p->game->wait(5s);
            EXPECT_TRUE(e.exited && e.status == 0) << p->idle << p->game->output();
        }
    }
};

TEST_F(IdleWindow, WaitingPlaysTheSameFramesAndRestsOnEveryScreen)
{
    ASSERT_TRUE(pictures.loaded());
    ASSERT_NO_FATAL_FAILURE(launch({}, is_title_screen));
    ASSERT_NO_FATAL_FAILURE(expect_idle_shares("title"));

    // The same deal on both: the random sequence both games draw from, followed here.
    std::srand(pinned_clock);
    const int line_height = text_height(resources.game_font) * 3 / 2;
    const geometry::Point start = {320, 180 + line_height / 2};
    const std::string name = folder.path(std::to_string(std::rand() % 3) + ".lyt");
    ASSERT_TRUE(layout.load(name.c_str()));
    Deal dealt;
    ASSERT_TRUE(deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt));
    BITMAP *frame = create_bitmap(640, 480);
    auto compose = [&](int selected) {
        compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, selected);
    };
    for (Player *p : players) {
        p->desk.move(start.x, start.y);
        p->desk.press();
    }
    Desk::pause(100ms);  // the game starts once the button is up
    for (Player *p : players)
        p->desk.release();
    px = start.x;
    py = start.y;
    compose(-1);
    ASSERT_NO_FATAL_FAILURE(expect_both_show(frame, "the dealt board"));

    // Three pairs, the last by quick taps, each piece framed and then the pair gone.
    for (int pair = 0; pair < 3 && !HasFatalFailure(); pair++) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        const bool quick = pair == 2;
        int a, b;
        ASSERT_TRUE(clickable_pair(layout, origin, a, b)) << ::testing::PrintToString(layout);
        const geometry::Point on_a = point_on(layout, origin, a), on_b = point_on(layout, origin, b);
        compose(a);
        click_both(on_a, quick, frame, "the first piece framed");
        layout.set_cell(a, 0);
        layout.set_cell(b, 0);
        compose(-1);
        click_both(on_b, quick, frame, "the pair taken");
    }
    destroy_bitmap(frame);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_NO_FATAL_FAILURE(expect_idle_shares("game"));
    ASSERT_NO_FATAL_FAILURE(close_both());

    ASSERT_NO_FATAL_FAILURE(launch({"edit"}, [](const Screenshot &s) {
        return editor_screen::status_reads(s, editor_screen::status(0, 0)) &&
               editor_screen::frame_pixels(s) > 5000;
    }));
    ASSERT_NO_FATAL_FAILURE(expect_idle_shares("editor"));
    ASSERT_NO_FATAL_FAILURE(close_both());
}

}  // namespace
