// The window enlarged on a large screen, in the real binary: the frames shown as blocks of
// pixels, clicks at the enlarged positions, the file selector, and the factor "auto" picks.
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
#include "support/files.h"

namespace {

using namespace std::chrono_literals;

const geometry::Point origin = geometry::board_origin(640, 480);

// The middle of the block that shows frame pixel (x, y) at the factor.
geometry::Point on_screen(geometry::Point p, int factor)
{
    return {p.x * factor + factor / 2, p.y * factor + factor / 2};
}

// Pixels of the shot that are not `frame` enlarged by `factor`, leaving out the box the
// enlarged pointer may cover with its hot spot at (px, py).
int differences_enlarged(const Screenshot &shot, BITMAP *frame, int factor, int px, int py)
{
    int n = 0;
    for (int y = 0; y < frame->h * factor; y++)
        for (int x = 0; x < frame->w * factor; x++) {
            const bool pointer = x >= px - 3 * factor && x < px + 20 * factor &&
                                 y >= py - 3 * factor && y < py + 26 * factor;
            n += !pointer && !near(shot.at(x, y), rgb_at(frame, x / factor, y / factor), 8);
        }
    return n;
}

// The frame at the top-left pixel of each block: what the editor's screen readers expect.
Screenshot reduced(const Screenshot &shot, int factor)
{
    Screenshot small(shot.width() / factor, shot.height() / factor);
    for (int y = 0; y < small.height(); y++)
        for (int x = 0; x < small.width(); x++)
            small.set(x, y, shot.at(x * factor, y * factor));
    return small;
}

class ScaleWindow : public ::testing::Test {
protected:
    Screenshot shot;

    void TearDown() override
    {
        if (HasFailure())
            save_test_screenshot(shot);
    }

    // Waits until the screen shows `frame` enlarged twice, the pointer at (px, py).
    void expect_enlarged(Desk &desk, BITMAP *frame, int px, int py, const std::string &what)
    {
        int left = 0;
        if (!desk.wait_for([&](const Screenshot &s) {
                return (left = differences_enlarged(s, frame, 2, px, py)) == 0;
            }, shot))
            FAIL() << what << ": " << left << " pixels differ";
    }
};

TEST_F(ScaleWindow, AtFactorTwoTheTitleABoardAndATakenPairAreTheFramesEnlarged)
{
    XServer server(2560, 1600);
    Desk desk(server);
    desk.grab_size(1280, 960);
    GameFolder folder;
    GameData pictures(folder.path());
    ASSERT_TRUE(pictures.loaded());
    auto env = pinned_clock_environment();
    env["TILESTACK_SCALE"] = "2";
    auto game = desk.launch(server, folder.path(), {}, env);
    int w = 0, h = 0;
    ASSERT_TRUE(desk.window_size(w, h));
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    std::srand(pinned_clock);

    // The pointer at the window's middle is at (320, 240) of the frame, below both items.
    BITMAP *frame = create_bitmap(640, 480);
    const int line_height = text_height(resources.game_font) * 3 / 2;
    compose_title_menu(frame, geometry::floor_div(240 - 180, line_height), line_height);
    ASSERT_NO_FATAL_FAILURE(expect_enlarged(desk, frame, 640, 480, "the title screen"));

    const geometry::Point start = on_screen({320, 180 + line_height / 2}, 2);
    desk.move(start.x, start.y);
    desk.press();
    Desk::pause(100ms);
    desk.release();
    const std::string name = folder.path(std::to_string(std::rand() % 3) + ".lyt");
    ASSERT_TRUE(layout.load(name.c_str()));
    Deal dealt;
    ASSERT_TRUE(deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt));
    compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, -1);
    ASSERT_NO_FATAL_FAILURE(expect_enlarged(desk, frame, start.x, start.y, "the dealt board"));
    save_screenshot(shot, "scaled-x2-dealt-board.png");  // to look at

    int a, b;
    ASSERT_TRUE(clickable_pair(layout, origin, a, b)) << ::testing::PrintToString(layout);
    for (int cell : {a, b}) {
        const geometry::Point p = on_screen(point_on(layout, origin, cell), 2);
        const bool second = cell == b;
        if (second) {
            layout.set_cell(a, 0);
            layout.set_cell(b, 0);
        }
        compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, second ? -1 : a);
        desk.move(p.x, p.y);
        desk.press();
        expect_enlarged(desk, frame, p.x, p.y, second ? "the pair taken" : "the first piece framed");
        desk.release();
        Desk::pause(150ms);
        ASSERT_FALSE(HasFailure()) << game->output();
    }
    destroy_bitmap(frame);
    layout.clear();
}

