// The installed game: the tree that cmake --install wrote into a scratch DESTDIR and the
// unpacked Debian package, each started through its desktop entry's command with a scratch
// HOME under an X server. The player's folder is made and filled, the player's own layouts
// are kept, and a folder that cannot be made is reported in one line.
#include <gtest/gtest.h>

#include <allegro.h>

#include <X11/Xutil.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/resources.h"
#include "art/art.h"
#include "board/layout.h"
#include "harness/game_data.h"
#include "harness/xsession.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string trees = TILESTACK_INSTALL_TREES;
const char *const shipped_files[] = {"empty.tga",   "bg.tga", "geek.tga",    "title.tga",
                                     "font.dat",    "0.lyt",  "1.lyt",       "2.lyt",
                                     "gallery.txt", "keep.lyt", "keep.name"};

// The value of `key` in the group `group` of a desktop entry file, "" when there is none.
std::string desktop_value(const std::string &file, const std::string &group,
                          const std::string &key)
{
    std::ifstream in(file);
    std::string line, current;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[')
            current = line.substr(1, line.find(']') - 1);
        else if (current == group && line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return "";
}

// An installed tree under `root` (prefix /usr), and the command its menu entry runs.
struct Install {
    std::string root;
    std::string entry() const { return root + "/usr/share/applications/tilestack.desktop"; }
    std::string data() const { return root + "/usr/share/games/tilestack"; }
    // The entry's command, a path under the prefix, found in this tree.
    std::string launcher() const { return root + desktop_value(entry(), "Desktop Entry", "Exec"); }
};
const Install destdir{trees + "/destdir"}, package{trees + "/debroot"};

// Pixels of the window's icon (its pixmap and mask in the window manager hints) that differ
// from the game's icon art drawn at the same size: a colour more than 2 off where the art is
// at least half covered, or the mask wrong. -1 when the window has no icon.
int icon_differences(Display *d, Window w, int &size)
{
    XWMHints *hints = XGetWMHints(d, w);
    if (!hints)
        return -1;
    const bool has_icon = (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint);
    const Pixmap icon = hints->icon_pixmap, mask = hints->icon_mask;
    XFree(hints);
    if (!has_icon)
        return -1;
    Window root;
    int x, y;
    unsigned int width, height, border, depth;
    if (!XGetGeometry(d, icon, &root, &x, &y, &width, &height, &border, &depth) ||
        width != height)
        return -1;
    size = static_cast<int>(width);
    XImage *pixels = XGetImage(d, icon, 0, 0, width, height, AllPlanes, ZPixmap);
    XImage *cover = XGetImage(d, mask, 0, 0, width, height, 1, ZPixmap);
    const Visual *visual = DefaultVisual(d, DefaultScreen(d));
    const std::vector<unsigned char> art = art::game_icon(size).to_rgba();
    auto component = [](unsigned long p, unsigned long m) {
        int shift = 0;
        while (m && !(m & 1)) {
            m >>= 1;
            shift++;
        }
        return m ? static_cast<int>(((p >> shift) & m) * 255 / m) : 0;
    };
    int wrong = 0;
    for (int py = 0; py < size; py++)
        for (int px = 0; px < size; px++) {
            const unsigned char *a = &art[4 * (py * size + px)];
            const bool shown = XGetPixel(cover, px, py) != 0;
            if (shown != (a[3] >= 128)) {
                wrong++;
                continue;
            }
            const unsigned long p = XGetPixel(pixels, px, py);
            if (shown && (std::abs(component(p, visual->red_mask) - a[0]) > 2 ||
                          std::abs(component(p, visual->green_mask) - a[1]) > 2 ||
                          std::abs(component(p, visual->blue_mask) - a[2]) > 2))
                wrong++;
        }
    XDestroyImage(pixels);
    XDestroyImage(cover);
    return wrong;
}

// A variable of a running process's environment, or "(unset)".
std::string environment_value(pid_t pid, const std::string &name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ");
    for (std::string entry; std::getline(in, entry, '\0');)
        if (entry.compare(0, name.size() + 1, name + "=") == 0)
            return entry.substr(name.size() + 1);
    return "(unset)";
}

class InstalledGame : public ::testing::Test {
protected:
    InstalledGame()
    {
        // A stand-in for xmessage: a message of the game shows in its output instead of
        // waiting for a click. The launcher needs the usual commands.
        write_text(bin.path("xmessage"), "#!/bin/sh\necho \"$@\" >&2\nexit 1\n");
        fs::permissions(bin.path("xmessage"), fs::perms::owner_all);
    }

    std::map<std::string, std::string> environment(const std::string &home_dir) const
    {
        return {{"HOME", home_dir}, {"XDG_DATA_HOME", ""}, {"PATH", bin.path() + ":/usr/bin:/bin"}};
    }
    std::string player_folder() const { return home.path() + "/.local/share/tilestack"; }

    // Starts the game through the launcher of `install` and waits for its title screen;
    // with TILESTACK_IDLE set to `idle` when one is given.
    std::unique_ptr<GameProcess> start(const Install &install, const GameData &,
                                       const char *idle = nullptr)
    {
        auto env = environment(home.path());
        env["TILESTACK_IDLE"] = idle ? idle : "";  // none: the launcher's own choice
        auto game = desk.launch(server, home.path(), {}, env, {}, 10s, install.launcher());
        Screenshot shot;
        EXPECT_TRUE(desk.wait_for(
            [](const Screenshot &s) { return s.share_like(resources.title_image) > 0.97; }, shot))
            << "no title screen\n" << game->output();
        return game;
    }

    void leave(GameProcess &game)
    {
        desk.tap("Escape");
        EXPECT_TRUE(exits_with(game));
    }

    TempDir bin, home;
    XServer server;
    Desk desk{server};
};

TEST_F(InstalledGame, StartsFromItsMenuEntryInAFolderOfThePlayersOwnWithItsClassAndIcon)
{
    for (const Install *install : {&destdir, &package}) {
        SCOPED_TRACE(install->root);
        ASSERT_TRUE(fs::is_regular_file(install->launcher())) << install->launcher();
        fs::remove_all(home.path() + "/.local");
        GameData data(install->data());
        ASSERT_TRUE(data.loaded());
        const bool own_idle = install == &package;
        auto game = start(*install, data, own_idle ? "spin" : nullptr);

        // The launcher lets the game rest while nothing happens, unless told otherwise.
        EXPECT_EQ(environment_value(game->pid(), "TILESTACK_IDLE"), own_idle ? "spin" : "wait");

        // The window is the one the menu entry names, and shows the game's own icon.
        const std::string wm_class = desktop_value(install->entry(), "Desktop Entry",
                                                   "StartupWMClass");
        EXPECT_EQ(wm_class, "tilestack");
        Display *d = server.display();
        const Window w = desk.game_window();
        ASSERT_NE(w, 0u);
        XClassHint hint;
        ASSERT_TRUE(XGetClassHint(d, w, &hint));
        EXPECT_STREQ(hint.res_name, wm_class.c_str());
        EXPECT_STREQ(hint.res_class, wm_class.c_str());
        XFree(hint.res_name);
        XFree(hint.res_class);
        int size = 0;
        EXPECT_EQ(icon_differences(d, w, size), 0) << "icon of " << size << " x " << size;
        EXPECT_EQ(size, art::window_icon_size);

        // The player's folder: links to the shipped pictures and font, copies of the layouts.
        for (const char *name : shipped_files) {
            const std::string mine = player_folder() + "/" + name;
            const std::string theirs = install->data() + "/" + name;
            EXPECT_EQ(read_file(mine), read_file(theirs)) << name;
            const bool layout = std::string(name).find(".lyt") != std::string::npos ||
                                std::string(name).find(".name") != std::string::npos;
            EXPECT_EQ(fs::is_symlink(mine), !layout) << name;
            if (!layout) {
                EXPECT_EQ(fs::read_symlink(mine), fs::canonical(theirs)) << name;
            }
        }
        leave(*game);
    }
}

TEST_F(InstalledGame, KeepsThePlayersLayoutsPlaysThemAndFollowsAnotherInstall)
{
    {
        GameData data(destdir.data());
        auto game = start(destdir, data);
        leave(*game);
    }
    // Two pieces side by side at the top left: a board of the player's own.
    std::vector<unsigned char> own(Layout::cell_count, 0);
    own[0] = own[1] = 1;
    for (const char *name : {"0.lyt", "1.lyt", "2.lyt"})
        write_file(player_folder() + "/" + name, own);
    const auto written = fs::last_write_time(player_folder() + "/0.lyt");

    GameData data(package.data());
    auto game = start(package, data);
    const int line_height = text_height(resources.game_font) * 3 / 2;
    desk.move(320, 180 + line_height / 2);
    desk.press();
    desk.release();
    // The board of two pieces leaves nearly all of the play field in view; a shipped layout
    // covers much of it.
    Screenshot shot;
    EXPECT_TRUE(desk.wait_for(
        [](const Screenshot &s) { return s.share_like(resources.background_image) > 0.9; }, shot))
        << "the player's layout is not the one played\n" << game->output();
    desk.tap("Escape");
    EXPECT_TRUE(desk.wait_for(
        [](const Screenshot &s) { return s.share_like(resources.title_image) > 0.97; }, shot));
    leave(*game);

    for (const char *name : {"0.lyt", "1.lyt", "2.lyt"})
        EXPECT_EQ(read_file(player_folder() + "/" + name), own) << name << " was replaced";
    EXPECT_EQ(fs::last_write_time(player_folder() + "/0.lyt"), written) << "0.lyt was touched";
    // The links now lead to the install the game was started from.
    EXPECT_EQ(fs::read_symlink(player_folder() + "/bg.tga"), fs::canonical(package.data() + "/bg.tga"));
}

TEST_F(InstalledGame, AFolderThatCannotBeMadeIsNamedInOneLineAndExits1)
{
    // Root may write anywhere, so the folder is made impossible by files in the way.
    TempDir place;
    write_text(place.path("home-file"), "a file, not a home\n");
    write_text(place.path("tilestack"), "a file of the player's\n");
    struct Case {
        std::string home, xdg_data_home, folder;
    };
    const Case cases[] = {
        {place.path("home-file"), "", place.path("home-file") + "/.local/share/tilestack"},
        {home.path(), place.path(), place.path("tilestack")},
        {"", "", "$HOME/.local/share/tilestack"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder);
        auto env = environment(c.home);
        env["XDG_DATA_HOME"] = c.xdg_data_home;
        GameProcess game(&server, home.path(), {}, env, {}, package.launcher());
        ASSERT_TRUE(exits_with(game, 1));
        const std::string said = game.output();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(said.back(), '\n') << said;
        EXPECT_NE(said.find(c.folder), std::string::npos) << said;
        EXPECT_EQ(desk.game_window(), 0u) << "the game must not start";
    }
    EXPECT_EQ(read_file(place.path("home-file")).size(), 19u);
    EXPECT_EQ(read_file(place.path("tilestack")).size(), 23u);
}

}  // namespace
