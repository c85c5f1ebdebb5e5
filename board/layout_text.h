// The readable text form of a layout: one character grid per layer.
//
//     # comment lines start with '#'; blank lines are ignored
//     layer 0
//     ..##########
//     ...
//
// Each "layer N" line (N from 0 to 5) is followed by exactly 7 rows of 12 cells. A cell is
// '.' (empty), 'o' (a piece, value 1) or a decimal value in brackets, such as "[37]", for
// the other values a file may hold. Layers that are not listed are empty.
//
// A board's name may come first, on a line of its own before any layer (only blank and
// comment lines before it):
//
//     name: Butterfly
//
// The name is UTF-8 text on one line, spaces around it not counted (see board_name_problem).
#pragma once

#include <string>

#include "board/layout.h"

// Writes the layout in text form: only the layers that hold pieces (an empty layout
// gives just its header comment).
std::string layout_to_text(const Layout &source);

// The same with the board's name on a first line of its own; an empty name gives exactly the
// text above.
std::string layout_to_text(const Layout &source, const std::string &name);

// Parses the text form into a layout (cells and count). On failure returns false and puts a
// message naming the line into error; the layout is then left unchanged.
bool layout_from_text(const std::string &text, Layout &result, std::string &error);

// The same, also giving the board's name in `name`, or "" when the text names none (on
// failure `name` too is left unchanged).
bool layout_from_text(const std::string &text, Layout &result, std::string &error,
                      std::string &name);

// Longest name a board may have, in bytes.
constexpr int board_name_max_bytes = 60;

// What is wrong with a board's name, or "": it must be non-empty, at most
// board_name_max_bytes bytes of well-formed UTF-8, with no control characters and no space at
// either end.
std::string board_name_problem(const std::string &name);