TEST_F(ScaleWindow, AtFactorTwoTheEditorSavesThroughTheFileSelector)
{
    using namespace editor_screen;
    XServer server(2560, 1600);
    XAutoRepeatOff(server.display());
    Desk desk(server);
    desk.grab_size(1280, 960);
    GameFolder folder;
    auto game = desk.launch(server, folder.path(), {"edit"}, {{"TILESTACK_SCALE", "2"}});
    auto see = [&](const std::function<bool(const Screenshot &)> &ready) {
        return desk.wait_for([&](const Screenshot &s) { return ready(reduced(s, 2)); }, shot);
    };
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 0)); }))
        << game->output();

    // A press at the enlarged middle of cell (3, 2) places a piece there.
    const geometry::Point p = on_screen(cell_middle(origin, 3, 2, 0), 2);
    desk.move(p.x, p.y);
    desk.press();
    EXPECT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 1)); }));
    desk.release();
    desk.move(1270, 950);  // out of the way, still in the window, which has the keyboard

    // The selector at its own size in the middle of the window: typed into, and its OK
    // button clicked.
    desk.key_down("s");
    Desk::pause(200ms);
    desk.key_up("s");
    ASSERT_TRUE(see(dialog_open)) << game->output();
    save_screenshot(shot, "scaled-x2-file-selector.png");  // to look at
    desk.tap_quickly("End");
    desk.type("big.lyt");
    const int left = (1280 - 500) / 2, top = (960 - 350) / 2;  // the selector is 500 x 350
    desk.click(left + 196, top + 316);
    ASSERT_TRUE(see([&](const Screenshot &s) {
        return nothing_open(s) && std::filesystem::exists(folder.path("big.lyt"));
    })) << game->output();
    std::vector<unsigned char> expected(Layout::cell_count, 0);
    expected[Layout::index(3, 2, 0)] = 1;
    EXPECT_EQ(read_file(folder.path("big.lyt")), expected);
}

TEST_F(ScaleWindow, AutoFitsTheDesktopAndABadValueIsNamed)
{
    {
        XServer large(2560, 1600);
        Desk desk(large);
        GameFolder folder;
        auto game = desk.launch(large, folder.path(), {}, {{"TILESTACK_SCALE", "auto"}});
        int w = 0, h = 0;
        ASSERT_TRUE(desk.window_size(w, h));
        EXPECT_EQ(w, 1920);
        EXPECT_EQ(h, 1440);
        GameData pictures(folder.path());
        desk.grab_size(1920, 1440);
        ASSERT_TRUE(desk.wait_for(
            [](const Screenshot &s) { return is_title_screen(reduced(s, 3)); }, shot));
        save_screenshot(shot, "scaled-x3-title.png");  // to look at
    }
    XServer small(1024, 768);
    Desk desk(small);
    GameFolder folder;
    for (const char *value : {"auto", "9"}) {
        auto game = desk.launch(small, folder.path(), {}, {{"TILESTACK_SCALE", value}});
        int w = 0, h = 0;
        ASSERT_TRUE(desk.window_size(w, h));
        EXPECT_EQ(w, 640) << value;
        EXPECT_EQ(h, 480) << value;
        const std::string said = game->output();
        if (std::string(value) == "auto")
            EXPECT_EQ(said, "");
        else
            EXPECT_EQ(said, "tilestack: TILESTACK_SCALE=\"9\" is neither a whole factor from 1 "
                            "to 8 nor \"auto\"; the window opens at factor 1.\n");
    }
}

}  // namespace
