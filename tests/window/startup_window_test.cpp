// The real binary in a real window: start-up, the title screen, leaving, and the start-up
// failures that must end with a clear message and exit status 1.
#include <gtest/gtest.h>

#include <allegro.h>

#include <filesystem>

#include "app/resources.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "support/files.h"

namespace {

using namespace std::chrono_literals;

const Rgb item_colour = {64, 124, 94};
const Rgb hovered_colour = {20, 240, 170};

// Height of the game's own font as loaded by GameData, or -1 when it did not load.
int game_font_height() { return resources.game_font ? text_height(resources.game_font) : -1; }

class TitleScreen {
public:
    TitleScreen() : line_height_(game_font_height() * 3 / 2) {}
    int line_height() const { return line_height_; }
    // Pixels of an item's text in its own band, drawn in colour c.
    int item_pixels(const Screenshot &s, int item, Rgb c) const
    {
        int top = 180 + item * line_height_;
        return s.count_near(c, 0, top, 639, top + line_height_ - 1, 10);
    }
    bool shown(const Screenshot &s) const
    {
        return (item_pixels(s, 0, item_colour) > 20 || item_pixels(s, 0, hovered_colour) > 20) &&
               (item_pixels(s, 1, item_colour) > 20 || item_pixels(s, 1, hovered_colour) > 20);
    }

private:
    int line_height_;
};

// The program as started alone, without the launcher: it polls without pause between passes
// (TILESTACK_IDLE unset), as its screens are written to. The smoke set: see
// tests/CMakeLists.txt.
class StartupWindowSmoke : public ::testing::Test {
protected:
    XServer server;
    Desk desk{server};
    GameFolder folder;
    GameData data{folder.path()};  // the game's font, for the menu's line height
    TitleScreen title;

    std::unique_ptr<GameProcess> launch()
    {
        return desk.launch(server, folder.path(), {}, started_alone());
    }
};

TEST_F(StartupWindowSmoke, OpensA640By480WindowAtTheTitleScreen)
{
    ASSERT_GT(title.line_height(), 0) << "font.dat must load";
    auto game = launch();
    int w, h;
    ASSERT_TRUE(desk.window_size(w, h)) << game->output();
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);

    Screenshot shot;
    ASSERT_TRUE(desk.wait_for([&](const Screenshot &s) { return title.shown(s); }, shot))
        << game->output();
    EXPECT_EQ(title.item_pixels(shot, 0, hovered_colour), 0) << "nothing hovered at the centre";
    EXPECT_EQ(title.item_pixels(shot, 1, hovered_colour), 0);

    // The hovered item is lit, the other is not.
    desk.move(320, 180 + title.line_height() / 2);
    ASSERT_TRUE(desk.wait_for(
        [&](const Screenshot &s) { return title.item_pixels(s, 0, hovered_colour) > 20; }, shot));
    EXPECT_EQ(title.item_pixels(shot, 1, hovered_colour), 0);
    save_screenshot(shot, "title.png");

    desk.move(5, 180 + title.line_height() * 3 / 2);  // far left: only the height matters
    ASSERT_TRUE(desk.wait_for(
        [&](const Screenshot &s) {
            return title.item_pixels(s, 1, hovered_colour) > 20 &&
                   title.item_pixels(s, 0, hovered_colour) == 0;
        },
        shot));
    EXPECT_TRUE(game->running());
}

TEST_F(StartupWindowSmoke, ClickingExitEndsTheProgramWithStatus0)
{
    auto game = launch();
    Screenshot shot;
    ASSERT_TRUE(desk.wait_for([&](const Screenshot &s) { return title.shown(s); }, shot));
    desk.click(320, 180 + title.line_height() * 3 / 2);
    Exit e = game->wait();
    EXPECT_TRUE(e.exited) << game->output();
    EXPECT_EQ(e.status, 0);
}

TEST_F(StartupWindowSmoke, EscapeEndsTheProgramWithStatus0)
{
    auto game = launch();
    Screenshot shot;
    ASSERT_TRUE(desk.wait_for([&](const Screenshot &s) { return title.shown(s); }, shot));
    desk.tap("Escape");
    Exit e = game->wait();
    EXPECT_TRUE(e.exited) << game->output();
    EXPECT_EQ(e.status, 0);
}

