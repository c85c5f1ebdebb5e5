// The board chosen on the title screen in a real window: Right steps to a shipped board and
// to a file of the player's own, Start deals that shape as the game deals, and a file that
// cannot be played is offered with its reason and does not start; the game's clock runs in the
// window's title.
#include <gtest/gtest.h>

#include <filesystem>

#include <allegro.h>

#include <cstdlib>
#include <string>

#include "app/resources.h"
#include "board/constants.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "play/gallery.h"
#include "render/game_frame.h"
#include "support/boards.h"
#include "support/files.h"

namespace {

const geometry::Point origin = geometry::board_origin(640, 480);

struct Picture {
    BITMAP *bitmap = create_bitmap(640, 480);
    ~Picture() { destroy_bitmap(bitmap); }
    Picture() = default;
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;
};

// A shape of `pieces` pieces a column apart on the bottom row y, two more on top of its first
// two: six of eight pieces free, so a pair to take always, and no game ends by itself.
Layout shape(int y, int pieces)
{
    Layout board;
    board.clear();
    for (int x = 0; x < pieces; x++)
        board.set(2 * x, y, 0, 1);
    board.set(0, y, 1, 1);
    board.set(2, y, 1, 1);
    return board;
}

class GalleryWindow : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    GameData pictures{folder.path()};
    std::unique_ptr<GameProcess> game;
    Screenshot shot;
    int px = 320, py = 240;

    void TearDown() override
    {
        if (HasFailure())
            save_test_screenshot(shot);
        layout.clear();
    }

    int line_height() const { return title_menu_line_height(); }

    void expect_screen(BITMAP *expected, const std::string &what)
    {
        std::string why;
        if (!desk.wait_to_show(expected, px, py, shot, &why))
            FAIL() << what << ": " << why << game->output();
    }

    void expect_window_name(const std::string &text)
    {
        std::string name;
        EXPECT_TRUE(desk.wait_for_window_name(text, &name)) << "the window is named " << name;
    }

    // Clicks "Start" with the pointer on it, pressed and released.
    void click_start()
    {
        px = 320;
        py = 180 + line_height() / 2;
        desk.move(px, py);
        desk.press();
        desk.release();
    }

    // Right once, then the title with that board's line and the window's name for it (which
    // offers the last game after the first).
    void step_to(const std::string &name, const char *fault, bool kept = true)
    {
        desk.tap("Right");
        expect_window_name("tilestack - title - F2: keys - *board: " + name +
                           (kept ? " - Ctrl+Z: last game" : ""));
        Picture title;
        const int hovered = (py - 180) / line_height();
        compose_title_menu(title.bitmap, py >= 180 ? hovered : -1, line_height(), name.c_str(),
                           fault);
        expect_screen(title.bitmap, "the title with the board " + name);
    }

    // Start on the board now chosen: the game's first frame is `file` dealt as the game deals.
    // With `timed`, the game's clock is seen to go on in the window's title, and the game is
    // ended with F1 rather than left.
    void start_and_leave(const std::string &file, bool timed = false)
    {
        click_start();
        ASSERT_TRUE(layout.load(folder.path(file).c_str()));
        Deal dealt;
        ASSERT_TRUE(deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt));
        Picture first;
        compose_game_frame(first.bitmap, origin, dealt.top_layer, dealt.shading_step, -1);
        ASSERT_NO_FATAL_FAILURE(expect_screen(first.bitmap, "the first frame of " + file));
        if (timed) {
            expect_window_name("tilestack - game - 0:01 - F2: keys");
            desk.tap("F1");
        } else {
            desk.tap("Escape");
        }
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
    }
};

TEST_F(GalleryWindow, RightChoosesAShippedBoardAndAFileOfOneselfAndStartDealsIt)
{
    ASSERT_TRUE(pictures.loaded());
    // Only this test's boards beside the three: the shipped gallery's files go.
    for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
        if (const std::string n = entry.path().filename().string();
            (entry.path().extension() == ".lyt" && n.size() != 5) ||
            entry.path().extension() == ".name")
            std::filesystem::remove(entry.path());
    ASSERT_TRUE(shape(0, 6).save(folder.path("ring.lyt").c_str()));
    write_text(folder.path("ring.name"), "The ring\n");
    write_text(folder.path("gallery.txt"), "ring.lyt\n");
    ASSERT_TRUE(shape(4, 4).save(folder.path("mine.lyt").c_str()));
    std::string odd(504, '\0');
    odd[0] = odd[1] = odd[2] = '\1';
    write_text(folder.path("odd.lyt"), odd);
    write_text(folder.path("records.txt"), "not records\n");

    game = desk.launch(server, folder.path(), {}, pinned_clock_environment());
    ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
    expect_window_name("tilestack - title - F2: keys");
    std::srand(pinned_clock);  // a chosen board draws nothing before its deal

    ASSERT_NO_FATAL_FAILURE(step_to("The ring", nullptr, false));
    ASSERT_NO_FATAL_FAILURE(start_and_leave("ring.lyt", true));
    // The game is counted in the records, which start afresh from a file that was not records,
    // kept aside.
    auto holds = [](const char *line) {
        return [line](const std::vector<unsigned char> &bytes) {
            return std::string(bytes.begin(), bytes.end()).find(line) != std::string::npos;
        };
    };
    EXPECT_TRUE(wait_for_file(folder.path("records.txt"), holds("1 0 0 - 0 0 ring.lyt\n")))
        << ::testing::PrintToString(read_file(folder.path("records.txt"))) << game->output();
    const std::vector<unsigned char> aside = read_file(folder.path("records.txt.bad"));
    EXPECT_EQ(std::string(aside.begin(), aside.end()), "not records\n");
    ASSERT_NO_FATAL_FAILURE(step_to("mine.lyt", nullptr));  // the choice outlived the game
    ASSERT_NO_FATAL_FAILURE(start_and_leave("mine.lyt"));
    EXPECT_TRUE(wait_for_file(folder.path("records.txt"),
                              holds("1 0 0 - 0 0 mine.lyt\n1 0 0 - 0 0 ring.lyt\n")));
    ASSERT_NO_FATAL_FAILURE(step_to("odd.lyt", "its count of pieces is odd (3)"));
    click_start();
    desk.move(320, 440);  // off the items: the title stays, with the reason
    px = 320;
    py = 440;
    Picture refused;
    compose_title_menu(refused.bitmap, -1, line_height(), "odd.lyt",
                       "its count of pieces is odd (3)");
    ASSERT_NO_FATAL_FAILURE(expect_screen(refused.bitmap, "no game on an odd board"));
    ASSERT_NO_FATAL_FAILURE(step_to(any_of_three_name, nullptr));  // wrapped around
    desk.tap("Escape");
    const Exit e = game->wait();
    ASSERT_TRUE(e.exited) << game->output();
    EXPECT_EQ(e.status, 0);
    EXPECT_NE(game->output().find("the records in records.txt cannot be read"), std::string::npos)
        << game->output();
}

}  // namespace
