// The window of platform/window.h under X11, through the graphics library's X11 driver.
#include "platform/window.h"

#include <allegro.h>
#include <xalleg.h>

// The picture the library gives the window it makes at start-up (the library defines it
// without declaring it).
extern void *allegro_icon;

void set_window_name(const char *name, const char *window_class)
{
    xwin_set_window_name(name, window_class);
}

void set_window_icon(const char *const *xpm_picture)
{
    allegro_icon = const_cast<char **>(xpm_picture);
}
