// The game's pictures, drawn in code: the piece face, the symbols, the play field and the
// title picture.
#pragma once

#include <string>
#include <vector>

#include "art/canvas.h"
#include "board/constants.h"
#include "render/screen_look.h"

namespace art {

// The piece: a 50 x 35 sprite for a 50 x 35 cell pitch. Its top face is face_width x
// face_height from the corner; the rest is the piece's thickness, seen down and to the right,
// which is what shows of a lower layer once the next layer is drawn 10 left and 7 up.
constexpr int piece_width = geometry::cell_width;
constexpr int piece_height = geometry::cell_height;
constexpr int face_width = 45;
constexpr int face_height = 32;
constexpr int symbol_size = ::symbol_size;
constexpr int symbol_x = symbol_offset_x;  // where the game puts a symbol on the face
constexpr int symbol_y = symbol_offset_y;

// The plain colour of the face where symbols lie; symbols are smoothed against it.
Colour face_colour();
Canvas piece_face();
// Paints the piece with its corner at the canvas's origin, at the canvas's scale.
void paint_piece(Canvas &c);

// The symbols, each symbol_size square, in the order of the strip.
struct Symbol {
    const char *name;
    void (*draw)(Canvas &c);
};
const std::vector<Symbol> &symbol_list();
Canvas symbol_picture(int index);  // one symbol, 0 to N - 1, symbol_size square
Canvas symbol_strip();

// The 640 x 480 play field.
Canvas play_field();

// Coverage masks of text set in a scalable font (see font.h).
class TextRenderer;

// The 640 x 480 title picture: the game's name above a clear band for the menu items.
Canvas title_picture(TextRenderer &text);

// The game's icon, size x size with a transparent background: a stack of three pieces with
// a symbol on the top one.
Canvas game_icon(int size);
// The size of the window's icon.
constexpr int window_icon_size = 48;

}  // namespace art
