#include "support/boards.h"

#include <gtest/gtest.h>

#include "board/layout_text.h"

Layout board_from_text(const std::string &text)
{
    Layout board;
    board.clear();
    std::string error;
    bool parsed = layout_from_text(text, board, error);
    EXPECT_TRUE(parsed) << error << "\n" << text;
    if (!parsed)
        board.clear();
    return board;
}

std::string layer_text(int z, const char *const rows[7])
{
    std::string text = "layer " + std::to_string(z) + "\n";
    for (int y = 0; y < 7; y++)
        text += std::string(rows[y]) + "\n";
    return text;
}

void PrintTo(const Layout &board, std::ostream *os) { *os << "\n" << layout_to_text(board); }