TEST_F(StartupWindowSmoke, GameStartsOnlyOnceTheButtonIsReleased)
{
    auto game = launch();
    Screenshot shot;
    ASSERT_TRUE(desk.wait_for([&](const Screenshot &s) { return title.shown(s); }, shot));
    desk.move(320, 180 + title.line_height() / 2);
    desk.press();
    Desk::pause(400ms);  // time in which the game must not start: nothing to wait for
    shot = desk.grab();
    EXPECT_TRUE(title.shown(shot)) << "the menu stays while the button is held";
    desk.release();
    EXPECT_TRUE(desk.wait_for([&](const Screenshot &s) { return !title.shown(s); }, shot))
        << "after the release the game replaces the title screen";
}

// ---------------------------------------------------------------------------------------------
// Start-up failures: a clear message, exit status 1, never a crash; the program started alone.

TEST(StartupFailure, NoDisplaySaysSorryAndExits1)
{
    GameFolder folder;
    GameProcess game(nullptr, folder.path(), {}, started_alone());
    Exit e = game.wait();
    ASSERT_TRUE(e.exited) << "signal " << e.signal << "\n" << game.output();
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(game.output().find("Sorry!"), std::string::npos) << game.output();
}

TEST(StartupFailure, NoColourDepthOpensSaysSorryAndExits1)
{
    XServer server;
    GameFolder folder;
    auto env = started_alone();
    env["TILESTACK_SHIM_REFUSE_DEPTHS"] = "16,32,15,24";
    GameProcess game(&server, folder.path(), {}, env);
    Exit e = game.wait();
    ASSERT_TRUE(e.exited) << "signal " << e.signal << "\n" << game.output();
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(game.output().find("Sorry!"), std::string::npos) << game.output();
}

TEST(StartupFailure, EachMissingDataFileIsNamed)
{
    XServer server;
    for (const char *name : {"empty.tga", "bg.tga", "geek.tga", "title.tga", "font.dat",
                             "0.lyt", "1.lyt", "2.lyt"}) {
        GameFolder folder;
        std::filesystem::remove(folder.path(name));
        GameProcess game(&server, folder.path(), {}, started_alone());
        Exit e = game.wait();
        ASSERT_TRUE(e.exited) << name << ": signal " << e.signal << "\n" << game.output();
        EXPECT_EQ(e.status, 1) << name;
        EXPECT_NE(game.output().find(name), std::string::npos)
            << "the message must name " << name << ":\n" << game.output();
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

TEST(StartupFailure, SymbolStripNarrowerThanOneSymbolIsRefused)
{
    XServer server;
    GameFolder folder;
    set_color_depth(32);
    BITMAP *narrow = create_bitmap(26, 27);
    clear_to_color(narrow, makecol(255, 0, 255));
    ASSERT_EQ(save_bitmap(folder.path("geek.tga").c_str(), narrow, nullptr), 0);
    destroy_bitmap(narrow);

    GameProcess game(&server, folder.path(), {}, started_alone());
    Exit e = game.wait();
    ASSERT_TRUE(e.exited) << "signal " << e.signal << "\n" << game.output();
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(game.output().find("geek.tga"), std::string::npos) << game.output();
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
    Exit e = game.wait();
    ASSERT_TRUE(e.exited) << game.output();
    EXPECT_EQ(e.status, 1);
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
    Exit e = game.wait();
    ASSERT_TRUE(e.exited) << game.output();
    EXPECT_EQ(e.status, 1);
    const std::vector<unsigned char> said = read_file(err_file);
    EXPECT_NE(std::string(said.begin(), said.end()).find("title.tga"), std::string::npos)
        << "standard error: " << std::string(said.begin(), said.end())
        << "\nstandard output: " << game.output();
    EXPECT_EQ(game.output().find("title.tga"), std::string::npos)
        << "said once, not again on standard output";
}

}  // namespace
