// The game's window as the window system knows it.
#pragma once

// Names the window and its class, by which the desktop matches it to the game's menu entry
// and icon. Called before the graphics library makes its window, which then carries them.
void set_window_name(const char *name, const char *window_class);

// Gives the window the game's icon, an XPM picture in C source, where the window system takes
// it from the program (X11); on Windows the icon is the program's own resource, which the
// library puts on its window.
void set_window_icon(const char *const *xpm_picture);
