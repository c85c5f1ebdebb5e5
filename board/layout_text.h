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
#pragma once

#include <string>

#include "board/layout.h"

// Writes the layout in text form: only the layers that hold pieces (an empty layout
// gives just its header comment).
std::string layout_to_text(const Layout &source);

// Parses the text form into a layout (cells and count). On failure returns false and puts a
// message naming the line into error; the layout is then left unchanged.
bool layout_from_text(const std::string &text, Layout &result, std::string &error);
