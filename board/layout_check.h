// What can be wrong with a layout as a board to play on.
#pragma once

#include <string>
#include <vector>

#include "board/layout.h"

// One line per kind of problem, in a fixed order: no pieces or an odd count; pieces that
// rest on nothing; cells whose value is other than 0 and 1 (each naming the cells).
// Empty when the layout is sound.
std::vector<std::string> layout_problems(const Layout &shape);

// The layers that hold at least one piece, as a bit set (bit z for layer z).
int layers_used(const Layout &shape);

// The highest layer holding a piece, or -1 when the shape holds none.
int top_layer(const Layout &shape);
