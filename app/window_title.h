// The window's title: the game's name, the screen shown and its help key, and whatever a
// screen adds (as "Ctrl+Z: last game" on the title screen while a game is kept).
#pragma once

#include <string>
#include <vector>

// "tilestack - <screen> - F2: keys", followed by each note after " - ".
std::string window_title_text(const std::string &screen, const std::vector<std::string> &notes = {});

// Gives the window that title; a title that is already shown is not set again.
void show_window_title(const std::string &title);
