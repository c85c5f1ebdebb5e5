#include "harness/editor_screen.h"

#include <cstdio>

#include "editor/editor.h"
#include "harness/xsession.h"

namespace editor_screen {

void enter_path(Desk &desk, const std::string &folder, const std::string &path)
{
    desk.tap_quickly("End");
    desk.tap_quickly("BackSpace", static_cast<int>(folder.size()) + 4);
    desk.type(path);
    desk.tap_quickly("Return");
}

std::string status(int layer, int count)
{
    char text[64];
    std::snprintf(text, sizeof text, editor_status_format, layer, count);
    return text;
}

bool status_reads(const Screenshot &s, const std::string &text)
{
    return s.text_line_reads(5, text);
}

int frame_pixels(const Screenshot &s) { return s.count_near({0, 128, 0}, 0, 40, 639, 479, 10); }

int dialog_pixels(const Screenshot &s)
{
    return s.count_near({255, 255, 255}, 0, 40, 639, 479, 10);
}

}  // namespace editor_screen
