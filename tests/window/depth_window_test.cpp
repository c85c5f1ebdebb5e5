// The game and the editor in each colour depth the game can open: 16 bits, and 32, 15 and
// 24 when the display refuses the depths before them (a preloaded helper refuses them). The
// screen is read back and compared with what the game's own drawing code gives at that
// depth; at 24 bits the veil draws nothing, so the board is unshaded and the game-over
// screen has no veil.
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>

#include "app/resources.h"
#include "board/constants.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "editor/editor.h"
#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/game_frame.h"
#include "render/legacy_text.h"

namespace {

using namespace std::chrono_literals;

const geometry::Point origin = geometry::board_origin(640, 480);

struct DepthCase {
    int depth;
    const char *refused;  // the depths tried before it, which the display refuses
};

// How a case reads in test listings.
void PrintTo(const DepthCase &c, std::ostream *os)
{
    *os << c.depth << " bits";
    if (*c.refused)
        *os << ", after " << c.refused << " are refused";
}

const DepthCase depth_cases[] = {{16, ""}, {32, "16"}, {15, "16,32"}, {24, "16,32,15"}};

// The game's data at one depth, and a picture of the screen to compose at that depth.
class PicturesAt : public GameData {
public:
    PicturesAt(const std::string &folder, int depth)
        : GameData(folder, depth), frame(create_bitmap(640, 480))
    {
    }
    ~PicturesAt()
    {
        destroy_bitmap(frame);
        layout.clear();
    }

    BITMAP *frame;  // a picture of the screen at this depth
};

// Whether the file selector's chosen row reads `text`: somewhere on the row's bar (a colour
// other than the list's white, across the list's width, unlike its one-line border) the text drawn in the library's font
// shows whole, each of its pixels white exactly where a letter has one. Nothing else, such as
// the frame the list draws around the chosen row, may cross the letters.
bool chosen_row_reads(const Screenshot &s, const std::string &text)
{
    const Rgb white = {255, 255, 255};
    int bar = -1;  // the first of two rows of the bar that nothing is drawn on
    for (int y = 100; y < 300 && bar < 0; y++) {
        bool across = !near(s.at(500, y), white, 10);
        for (int x = 200; x <= 500 && across; x++)
            across = s.at(x, y) == s.at(500, y) && s.at(x, y + 1) == s.at(500, y);
        if (across)
            bar = y;
    }
    if (bar < 0)
        return false;
    BITMAP *letters = create_bitmap_ex(32, text_length(font, text.c_str()), text_height(font));
    clear_to_color(letters, 0);
    textout_ex(letters, font, text.c_str(), 0, 0, makecol32(255, 255, 255), -1);
    bool found = false;
    for (int y = bar - 2; y <= bar + 2 && !found; y++)
        for (int x = 90; x < 140 && !found; x++) {
            found = true;
            for (int row = 0; row < letters->h && found; row++)
                for (int col = 0; col < letters->w && found; col++)
                    found = (getpixel(letters, col, row) != 0) == near(s.at(x + col, y + row), white, 10);
        }
    destroy_bitmap(letters);
    return found;
}

class DepthWindow : public ::testing::TestWithParam<DepthCase> {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    Screenshot shot;

    std::map<std::string, std::string> environment() const
    {
        auto env = pinned_clock_environment();
        // Set even when nothing is refused, so that the shim says which depth opened.
        env["TILESTACK_SHIM_REFUSE_DEPTHS"] = *GetParam().refused ? GetParam().refused : "none";
        return env;
    }

    // The screen shows `expected` (but for the pointer) within the limit.
    void expect_screen(BITMAP *expected, geometry::Point pointer, const std::string &what,
                       GameProcess &game)
    {
        std::string why;
        if (desk.wait_to_show(expected, pointer.x, pointer.y, shot, &why))
            return;
        save_screenshot(shot, "depth-" + std::to_string(GetParam().depth) + ".png");
        ADD_FAILURE() << what << " at " << GetParam().depth << " bits: " << why << "\n"
                      << game.output();
    }

