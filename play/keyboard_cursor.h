// The keyboard cursor's moves over the free pieces of a board.
//
// Left and Right move along the cursor's row of the grid to the next free piece in the order
// the pieces are drawn across the screen (each layer is drawn a little further left, so a
// piece's place across is 50 x - 10 z; equal places go higher layer first). Up and Down move
// to the nearest row above or below that holds a free piece, onto the free piece there drawn
// closest across. So every free piece can be reached from every other: Up and Down step
// through every row that holds a free piece, and Left and Right through every free piece of a
// row.
#pragma once

#include "board/layout.h"

enum class CursorMove { left, right, up, down };

// Where the cursor goes from `cell` (any cell; it need not hold a piece any more) on `board`;
// `cell` itself when no free piece lies that way.
int cursor_step(const Layout &board, int cell, CursorMove move);

// The free piece drawn nearest to `cell`, `cell` itself when it is a free piece, or -1 when
// the board has no free piece: where the cursor goes when the piece under it has gone.
int nearest_free_piece(const Layout &board, int cell);

// The first free piece in reading order (top row first, then across), or -1.
int first_free_piece(const Layout &board);
