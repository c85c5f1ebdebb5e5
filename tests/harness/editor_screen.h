// What the editor's screen shows, read from a screenshot: its status line, its placement
// frames and the library's dialogs over it.
#pragma once

#include <string>

class Desk;
class Screenshot;

namespace editor_screen {

// In the open file selector, whose edit field starts with `folder`: clears the field, types
// the whole path and confirms with Return.
void enter_path(Desk &desk, const std::string &folder, const std::string &path);

// The status line as the editor writes it for a layer and a count of pieces.
std::string status(int layer, int count);
// The status line at the top reads exactly `text` in the library's built-in font.
bool status_reads(const Screenshot &s, const std::string &text);

// Pixels of the placement frames (and of nothing else the editor or the game draws).
int frame_pixels(const Screenshot &s);

// White below the text lines: only the library's dialogs paint large white areas, and the
// file selector much more of it than a message box.
int dialog_pixels(const Screenshot &s);
inline bool dialog_open(const Screenshot &s) { return dialog_pixels(s) > 5000; }
inline bool selector_open(const Screenshot &s) { return dialog_pixels(s) > 60000; }
inline bool message_open(const Screenshot &s)
{
    return dialog_pixels(s) > 5000 && dialog_pixels(s) < 60000;
}
inline bool nothing_open(const Screenshot &s) { return dialog_pixels(s) < 1000; }

}  // namespace editor_screen
