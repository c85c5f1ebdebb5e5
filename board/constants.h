// The board's fixed numbers, one home each: the cell pitch and layer shift, the symbols'
// size, and the layout files. Plain values, no library types, so the model, the screens, the
// tools and the tests all take them from here. How the screens look lives with the screens
// (render/screen_look.h, the editor's and the game's headers).
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
// x = symbol_size * (s - 1).
constexpr int symbol_size = 27;

// How many symbols a strip picture of the given width holds.
constexpr int symbols_in_strip(int strip_width) { return strip_width / symbol_size; }

// How many the strip the game ships holds (the data tool draws them): what dealing assumes
// where no strip is at hand.
constexpr int shipped_symbol_count = 36;

// The game picks each game's shape from the files "0.lyt" to "2.lyt".
constexpr int layout_file_count = 3;
constexpr const char *layout_file_format = "%i.lyt";
