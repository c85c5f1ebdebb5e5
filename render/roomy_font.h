// A copy of a one-colour font with a blank row above and below every glyph, for the library's
// file selector: its list draws each row as high as the font and frames the chosen row's bar
// on the row's top and bottom lines, which with the built-in font run through the letters.
#pragma once

#include <allegro.h>

// The copy, made through the library's font grabber and to be freed with destroy_font; nullptr
// when `f` is not a one-colour font, has a glyph of no width, or memory runs out.
FONT *roomy_font(const FONT *f);

// While one lives, the library's global font is the roomy copy of the one it was (unchanged
// when no copy could be made).
class RoomyFont {
public:
    RoomyFont();
    ~RoomyFont();
    RoomyFont(const RoomyFont &) = delete;
    RoomyFont &operator=(const RoomyFont &) = delete;

private:
    FONT *saved_;
    FONT *roomy_;
};