    void expect_opened_at_its_depth(GameProcess &game)
    {
        EXPECT_NE(game.output().find("opened at " + std::to_string(GetParam().depth) + " bits"),
                  std::string::npos)
            << game.output();
    }
};

TEST_P(DepthWindow, GameShowsTheBoardAndTheGameOverScreen)
{
    const int depth = GetParam().depth;
    PicturesAt pictures(folder.path(), depth);
    ASSERT_TRUE(pictures.loaded());
    auto game = desk.launch(server, folder.path(), {}, environment());
    expect_opened_at_its_depth(*game);

    const int line_height = title_menu_line_height();
    // The pointer starts at (320, 240).
    compose_title_menu(pictures.frame, (240 - 180) / line_height, line_height);
    ASSERT_NO_FATAL_FAILURE(expect_screen(pictures.frame, {320, 240}, "the title screen", *game));

    // Start, and follow the game's random numbers to its board.
    const geometry::Point start = {320, 180 + line_height / 2};
    desk.move(start.x, start.y);
    desk.press();
    desk.release();
    std::srand(pinned_clock);
    Deal dealt;
    ASSERT_TRUE(follow_next_deal(folder.path(), dealt));
    ASSERT_GT(dealt.top_layer, 0) << "the built layouts have several layers, so veils";
    compose_game_frame(pictures.frame, origin, dealt.top_layer, dealt.shading_step, -1);
    ASSERT_NO_FATAL_FAILURE(expect_screen(pictures.frame, start, "the board", *game));
    const Screenshot board = shot;

    // F1: the game-over screen, veiled but at 24 bits.
    desk.key_down("F1");
    compose_game_over(pictures.frame);
    expect_screen(pictures.frame, start, "the game-over screen", *game);
    desk.key_up("F1");
    const bool unveiled = near(shot.at(10, 460), board.at(10, 460), 0) &&
                          near(shot.at(600, 60), board.at(600, 60), 0);
    EXPECT_EQ(unveiled, depth == 24) << "the veil draws nothing at 24 bits, and only there";

    // The game-over screen stands for 1.5 s, then the title screen.
    ASSERT_TRUE(desk.wait_for(
        [](const Screenshot &s) { return shows_title_picture(s, resources.title_image); }, shot))
        << game->output();
    desk.tap("Escape");
    EXPECT_TRUE(exits_with(*game));
}

TEST_P(DepthWindow, EditorShowsFramesAndPieces)
{
    const int depth = GetParam().depth;
    PicturesAt pictures(folder.path(), depth);
    ASSERT_TRUE(pictures.loaded());
    auto game = desk.launch(server, folder.path(), {"edit"}, environment());
    expect_opened_at_its_depth(*game);

    // The editor's frame for a layout holding one piece at (4, 4, 0), or none.
    auto editor_frame = [&](bool piece) {
        blit(resources.background_image, pictures.frame, 0, 0, 0, 0, 640, 480);
        for (int y = 0; y < 7; y++)
            for (int x = 0; x < 12; x++) {
                const geometry::Point p = geometry::cell_corner(origin, x, y, 0);
                if (piece && x == 4 && y == 4)
                    draw_sprite(pictures.frame, resources.piece_image, p.x, p.y);
                const int w = geometry::cell_width, h = geometry::cell_height;
                rect(pictures.frame, p.x, p.y, p.x + w, p.y + h, makecol(0, 128, 0));
                rect(pictures.frame, p.x + 1, p.y + 1, p.x + w - 1, p.y + h - 1,
                     makecol(0, 128, 0));
            }
        LEGACY_TEXT(textprintf(pictures.frame, font, 5, 5, -1, editor_status_format, 0,
                               piece ? 1 : 0));
        LEGACY_TEXT(textprintf(pictures.frame, font, 5, 25, -1,
                               "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play"));
    };
    editor_frame(false);
    ASSERT_NO_FATAL_FAILURE(expect_screen(pictures.frame, {320, 240}, "the empty editor", *game));

    // A piece placed and taken away again, each press held until its frame shows.
    const geometry::Point cell = geometry::cell_corner(origin, 4, 4, 0);
    const geometry::Point at = {cell.x + 40, cell.y + 30};
    for (bool piece : {true, false}) {
        desk.move(at.x, at.y);
        desk.press();
        editor_frame(piece);
        expect_screen(pictures.frame, at, piece ? "a piece placed" : "the piece taken away",
                      *game);
        desk.release();
    }

    // The save dialog: its list opens with "../" chosen on a bar, and the name reads clearly
    // there.
    desk.move(636, 476);
    desk.tap("s");
    ASSERT_TRUE(desk.wait_for(editor_screen::selector_open, shot)) << game->output();
    save_screenshot(shot, "selector-" + std::to_string(depth) + ".png");  // to look at
    EXPECT_TRUE(chosen_row_reads(shot, "../")) << "at " << depth << " bits";
    desk.tap("Escape");
    ASSERT_TRUE(desk.wait_for(editor_screen::nothing_open, shot)) << game->output();
    desk.tap("Escape");  // nothing to lose: leaves without a question
    EXPECT_TRUE(exits_with(*game));
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthWindow, ::testing::ValuesIn(depth_cases),
                         [](const ::testing::TestParamInfo<DepthCase> &info) {
                             return "At" + std::to_string(info.param.depth) + "Bits";
                         });

}  // namespace
