// The rules of building a shape, on top of the support rule of Layout: where a piece may go,
// what goes with a piece taken away, and the mirror across the middle of the grid. The
// editor's strokes and the layout generator's moves both keep to them.
#pragma once

#include "board/layout.h"

// An empty cell where a piece may be put.
bool can_place(const Layout &shape, int cell);
// A piece that can be taken away alone: nothing lies on it.
bool can_lift(const Layout &shape, int cell);

// The column, and the cell, that mirror column x as column 11 - x (same row and layer).
constexpr int mirror_column(int x) { return Layout::columns - 1 - x; }
int mirror_cell(int cell);

// Puts a piece (value 1) in the cell when the cell rests on support (Layout::is_supported)
// and does not hold 1 already; a piece of another value becomes 1 (the count stays). True
// when a cell changed.
bool place_piece(Layout &shape, int x, int y, int z);

// Takes the piece in the cell away, with every piece stacked above it up to the top layer,
// when the cell holds a piece and rests on support (a piece left floating by a loaded file
// stays until something is put under it). True when a cell changed.
bool remove_piece(Layout &shape, int x, int y, int z);

// A stroke's action on one cell: places (value 1) or removes (value 0) there and, when
// mirrored, at (11 - x, y, z) as well, each side under the rules above. True when a cell
// changed.
bool stroke_cell(Layout &shape, int x, int y, int z, int value, bool mirrored);
