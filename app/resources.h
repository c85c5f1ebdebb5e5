// The pictures, font and back buffer that every screen draws with, and program start-up.
#pragma once

#include <allegro.h>

#include <string>

struct GameResources {
    BITMAP *buffer;            // back buffer, 640 x 480 in the display's depth
    BITMAP *piece_image;       // empty.tga: the blank face of a piece
    BITMAP *title_image;       // title.tga
    BITMAP *background_image;  // bg.tga: the play field
    BITMAP *symbol_strip;      // geek.tga: 27 x 27 symbols side by side
    DATAFILE *font_file;       // font.dat
    FONT *game_font;           // the first object of font_file

    GameResources();
    // Destroys the bitmaps that exist. The datafile stays loaded until the process ends.
    void free_resources();
};

extern GameResources resources;

// Opens a mode of 640 x 480 times `factor` on the given card in the first colour depth that
// works, trying 16, 32, 15 and 24 bits in that order; when none works, the next smaller factor,
// down to 1. Non-zero (TRUE) when a mode opened, 0 otherwise; display_scale() is then the
// factor it opened at.
int set_display_mode(int card, int factor = 1);

// The depths in the order they are tried, and the searches themselves with the mode setter
// passed in, so that the order can be checked without a display.
using ModeSetter = int (*)(int card, int w, int h, int vw, int vh);
constexpr int display_depths[] = {16, 32, 15, 24};
int open_first_depth(int card, ModeSetter open_mode, int width = 640, int height = 480);
// The factor a mode opened at, from `factor` down to 1, or 0 when none did.
int open_largest_scale(int card, int factor, ModeSetter open_mode);

// Starts the library, keyboard, mouse and display and loads the data files. Any failure
// is reported through fatal_error.
void init_game();

// Loads the pictures and the font from the folder (the working directory when empty) into
// resources, each checked whole first, in the current colour depth. Any failure is reported
// through fatal_error. init_game calls it once the display is up; the preview tool calls it
// with no display.
void load_data_files(const std::string &folder = "");

// Checks that each layout file the game picks from is present and complete.
void check_layout_files();

// Says what went wrong (in a message box when the library is up, else on standard error),
// releases the resources and ends the program with exit status 1.
[[noreturn]] void fatal_error(const char *format, ...) __attribute__((format(printf, 1, 2)));
