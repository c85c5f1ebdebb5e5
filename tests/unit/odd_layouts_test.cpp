// Layout files at the edges of what the format allows: every cell full, an odd number of
// pieces, values other than 1; and files of the wrong size or no file at all. The game
// deals and plays them to the end; the editor loads, shows and saves them back unchanged,
// and refuses what is not a layout with a message, keeping the layout it had.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "editor/editor.h"
#include "play/deal.h"
#include "play/game.h"
#include "render/legacy_text.h"
#include "support/boards.h"
#include "support/files.h"
#include "support/headless.h"

namespace {

using Bytes = std::vector<unsigned char>;
const geometry::Point origin = geometry::board_origin(640, 480);

// Every cell full, each with a value from 2 to 255.
Bytes full_of_other_values()
{
    Bytes b(Layout::cell_count);
    for (int i = 0; i < Layout::cell_count; i++)
        b[i] = static_cast<unsigned char>(2 + i % 254);
    return b;
}

// A pyramid of 25 pieces over three layers, values 1 to 9: an odd count.
Bytes odd_pyramid()
{
    Bytes b(Layout::cell_count, 0);
    int v = 0;
    for (int z = 0; z < 3; z++)
        for (int y = z; y < 7 - z; y += 2)
            for (int x = z; x < 12 - z; x += 2)
                if (v < 25)
                    b[Layout::index(x, y, z)] = static_cast<unsigned char>(1 + v++ % 9);
    return b;
}

Layout layout_of(const Bytes &b)
{
    Layout l;
    l.clear();
    for (int i = 0; i < Layout::cell_count; i++)
        l.set_cell(i, b[i]);
    return l;
}

class OddLayoutGame : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res{36};

    void SetUp() override
    {
        input::reset();
        LEGACY_TEXT(text_mode(-1));
    }
    void TearDown() override
    {
        input::reset();
        layout.clear();
    }

    void click(Game &game, int cell)
    {
        const geometry::Point p = point_on(layout, origin, cell);
        ASSERT_NE(p.x, -1) << "no point picks cell " << cell << ::testing::PrintToString(layout);
        input::pointer(p.x, p.y, 1);
        game.pass();
        input::buttons(0);
        for (int i = 0; i < 3 && game.result == 0; i++)
            game.pass();
    }

    // Deals the layout as the game does and plays it to its end, a free pair at a time.
    // Returns the play result.
    int play_out(const Bytes &file)
    {
        layout = layout_of(file);
        const int pieces = layout.count;
        Deal dealt;
        std::srand(99);
        EXPECT_TRUE(deal(layout, 36, dealt));
        EXPECT_EQ(layout.count, pieces) << "dealing keeps every piece";
        for (int i = 0; i < Layout::cell_count; i++) {
            EXPECT_EQ(layout.cell(i) != 0, file[i] != 0) << "cell " << i;
            EXPECT_LE(layout.cell(i), 36) << "cell " << i << " bears a symbol of the strip";
        }
        Game game(dealt);
        game.pass();  // the first frame
        game.pass();  // the first end tests
        int a, b, moves = 0;
        while (game.result == 0 && clickable_pair(layout, origin, a, b)) {
            click(game, a);
            EXPECT_EQ(game.selected_cell, a);
            click(game, b);
            moves++;
            EXPECT_EQ(layout.count, pieces - 2 * moves);
            if (::testing::Test::HasFatalFailure())
                return -1;
        }
        for (int i = 0; i < 3 && game.result == 0; i++)
            game.pass();
        EXPECT_TRUE(game.is_over());
        return game.result;
    }
};

TEST_F(OddLayoutGame, EveryCellFullIsDealtAndPlayedToItsEnd)
{
    const int result = play_out(full_of_other_values());
    EXPECT_TRUE(result == 2 || result == 3) << result;
    EXPECT_EQ(result == 2, layout.count == 0);
}

TEST_F(OddLayoutGame, AnOddCountIsDealtAndCanNeverBeCleared)
{
    EXPECT_EQ(play_out(odd_pyramid()), 3);
    EXPECT_GE(layout.count, 1);
    EXPECT_EQ(layout.count % 2, 1);
}

// ---------------------------------------------------------------------------------------------
// The editor

