// The real binary given bad data files, bad layout files and odd layouts: it either goes on
// normally or stops with exit status 1 and a message naming the file, and never crashes.
// The editor refuses a bad load and a failed save with a message and loses nothing.
#include <gtest/gtest.h>

#include <allegro.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/layout.h"
#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/legacy_text.h"
#include "render/screen_look.h"
#include "render/translucent.h"
#include "support/datafiles.h"
#include "support/files.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;

// Ends with exit status 1 within the limit, having named `name` and found no sanitizer fault.
::testing::AssertionResult stops_naming(GameProcess &game, const std::string &name)
{
    Exit e = game.wait(20s);
    const std::string out = game.output();
    if (!e.exited)
        return ::testing::AssertionFailure()
               << (e.signal ? "killed by signal " + std::to_string(e.signal) : "still running")
               << "\n" << out;
    if (e.status != 1)
        return ::testing::AssertionFailure() << "exit status " << e.status << "\n" << out;
    if (out.find(name) == std::string::npos)
        return ::testing::AssertionFailure() << "the message does not name " << name << ":\n"
                                             << out;
    if (out.find("Sanitizer") != std::string::npos || out.find("runtime error") != std::string::npos)
        return ::testing::AssertionFailure() << out;
    return ::testing::AssertionSuccess();
}

Bytes text_bytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

// Every file the game needs, missing or spoilt: the real game, started alone, stops naming
// it. (Which spoilt contents the checks refuse is proven file by file in the unit tests.)
TEST(BadDataFiles, MissingEmptyCutShortOrOfAnotherKindStopsNamingTheFile)
{
    XServer server;
    for (const std::string &name : generated_files()) {
        // The gallery's boards are read only when the title steps to them, not at start-up.
        const bool gallery = name == "gallery.txt" || (name.size() > 6 &&
                             (name.substr(name.size() - 5) == ".name" ||
                              (name.substr(name.size() - 4) == ".lyt" && name.size() != 5)));
        if (gallery)
            continue;
        const Bytes whole = read_file(built_gamedata() + "/" + name);
        const std::vector<std::pair<std::string, Bytes>> kinds = {
            {"missing", {}},
            {"empty", {}},
            {"its first byte", Bytes(whole.begin(), whole.begin() + 1)},
            {"cut to its first half", Bytes(whole.begin(), whole.begin() + whole.size() / 2)},
            {"cut one byte short", Bytes(whole.begin(), whole.end() - 1)},
            {"a text file", text_bytes("This is not what the game expects here.\n")},
        };
        for (const auto &[kind, bytes] : kinds) {
            SCOPED_TRACE(name + ", " + kind);
            GameFolder folder;
            if (kind == "missing")
                std::filesystem::remove(folder.path(name));
            else
                write_file(folder.path(name), bytes);
            GameProcess game(&server, folder.path(), {}, started_alone());
            EXPECT_TRUE(stops_naming(game, name));
        }
    }
}

// The font file: the built font after an object of another kind (the datafile marks, two
// objects), and glyphs 0 pixels high, which load as a font of height 0 that the title menu
// would divide by.
TEST(BadDataFiles, FontFileWhoseFirstObjectIsNotAFontOrLessThanOnePixelHigh)
{
    using namespace datafile_bytes;
    XServer server;
    const Bytes font = read_file(built_gamedata() + "/font.dat");
    Bytes not_first(font.begin(), font.begin() + 8);
    const Bytes data_object = {0, 0, 0, 2, 'D', 'A', 'T', 'A', 0, 0, 0, 4, 0, 0, 0, 4, 1, 2, 3, 4};
    not_first.insert(not_first.end(), data_object.begin(), data_object.end());
    not_first.insert(not_first.end(), font.begin() + 12, font.end());
    for (const Bytes &file : {not_first, datafile({{"FONT", font_object(32, 126, 8, 0)}})}) {
        GameFolder folder;
        write_file(folder.path("font.dat"), file);
        GameProcess game(&server, folder.path(), {}, started_alone());
        EXPECT_TRUE(stops_naming(game, "font.dat"));
    }
}

// ---------------------------------------------------------------------------------------------
// Layout files at start-up: what is not a file

Bytes built_layout() { return read_file(built_gamedata() + "/0.lyt"); }

