// Boards for tests, written in the layout text form, and printed the same way on failure.
#pragma once

#include <string>

#include "board/layout.h"

// Parses a board from the layout text form ("layer N" followed by 7 rows of 12 cells: '.'
// empty, 'o' value 1, "[v]" value v). A board that does not parse fails the current test
// and comes back empty.
Layout board_from_text(const std::string &text);

// Shorthand for one layer: 7 rows of 12 cells, for building boards layer by layer.
std::string layer_text(int z, const char *const rows[7]);

// The board as text, for failure messages: gtest prints a Layout this way.
void PrintTo(const Layout &board, std::ostream *os);