class OddLayoutEditor : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res;
    Editor editor;
    std::string chosen;               // what the scripted selector answers
    std::vector<std::string> told;    // the messages shown, first line and file
    TempDir dir;

    void SetUp() override
    {
        input::reset();
        editor.select_file = [this](const char *, char *path, const char *, int, int, int) {
            std::strcpy(path, chosen.c_str());
            return -1;
        };
        editor.ask = [this](const char *s1, const char *s2, const char *, const char *,
                            const char *, int, int) {
            told.push_back(std::string(s1) + " " + (s2 ? s2 : ""));
            return 1;
        };
        editor.play = [] { return 1; };
        editor.pass();
    }
    void TearDown() override
    {
        input::reset();
        layout.clear();
    }

    void tap(int scancode)
    {
        input::key_down(scancode);
        editor.pass();
        input::key_up(scancode);
        editor.pass();
        editor.pass();
    }
    void load(const std::string &path)
    {
        chosen = path;
        tap(KEY_L);
    }
    void save(const std::string &path)
    {
        chosen = path;
        tap(KEY_S);
    }
    // A pixel inside the face of cell (x, y, 0).
    static bool face_at(int x, int y)
    {
        const geometry::Point c = geometry::cell_corner(origin, x, y, 0);
        return rgb_at(screen, c.x + 21, c.y + 15) == rgb_of(FakeResources::face_colour(), 16);
    }
};

TEST_F(OddLayoutEditor, FullOddAndOtherValuesLoadShowAndSaveBackUnchanged)
{
    for (const Bytes &file : {full_of_other_values(), odd_pyramid()}) {
        write_file(dir.path("in.lyt"), file);
        load(dir.path("in.lyt"));
        EXPECT_TRUE(told.empty()) << told[0];
        EXPECT_EQ(layout.count, layout_of(file).count);
        EXPECT_EQ(face_at(0, 0), file[0] != 0);
        EXPECT_EQ(face_at(11, 6), file[Layout::index(11, 6, 0)] != 0);
        save(dir.path("out.lyt"));
        EXPECT_EQ(read_file(dir.path("out.lyt")), file);
        EXPECT_FALSE(editor.has_unsaved_changes());
    }
}

// The editor's side of the file matrix: what loads, and what is refused with a message
// naming the file while the layout on screen stays as it was.
TEST_F(OddLayoutEditor, FilesOfEverySizeAndNoFileAtAll)
{
    Bytes shape(Layout::cell_count, 0);
    shape[Layout::index(3, 3, 0)] = 1;
    shape[Layout::index(4, 3, 0)] = 1;
    shape[Layout::index(3, 3, 1)] = 5;
    auto sized = [&](size_t n) {
        Bytes b = shape;
        b.resize(n, 9);
        return b;
    };
    struct Row {
        std::string name;
        Bytes bytes;
        bool loads;
    };
    const std::vector<Row> rows = {
        {"0.lyt", {}, false},          {"1.lyt", sized(1), false},
        {"503.lyt", sized(503), false}, {"504.lyt", sized(504), true},
        {"505.lyt", sized(505), true},  {"100000.lyt", sized(100000), true},
    };
    for (const Row &row : rows)
        write_file(dir.path(row.name), row.bytes);
    mkdir(dir.path("folder.lyt").c_str(), 0755);
    mkfifo(dir.path("pipe.lyt").c_str(), 0644);  // reading it would wait for a writer forever

    Layout before = board_of({{0, 0, 0, 1}, {11, 6, 0, 1}});
    auto check = [&](const std::string &path, bool loads) {
        SCOPED_TRACE(path);
        layout = before;
        told.clear();
        load(path);
        if (loads) {
            EXPECT_TRUE(told.empty());
            EXPECT_EQ(0, std::memcmp(layout.cells, shape.data(), Layout::cell_count));
            EXPECT_EQ(layout.count, 3);
            EXPECT_TRUE(face_at(3, 3));
            EXPECT_FALSE(face_at(0, 0));
        } else {
            ASSERT_EQ(told.size(), 1u);
            EXPECT_NE(told[0].find("Could not load"), std::string::npos) << told[0];
            EXPECT_NE(told[0].find(path), std::string::npos) << told[0];
            EXPECT_EQ(0, std::memcmp(layout.cells, before.cells, Layout::cell_count));
            EXPECT_EQ(layout.count, 2);
            EXPECT_TRUE(face_at(0, 0)) << "the layout on screen is the one it had";
        }
    };
    for (const Row &row : rows)
        check(dir.path(row.name), row.loads);
    check(dir.path("folder.lyt"), false);
    check(dir.path("pipe.lyt"), false);
    check(dir.path("no-such-folder/x.lyt"), false);
}

}  // namespace
