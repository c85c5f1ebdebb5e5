// Boards for tests, written in the layout text form, and printed the same way on failure.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "board/geometry.h"
#include "board/layout.h"
#include "play/keyboard_cursor.h"

// Parses a board from the layout text form ("layer N" followed by 7 rows of 12 cells: '.'
// empty, 'o' value 1, "[v]" value v). A board that does not parse fails the current test
// and comes back empty.
Layout board_from_text(const std::string &text);

// Shorthand for one layer: 7 rows of 12 cells, for building boards layer by layer.
std::string layer_text(int z, const char *const rows[7]);

// A board holding just these pieces, each {x, y, z, value}.
Layout board_of(std::initializer_list<std::array<int, 4>> pieces);

// Deal k of shipped layout n as the rating deals it (unit tests only: player_help_test.cpp).
Layout shipped_deal(int n, int k);

// The highest layer holding a piece (0 for an empty board).
int top_layer_of(const Layout &board);

// The same cells and count; on failure both boards are printed.
::testing::AssertionResult same_board(const Layout &actual, const Layout &expected);

// The board as text, for failure messages: gtest prints a Layout this way.
void PrintTo(const Layout &board, std::ostream *os);

// The middle of cell (x, y) of layer z on a board drawn at `origin`, where a press in the
// editor reaches that cell.
geometry::Point cell_middle(geometry::Point origin, int x, int y, int z);

// A point inside the face of the piece in `cell` at which the game's own rule (piece_at) finds
// that piece on `board` drawn at `origin`, the one nearest the middle of the cell; the whole
// cell is searched. {-1, -1} when there is none: a free piece may lie wholly under free
// pieces of higher layers, where no click reaches it.
geometry::Point point_on(const Layout &board, geometry::Point origin, int cell);

// Two free pieces with the same value that a player can click (each has a point_on), the
// first such pair in cell order.
bool clickable_pair(const Layout &board, geometry::Point origin, int &a, int &b);

// The fewest cursor moves that take the keyboard cursor from the free piece `from` to the free
// piece `to` on `board` (empty when they are the same piece, or when `to` cannot be reached).
std::vector<CursorMove> cursor_moves_between(const Layout &board, int from, int to);