TEST(BadLayoutFiles, WhatIsNotALayoutStopsTheGameNamingTheFile)
{
    XServer server;
    // 1.lyt a folder, 2.lyt a pipe (which would never end), 0.lyt a link into a folder that
    // does not exist.
    for (const std::string name : {"1.lyt", "2.lyt", "0.lyt"}) {
        SCOPED_TRACE(name);
        GameFolder folder;
        const std::string path = folder.path(name);
        std::filesystem::remove(path);
        if (name == "1.lyt")
            std::filesystem::create_directory(path);
        else if (name == "2.lyt")
            ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
        else
            std::filesystem::create_symlink(folder.path("no-such-folder/0.lyt"), path);
        GameProcess game(&server, folder.path(), {}, started_alone());
        EXPECT_TRUE(stops_naming(game, name));
    }
}

// The top of the play screen, where no piece is drawn, shows the background under the veils
// of the layers below the top one and reads "Pieces remaining: n"; on the game-over screen
// the same under one more veil. With the game's data loaded (GameData).
bool count_reads(const Screenshot &s, int pieces, int top_layer, bool game_over,
                 std::string *why = nullptr)
{
    BITMAP *background = resources.background_image;
    BITMAP *top = create_bitmap_ex(bitmap_color_depth(background), 640, 40);
    const int veil = makecol(veil_colour.r, veil_colour.g, veil_colour.b);
    blit(background, top, 0, 0, 0, 0, 640, 40);
    for (int z = 0; z < top_layer; z++)
        fill_rect_translucent(top, 0, 0, 640, 40, veil,
                              (top_layer - z) * shading_step_for(top_layer));
    LEGACY_TEXT(textprintf(top, resources.game_font, 5, 5, -1, game_status_format, pieces));
    if (game_over)
        fill_rect_translucent(top, 0, 0, 640, 40, veil, game_over_veil_factor);
    int wrong = 0;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < 640; x++) {
            const bool differs = !near(s.at(x, y), rgb_at(top, x, y), 8);
            if (differs && wrong == 0 && why)
                *why = "first at (" + std::to_string(x) + ", " + std::to_string(y) +
                       "): screen " + to_string(s.at(x, y)) + ", expected " +
                       to_string(rgb_at(top, x, y));
            wrong += differs;
        }
    destroy_bitmap(top);
    return wrong == 0;
}

// Longer files and odd contents are games like any other: in one run of the game, each row
// is written to all three layout files at the title screen, dealt when Start is clicked, and
// shown with its count; Escape goes back to the title screen for the next row.
TEST(BadLayoutFiles, LongerFilesAndOddContentsArePlayed)
{
    XServer server;
    Desk desk(server);
    GameFolder folder;
    GameData pictures(folder.path());  // as the game loads them in its 16-bit window
    ASSERT_TRUE(pictures.loaded());

    const Bytes good = built_layout();
    int good_count = 0;
    for (unsigned char c : good)
        good_count += c != 0;
    auto longer = [&](size_t n) {
        Bytes b = good;
        b.resize(n, 0xEE);  // what follows the 504th byte is never read
        return b;
    };
    Bytes full(504), odd(504, 0), values(504, 0);
    for (int i = 0; i < 504; i++) {
        full[i] = static_cast<unsigned char>(1 + i % 255);
        odd[i] = i < 82 && i % 2 == 0 ? 1 : 0;  // 41 pieces on the bottom layer
        values[i] = good[i] ? static_cast<unsigned char>(2 + i % 254) : 0;
    }
    struct Row {
        std::string name;
        Bytes bytes;
        int pieces;
    };
    const std::vector<Row> rows = {
        {"504 bytes", longer(504), good_count},  {"505 bytes", longer(505), good_count},
        {"100000 bytes", longer(100000), good_count}, {"every cell full", full, 504},
        {"an odd count", odd, 41},               {"values 2 to 255", values, good_count},
    };

    // The clock pinned, so that every run deals the same boards.
    auto game = desk.launch(server, folder.path(), {},
                            pinned_clock_environment());
    Screenshot shot;
    const int start_y = 180 + text_height(resources.game_font) * 3 / 4;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(desk.wait_for(is_title_screen, shot)) << game->output();
        for (const char *name : {"0.lyt", "1.lyt", "2.lyt"})
            write_file(folder.path(name), row.bytes);
        desk.move(320, start_y);  // below the count line, which the pointer must not cover
        desk.press();
        desk.release();  // the game starts on the release
        int top_layer = 0;
        for (int i = 0; i < Layout::cell_count; i++)
            if (row.bytes[i])
                top_layer = Layout::position(i).z;
        // A deal with no pair to take ends at once, over its first frame.
        std::string why;
        bool over = false;
        EXPECT_TRUE(desk.wait_for(
            [&](const Screenshot &s) {
                over = count_reads(s, row.pieces, top_layer, true);
                return over || count_reads(s, row.pieces, top_layer, false, &why);
            },
            shot))
            << "the count line does not read " << row.pieces << ": " << why << "\n"
            << game->output();
        if (::testing::Test::HasFailure()) {
            save_screenshot(shot, "odd-layout.png");
            return;
        }
        if (!over)
            desk.tap("Escape");
    }
    ASSERT_TRUE(desk.wait_for(is_title_screen, shot));
    desk.tap("Escape");
    EXPECT_TRUE(exits_with(*game));
}

