// The window of platform/window.h on Windows, where the library makes the window itself.
#include "platform/window.h"

void set_window_name(const char *, const char *)
{
    // The window's title says the name; its class is the library's own.
}

void set_window_icon(const char *const *)
{
    // The program's icon resource, named allegro_icon, which the library loads for its window.
}
