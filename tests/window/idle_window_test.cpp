// TILESTACK_IDLE=wait, as players run the game, beside the program started alone, polling
// without pause, each on an X server of its own: the same deal played with the same real
// input shows exactly the same windows. (What each costs the processor at rest is measured
// by bench/idle/idle_bench.cpp.)
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdlib>
#include <string>

#include "app/resources.h"
#include "board/layout.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/game_frame.h"
#include "support/boards.h"

namespace {

using namespace std::chrono_literals;

struct Player {  // one game on an X server of its own
    const char *idle;
    XServer server;
    Desk desk{server};
    std::unique_ptr<GameProcess> game;
    Screenshot shot;

    explicit Player(const char *mode) : idle(mode) {}
};

// In the smoke set: the optimised game a player gets (see tests/CMakeLists.txt).
class IdleWindowSmoke : public ::testing::Test {
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

    // Both with the clock pinned, so that they deal alike.
    void launch()
    {
        for (Player &p : players) {
            auto env = pinned_clock_environment();
            env["TILESTACK_IDLE"] = p.idle;
            p.game = p.desk.launch(p.server, folder.path(), {}, env);
            ASSERT_TRUE(p.desk.wait_for(is_title_screen, p.shot)) << p.idle << p.game->output();
        }
        px = 320;
        py = 240;
    }

    // Both windows show `expected` (but for the pointer), and then the same to the last pixel.
    void expect_both_show(BITMAP *expected, const std::string &what)
    {
        for (Player &p : players) {
            std::string why;
            ASSERT_TRUE(p.desk.wait_to_show(expected, px, py, p.shot, &why))
                << what << " with " << p.idle << ": " << why << p.game->output();
        }
        // Again while a pointer is caught hidden for a copy to the screen.
        int differing = -1;
        players[0].desk.wait_for(
            [&](const Screenshot &s) {
                players[1].shot = players[1].desk.grab();
                differing = s.differing(players[1].shot);
                return differing == 0;
            },
            players[0].shot, 10s);
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
    }

    void close_both()
    {
        for (Player &p : players) {
            ASSERT_TRUE(p.desk.request_close());
            const Exit e = p.game->wait();
            EXPECT_TRUE(e.exited && e.status == 0) << p.idle << p.game->output();
        }
    }
};

TEST_F(IdleWindowSmoke, WaitingPlaysTheSameFramesAsSpinning)
{
    ASSERT_TRUE(pictures.loaded());
    ASSERT_NO_FATAL_FAILURE(launch());

    // The deal both games make from the random sequence they draw from, followed here.
    std::srand(pinned_clock);
    Deal dealt;
    ASSERT_TRUE(follow_next_deal(folder.path(), dealt));
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
    ASSERT_NO_FATAL_FAILURE(close_both());
}

}  // namespace
