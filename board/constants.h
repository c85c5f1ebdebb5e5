// The game's fixed numbers and texts, one home each: the cell pitch and layer shift, the
// symbols, the veil, the status lines and the layout files. Plain values, no library types,
// so the model, the screens, the tools and the tests all take them from here.
#pragma once

namespace geometry {
constexpr int cell_width = 50;     // the pitch of the grid on the screen
constexpr int cell_height = 35;
constexpr int layer_shift_x = 10;  // each layer is drawn this much further left ...
constexpr int layer_shift_y = 7;   // ... and this much further up than the one below
constexpr int grid_width = 12 * cell_width;   // 600
constexpr int grid_height = 7 * cell_height;  // 245
}  // namespace geometry

// Symbols are squares side by side in the strip picture; symbol s (from 1) lies at
// x = symbol_size * (s - 1). On a piece a symbol sits this far from the cell's corner.
constexpr int symbol_size = 27;
constexpr int symbol_offset_x = 10;
constexpr int symbol_offset_y = 4;

// How many symbols a strip picture of the given width holds.
constexpr int symbols_in_strip(int strip_width) { return strip_width / symbol_size; }

// The dark blue laid over lower layers and over the last frame of a game.
struct VeilColour {
    int r, g, b;
};
constexpr VeilColour veil_colour = {0, 0, 128};
constexpr int game_over_veil_factor = 128;

// The status lines: the game's in its own font, the editor's in the library's.
constexpr const char *game_status_format = "Pieces remaining: %4i";
constexpr const char *editor_status_format = "z: %8i   count: %4i";

// The notes under the board that come with a hint the solver could not back.
constexpr const char *no_way_note = "This board can no longer be cleared. Ctrl+Z takes a pair back.";
constexpr const char *unknown_note = "The hint could not look far enough to be sure of this pair.";

// The title menu's first item has its top here; the next lies a line height below.
constexpr int title_first_item_top = 180;

// The game picks each game's shape from the files "0.lyt" to "2.lyt".
constexpr int layout_file_count = 3;
constexpr const char *layout_file_format = "%i.lyt";