// ---------------------------------------------------------------------------------------------
// The editor

const Rgb white = {255, 255, 255};

// Somewhere on the screen, `text` in the built-in font, dark on white as in the dialogs.
bool shows_text(const Screenshot &s, const std::string &text)
{
    const int w = text_length(font, text.c_str());
    BITMAP *line = create_bitmap_ex(32, w, 8);
    clear_to_color(line, 0);
    textout_ex(line, font, text.c_str(), 0, 0, makecol32(255, 255, 255), -1);
    bool found = false;
    for (int y = 0; y + 8 <= s.height() && !found; y++)
        for (int x = 0; x + w <= s.width() && !found; x++) {
            bool same = true;
            for (int dy = 0; dy < 8 && same; dy++)
                for (int dx = 0; dx < w && same; dx++)
                    same = (getpixel(line, dx, dy) != 0) == !near(s.at(x + dx, y + dy), white, 60);
            found = same;
        }
    destroy_bitmap(line);
    return found;
}

TEST(BadEditorFiles, AShortFileAndASaveCutShortAreReportedAndLoseNothing)
{
    using namespace editor_screen;
    XServer server;
    XAutoRepeatOff(server.display());
    Desk desk(server);
    GameFolder folder;
    write_file(folder.path("shape.lyt"), layout_bytes({{2, 2, 0, 1}, {3, 2, 0, 1}}));
    write_file(folder.path("short.lyt"), Bytes(503, 1));
    const Bytes old(504, 7);
    write_file(folder.path("old.lyt"), old);

    // No file of the editor may grow past 400 bytes, as on a disk that fills up.
    auto game = desk.launch(server, folder.path(), {"edit"},
                            {{"LD_PRELOAD", shim_library()},
                             {"TILESTACK_SHIM_FILE_SIZE_LIMIT", "400"}});
    Screenshot shot;
    auto see = [&](const std::function<bool(const Screenshot &)> &ready, const char *what) {
        if (desk.wait_for(ready, shot))
            return true;
        save_screenshot(shot, "bad-editor-files.png");
        ADD_FAILURE() << what << "\n" << game->output();
        return false;
    };
    // Through the selector: clear the folder it starts with, type the whole path, confirm.
    auto choose = [&](const char *key, const std::string &path) {
        desk.press_key(key);
        if (!see(selector_open, "the file selector opens"))
            return;
        enter_path(desk, folder.path(), path);
    };
    desk.move(636, 476);  // in the window's corner, over nothing the test reads
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 0)); },
                    "the editor starts"));

    const auto editing_the_two_pieces = [](const Screenshot &s) {
        return nothing_open(s) && status_reads(s, status(0, 2));
    };
    choose("l", folder.path("shape.lyt"));
    ASSERT_TRUE(see(editing_the_two_pieces, "the good file loads"));

    choose("l", folder.path("short.lyt"));
    ASSERT_TRUE(see(message_open, "a message says the file could not be loaded"));
    EXPECT_TRUE(shows_text(shot, "Could not load a layout from"));
    desk.press_key("Return");
    ASSERT_TRUE(see(editing_the_two_pieces, "the layout loaded before stays"));

    choose("s", folder.path("old.lyt"));
    ASSERT_TRUE(see(message_open, "a message says the layout could not be saved"));
    EXPECT_TRUE(shows_text(shot, "Could not save the layout as"));
    EXPECT_FALSE(shows_text(shot, "Could not load a layout from"));
    EXPECT_EQ(read_file(folder.path("old.lyt")), old) << "the old file is intact";
    desk.press_key("Return");
    ASSERT_TRUE(see(editing_the_two_pieces, "back in the editor"));
    for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos)
            << "left behind: " << entry.path();

    // Nothing changed since the load: Escape leaves without a question.
    desk.press_key("Escape");
    EXPECT_TRUE(exits_with(*game));
}

}  // namespace
