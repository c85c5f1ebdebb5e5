// The boards the title offers: their order, their names and why a file cannot be played.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "board/layout.h"
#include "play/gallery.h"
#include "support/files.h"

namespace {

using Names = std::vector<std::string>;

TEST(GalleryOrder, AnyOfThreeThenTheListThenThePlayersOwnByName)
{
    const struct {
        const char *why;
        std::string list;
        Names found;
        Names order;
    } cases[] = {
        {"no list, no file", "", {}, {""}},
        {"the three are never offered by name", "0.lyt\n", {"2.lyt", "1.lyt", "0.lyt"}, {""}},
        {"the list's order, not the folder's",
         "tower.lyt\nbutterfly.lyt\n",
         {"butterfly.lyt", "tower.lyt"},
         {"", "tower.lyt", "butterfly.lyt"}},
        {"own files after the list, sorted, listed ones once",
         "b.lyt\r\n\n  a.lyt \n",
         {"z.lyt", "a.lyt", "m.lyt", "b.lyt"},
         {"", "b.lyt", "a.lyt", "m.lyt", "z.lyt"}},
        {"a listed file that is missing is still offered", "gone.lyt", {}, {"", "gone.lyt"}},
        {"repeats, folders and blank lines left out",
         "x.lyt\nx.lyt\n../up.lyt\nsub\\y.lyt\n\n",
         {"x.lyt"},
         {"", "x.lyt"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(gallery_order(c.list, c.found), c.order) << c.why;
}

TEST(GalleryOrder, WhyAFileCannotBePlayed)
{
    auto bytes = [](std::vector<int> cells) {
        std::vector<unsigned char> b(Layout::cell_count);
        for (int c : cells)
            b[c] = 1;
        return b;
    };
    const struct {
        const char *why;
        std::vector<unsigned char> cells;
        long long size;
        std::string fault;
    } cases[] = {
        {"a pair on the bottom", bytes({0, 1}), 504, ""},
        {"a pair, one on the other", bytes({0, 84}), 504, ""},
        {"any value counts as a piece", {7, 255}, 504, ""},
        {"cut short", bytes({0, 1}), 503, "it is 503 bytes, not 504"},
        {"too long", bytes({0, 1}), 505, "it is 505 bytes, not 504"},
        {"empty", bytes({}), 504, "it holds no piece"},
        {"odd", bytes({0, 1, 2}), 504, "its count of pieces is odd (3)"},
        {"resting on nothing", bytes({0, 85}), 504, "a piece rests on nothing"},
    };
    for (const auto &c : cases) {
        std::vector<unsigned char> cells = c.cells;
        cells.resize(Layout::cell_count);
        EXPECT_EQ(layout_fault(cells.data(), c.size), c.fault) << c.why;
    }
    EXPECT_EQ(side_file_name(" Butterfly \r\nsecond line"), "Butterfly");
    EXPECT_EQ(side_file_of("butterfly.lyt"), "butterfly.name");
}

TEST(GalleryOrder, TheFolderReadWithNamesAndFaultsAndTheChoiceWraps)
{
    TempDir dir;
    std::vector<unsigned char> pair(Layout::cell_count);
    pair[0] = pair[1] = 1;
    write_file(dir.path("0.lyt"), pair);
    write_file(dir.path("ring.lyt"), pair);
    write_text(dir.path("ring.name"), "The ring \xc3\xa9\n");
    write_file(dir.path("mine.lyt"), std::vector<unsigned char>(pair.begin(), pair.end() - 1));
    write_text(dir.path("odd.lyt"), std::string(503, '\1') + '\0');
    write_text(dir.path("notes.txt"), "not a board");
    ASSERT_EQ(mkdir(dir.path("folder.lyt").c_str(), 0755), 0);
    write_text(dir.path(gallery_list_file), "ring.lyt\n");

    const std::vector<GalleryBoard> boards = read_gallery(dir.path());
    const struct {
        const char *file, *name, *fault;
    } expected[] = {
        {"", any_of_three_name, ""},
        {"ring.lyt", "The ring \xc3\xa9", ""},
        {"folder.lyt", "folder.lyt", "it is not a regular file"},
        {"mine.lyt", "mine.lyt", "it is 503 bytes, not 504"},
        {"odd.lyt", "odd.lyt", "its count of pieces is odd (503)"},
    };
    ASSERT_EQ(boards.size(), std::size(expected));
    for (std::size_t i = 0; i < boards.size(); i++) {
        EXPECT_EQ(boards[i].file, expected[i].file);
        EXPECT_EQ(boards[i].name, expected[i].name);
        EXPECT_EQ(boards[i].fault, expected[i].fault);
    }

    GalleryChoice choice(dir.path());
    EXPECT_FALSE(choice.stepped());
    EXPECT_EQ(choice.path(), "");
    choice.step(-1);  // wraps to the last
    EXPECT_EQ(choice.board().file, "odd.lyt");
    EXPECT_FALSE(choice.playable());
    choice.step(2);
    EXPECT_EQ(choice.path(), dir.path("ring.lyt"));
    EXPECT_TRUE(choice.playable());
    // The file changed since the folder was read: Start looks again.
    write_text(dir.path("ring.lyt"), "cut");
    EXPECT_FALSE(choice.playable());
    EXPECT_EQ(choice.board().fault, "it is 3 bytes, not 504");
    // A new file between two steps is offered; the chosen board stays chosen.
    write_file(dir.path("new.lyt"), pair);
    choice.step(0);
    EXPECT_EQ(choice.board().file, "ring.lyt");
    choice.step(3);
    EXPECT_EQ(choice.board().file, "new.lyt");
}

}  // namespace
