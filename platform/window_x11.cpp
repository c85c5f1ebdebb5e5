// The window of platform/window.h under X11, through the graphics library's X11 driver.
#include "platform/window.h"

#include <allegro.h>
#include <xalleg.h>

void set_window_name(const char *name, const char *window_class)
{
    xwin_set_window_name(name, window_class);
}
