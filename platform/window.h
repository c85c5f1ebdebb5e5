// The game's window as the window system knows it.
#pragma once

// Names the window and its class, by which the desktop matches it to the game's menu entry
// and icon. Called before the graphics library makes its window, which then carries them.
void set_window_name(const char *name, const char *window_class);
