#include "app/window_title.h"

#include <allegro.h>

std::string window_title_text(const std::string &screen, const std::vector<std::string> &notes)
{
    std::string title = "tilestack - " + screen + " - F2: keys";
    for (const std::string &note : notes)
        title += " - " + note;
    return title;
}

void show_window_title(const std::string &title)
{
    static std::string shown;
    if (title == shown)
        return;
    shown = title;
    set_window_title(title.c_str());
}
