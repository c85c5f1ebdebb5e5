// How the game's screens look where more than the drawing code needs to know it: where a
// symbol sits on a piece, the veil, the status line, the hint's notes and the title menu's
// place. Plain values, no library types, so the drawing code, the data tool's pictures, the
// preview tool and the tests all take them from here.
#pragma once

// On a piece a symbol sits this far from the cell's corner.
constexpr int symbol_offset_x = 10;
constexpr int symbol_offset_y = 4;

// The dark blue laid over lower layers and over the last frame of a game.
struct VeilColour {
    int r, g, b;
};
constexpr VeilColour veil_colour = {0, 0, 128};
constexpr int game_over_veil_factor = 128;

// The game's status line, in its own font.
constexpr const char *game_status_format = "Pieces remaining: %4i";

// The notes under the board that come with a hint the solver could not back.
constexpr const char *no_way_note = "This board can no longer be cleared. Ctrl+Z takes a pair back.";
constexpr const char *unknown_note = "The hint could not look far enough to be sure of this pair.";

// The title menu's first item has its top here; the next lies a line height below.
constexpr int title_first_item_top = 180;
