// The rules of the game: which pieces may be taken, which piece the pointer is on, and
// whether any pair can still be taken.
#pragma once

#include <vector>

#include "board/geometry.h"
#include "board/layout.h"

// A piece is free when nothing lies directly on it and it stands at the left or right edge
// or has an empty cell beside it in its row. Empty cells are never free.
bool is_free(const Layout &board, int x, int y, int z);
bool is_free(const Layout &board, int cell);

// The cell index of the topmost free piece drawn under the point (mx, my) for a board whose
// origin is `origin`, or -1. Pieces that are not free are passed over, so a free piece of a
// lower layer under the same point is found instead.
int piece_at(const Layout &board, geometry::Point origin, int mx, int my);

// Two different free pieces that bear the same value: a pair that may be taken.
bool is_pair(const Layout &board, int a, int b);

// Takes the pieces in cells a and b off the board when they are a pair; false, and the board
// unchanged, when they are not.
bool take_pair(Layout &board, int a, int b);

// The first two of `free_cells` (free pieces, in cell order) that bear the same value: the
// pair a player who always takes the first pair takes. False when no two match.
bool first_matching_pair(const Layout &board, const std::vector<int> &free_cells, int &a, int &b);

// True when no two free pieces bear the same value (also for an empty board).
bool no_moves_left(const Layout &board);

// The same rules on the global board.
bool is_free(int x, int y, int z);
bool no_moves_left();
