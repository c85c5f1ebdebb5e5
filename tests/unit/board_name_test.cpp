// A board's name: in the layout's text form, and in the side file beside its layout file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/layout_name.h"
#include "board/layout_text.h"
#include "support/files.h"

namespace {

Layout little_board()
{
    Layout l;
    l.clear();
    l.set(0, 0, 0, 1);
    l.set(1, 0, 0, 1);
    l.set(4, 2, 1, 7);
    return l;
}

TEST(BoardName, TextRoundTripsWithAndWithoutAName)
{
    const Layout l = little_board();
    for (const std::string &name : std::vector<std::string>{"", "Butterfly", "Pont d'Avignon", "\xc3\x89toile \xe2\x98\x85",
                                   std::string(board_name_max_bytes, 'x')}) {
        const std::string text = layout_to_text(l, name);
        EXPECT_EQ(text.rfind("name: ", 0) == 0, !name.empty()) << text;
        if (name.empty()) {
            EXPECT_EQ(text, layout_to_text(l)) << "a board without a name writes today's text";
        }
        Layout back;
        back.clear();
        std::string error, read_name = "old";
        ASSERT_TRUE(layout_from_text(text, back, error, read_name)) << error << "\n" << text;
        EXPECT_EQ(read_name, name);
        EXPECT_EQ(0, std::memcmp(back.cells, l.cells, Layout::cell_count));
        EXPECT_EQ(back.count, l.count);
    }
    // Comments may come before the name, spaces around it do not count, and the reading
    // without a name takes the cells alike.
    Layout back;
    std::string error, name;
    ASSERT_TRUE(layout_from_text("# a ring\n\nname:   Ring  \r\n" + layout_to_text(l), back,
                                 error, name)) << error;
    EXPECT_EQ(name, "Ring");
    ASSERT_TRUE(layout_from_text("name: Ring\n" + layout_to_text(l), back, error)) << error;
    EXPECT_EQ(back.count, l.count);
}

TEST(BoardName, BadNameLinesAreRefusedNamingTheLine)
{
    const std::string grid = layout_to_text(little_board());
    const struct {
        std::string text;
        const char *error;
    } bad[] = {
        {"name:\n" + grid, "line 1: the name is empty"},
        {"name:    \n" + grid, "line 1: the name is empty"},
        {"name: A\nname: B\n" + grid, "line 2: the name is given twice"},
        {grid + "name: Late\n", "the name must come before the first layer"},
        {"name: " + std::string(board_name_max_bytes + 1, 'x') + "\n" + grid,
         "line 1: the name is longer than 60 bytes"},
        {"name: a\tb\n" + grid, "line 1: the name holds a control character"},
        {"name: \xc2\x85x\n" + grid, "line 1: the name holds a control character"},
        {"name: caf\xe9\n" + grid, "line 1: the name is not well-formed UTF-8"},       // Latin-1
        {"name: \xe2\x98\n" + grid, "line 1: the name is not well-formed UTF-8"},      // cut short
        {"name: \xc0\xa0x\n" + grid, "line 1: the name is not well-formed UTF-8"},     // overlong
        {"name: \xed\xa0\x80x\n" + grid, "line 1: the name is not well-formed UTF-8"}, // surrogate
    };
    for (const auto &b : bad) {
        Layout untouched = little_board();
        std::string error, name = "kept";
        EXPECT_FALSE(layout_from_text(b.text, untouched, error, name)) << b.text;
        EXPECT_NE(error.find(b.error), std::string::npos) << error;
        EXPECT_EQ(name, "kept");
        EXPECT_EQ(untouched.count, 3);
    }
}

TEST(BoardName, SideFileBesideTheLayoutFile)
{
    const struct {
        const char *layout, *side;
    } paths[] = {{"butterfly.lyt", "butterfly.name"}, {"dir.v2/board", "dir.v2/board.name"},
                 {"a/b.c.lyt", "a/b.c.name"},        {".hidden", ".hidden.name"}};
    for (const auto &p : paths)
        EXPECT_EQ(name_file_for(p.layout), p.side);

    TempDir dir;
    const std::string board = dir.path("butterfly.lyt");
    EXPECT_EQ(read_layout_name(board), "") << "no side file: no name";
    ASSERT_TRUE(write_layout_name(board, "Butterfly"));
    EXPECT_EQ(read_layout_name(board), "Butterfly");
    const struct {
        std::string content, name;
    } files[] = {
        {"Wide Bridge\r\nmore lines\n", "Wide Bridge"},
        {"No line end", "No line end"},
        {std::string(board_name_max_bytes, 'x') + "\n", std::string(board_name_max_bytes, 'x')},
        {std::string(board_name_max_bytes + 1, 'x') + "\n", ""},
        {std::string(100000, 'x'), ""},
        {"\n", ""},
        {" spaced\n", ""},
        {"caf\xe9\n", ""},
    };
    for (const auto &f : files) {
        write_text(name_file_for(board), f.content);
        EXPECT_EQ(read_layout_name(board), f.name) << f.content.substr(0, 20);
    }
    std::string why;
    EXPECT_FALSE(write_layout_name(dir.path("no/such/folder/x.lyt"), "X", &why));
    EXPECT_FALSE(why.empty());
}

}  // namespace
