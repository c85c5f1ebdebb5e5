// The text calls the game draws with (text_mode, textprintf, textprintf_centre) live in the
// library's compatibility layer and are marked deprecated. They are what we want: this wraps
// one such call and silences that warning for it alone.
#pragma once

#define LEGACY_TEXT(call)                                                   \
    _Pragma("GCC diagnostic push")                                          \
    _Pragma("GCC diagnostic ignored \"-Wdeprecated-declarations\"") call;   \
    _Pragma("GCC diagnostic pop")
