// The real binary in a real window: start-up, the title screen, leaving, and the start-up
// failures that must end with a clear message and exit status 1.
#include <gtest/gtest.h>

#include <allegro.h>

#include <filesystem>

#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "render/game_frame.h"
#include "support/files.h"

namespace {

using namespace std::chrono_literals;

// The program as started alone, without the launcher: it polls without pause between passes
// (TILESTACK_IDLE unset), as its screens are written to. The smoke set: see
// tests/CMakeLists.txt.
class StartupWindowSmoke : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    GameData data{folder.path()};  // the game's pictures and font, for its title screen
    Screenshot shot;

    std::unique_ptr<GameProcess> launch()
    {
        EXPECT_TRUE(data.loaded());
        return desk.launch(server, folder.path(), {}, started_alone());
    }
    static int item_y(int item) { return 180 + (2 * item + 1) * title_menu_line_height() / 2; }
    // Waits for the title screen with the item `hovered` lit (-1: none) and the pointer at
    // (x, y), as the game's own drawing code composes it (its colours: the unit tests).
    bool shows_menu(int hovered, int x, int y)
    {
        BITMAP *menu = create_bitmap(640, 480);
        compose_title_menu(menu, hovered, title_menu_line_height());
        std::string why;
        const bool shown = desk.wait_to_show(menu, x, y, shot, &why);
        destroy_bitmap(menu);
        EXPECT_TRUE(shown) << why;
        return shown;
    }
};

TEST_F(StartupWindowSmoke, OpensA640By480WindowAtTheTitleScreen)
{
    auto game = launch();
    int w, h;
    ASSERT_TRUE(desk.window_size(w, h)) << game->output();
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_TRUE(shows_menu(-1, 320, 240)) << "nothing hovered at the centre\n" << game->output();

    // The hovered item is lit, the other is not.
    desk.move(320, item_y(0));
    ASSERT_TRUE(shows_menu(0, 320, item_y(0)));
    save_screenshot(shot, "title.png");
    desk.move(5, item_y(1));  // far left: only the height matters
    ASSERT_TRUE(shows_menu(1, 5, item_y(1)));
    EXPECT_TRUE(game->running());
}

TEST_F(StartupWindowSmoke, ClickingExitOrEscapeEndsTheProgramWithStatus0)
{
    for (bool click : {true, false}) {
        SCOPED_TRACE(click ? "Exit clicked" : "Escape");
        auto game = launch();
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
        if (click)
            desk.click(320, item_y(1));
        else
            desk.tap("Escape");
        EXPECT_TRUE(exits_with(*game));
    }
}

TEST_F(StartupWindowSmoke, GameStartsOnlyOnceTheButtonIsReleased)
{
    auto game = launch();
    ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
    desk.move(320, item_y(0));
    desk.press();
    Desk::pause(400ms);  // time in which the game must not start: nothing to wait for
    EXPECT_TRUE(is_title_screen(desk.grab())) << "the menu stays while the button is held";
    desk.release();
    EXPECT_TRUE(desk.wait_for([](const Screenshot &s) { return !is_title_screen(s); }, shot))
        << "after the release the game replaces the title screen";
}

// ---------------------------------------------------------------------------------------------
// Start-up failures: a clear message, exit status 1, never a crash; the program started alone.

// No X display, no colour depth that opens, a symbol strip narrower than one 27-pixel symbol:
// each ends with exit 1 and a message holding `said`.
TEST(StartupFailure, NoDisplayNoColourDepthOrANarrowSymbolStripExits1Saying)
{
    const struct {
        bool display;
        const char *refused_depths;
        bool narrow_strip;
        const char *said;
    } cases[] = {{false, nullptr, false, "Sorry!"},
                 {true, "16,32,15,24", false, "Sorry!"},
                 {true, nullptr, true, "geek.tga"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        std::unique_ptr<XServer> server(c.display ? new XServer : nullptr);
        GameFolder folder;
        auto env = started_alone();
        if (c.refused_depths)
            env["TILESTACK_SHIM_REFUSE_DEPTHS"] = c.refused_depths;
        if (c.narrow_strip) {
            set_color_depth(32);
            BITMAP *narrow = create_bitmap(26, 27);
            clear_to_color(narrow, makecol(255, 0, 255));
            ASSERT_EQ(save_bitmap(folder.path("geek.tga").c_str(), narrow, nullptr), 0);
            destroy_bitmap(narrow);
        }
        GameProcess game(server.get(), folder.path(), {}, env);
        ASSERT_TRUE(exits_with(game, 1));
        EXPECT_NE(game.output().find(c.said), std::string::npos) << game.output();
    }
}

TEST(StartupFailure, EditorNeedsNoLayoutFiles)
{
    XServer server;
    Desk desk(server);
    GameFolder folder;
    for (const char *name : {"0.lyt", "1.lyt", "2.lyt"})
        std::filesystem::remove(folder.path(name));
    desk.move(320, 240);
    GameProcess game(&server, folder.path(), {"edit"}, started_alone());
    int w, h;
    ASSERT_TRUE(desk.window_size(w, h)) << game.output();
    EXPECT_TRUE(game.running()) << game.output();
}

TEST(StartupFailure, MessageGoesToTheDesktopMessageBoxWhenThereIsOne)
{
    // A stand-in for xmessage that records what it was asked to show and answers OK.
    XServer server;
    GameFolder folder;
    TempDir bin;
    write_text(bin.path("xmessage"),
               "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" + bin.path("shown.txt") +
                   "\"\nexit 101\n");
    std::filesystem::permissions(bin.path("xmessage"), std::filesystem::perms::owner_all);
    std::filesystem::remove(folder.path("bg.tga"));

    auto env = started_alone();
    env["PATH"] = bin.path() + ":/usr/bin:/bin";
    GameProcess game(&server, folder.path(), {}, env);
    ASSERT_TRUE(exits_with(game, 1));
    std::vector<unsigned char> shown = read_file(bin.path("shown.txt"));
    EXPECT_NE(std::string(shown.begin(), shown.end()).find("bg.tga"), std::string::npos);
    EXPECT_NE(game.output().find("bg.tga"), std::string::npos)
        << "also where a terminal shows it:\n" << game.output();
}

TEST(StartupFailure, MessageGoesToStandardErrorWhereThereIsNoMessageBox)
{
    // No xmessage on the game's PATH; standard error goes to a file of its own.
    XServer server;
    GameFolder folder;
    TempDir err;
    const std::string err_file = err.path("err.txt");
    std::filesystem::remove(folder.path("title.tga"));
    GameProcess game(&server, folder.path(), {}, started_alone(),
                     {"/bin/sh", "-c", "exec \"$@\" 2>'" + err_file + "'", "sh"});
    ASSERT_TRUE(exits_with(game, 1));
    const std::vector<unsigned char> said = read_file(err_file);
    EXPECT_NE(std::string(said.begin(), said.end()).find("title.tga"), std::string::npos)
        << "standard error: " << std::string(said.begin(), said.end())
        << "\nstandard output: " << game.output();
    EXPECT_EQ(game.output().find("title.tga"), std::string::npos)
        << "said once, not again on standard output";
}

}  // namespace
