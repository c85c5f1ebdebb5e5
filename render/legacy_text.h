// The text calls the game draws with (text_mode, textprintf, textprintf_centre) live in the
// library's compatibility layer and are marked deprecated. They are what we want: this wraps
// one such call and silences that warning for it alone.
#pragma once

#include <allegro.h>

#define LEGACY_TEXT(call)                                                   \
    _Pragma("GCC diagnostic push")                                          \
    _Pragma("GCC diagnostic ignored \"-Wdeprecated-declarations\"") call;   \
    _Pragma("GCC diagnostic pop")

// The colour that draws a font in its own colours: -1 for a colour font; white for a one-colour
// font, which -1 would draw as an all-ones pixel, setting the unused top bit in a 15-bit
// bitmap (shown by the display as some other colour entirely).
inline int own_colours(FONT *f) { return is_color_font(f) ? -1 : makecol(255, 255, 255); }
