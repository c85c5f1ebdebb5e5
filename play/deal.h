// Dealing: turning a shape into a board of shuffled matching pairs of symbols.
#pragma once

#include <vector>

#include "board/layout.h"
#include "play/rand_sequence.h"

struct Deal {
    std::vector<unsigned char> pair_list;  // symbol - 1 for each piece, in dealing order
    int top_layer = 0;                     // highest layer holding a piece
    int shading_step = 0;                  // veil strength per layer below the top one
};

// Gives every occupied cell of `board` a symbol from 1 to `symbols` so that the symbols come
// in pairs: pair i bears symbol (i mod symbols) + 1, the list is shuffled with exactly 10000
// swaps drawn from rand(), and the pieces take the list in cell-index order. With an odd
// count the unpaired piece bears symbol 1. Returns false, drawing nothing from rand(), when
// the board holds no piece. `symbols` below 1 counts as 1.
bool deal(Layout &board, int symbols, Deal &result);
// The same deal with the numbers drawn from `draws` in place of rand(), whose state it leaves
// alone: with draws made from srand's seed, the same board.
bool deal(Layout &board, int symbols, Deal &result, RandSequence &draws);

// The shading step for a board whose highest piece lies on `top_layer`: 10 * (7 - top_layer).
int shading_step_for(int top_layer);
