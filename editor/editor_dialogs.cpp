// The editor's modal screens: the file selector for saving and loading, the message boxes
// and questions, and trial play.
#include "editor/editor.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/system.h"
#include "render/roomy_font.h"

namespace {

// A path's last part: the file's own name.
std::string name_of(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

}  // namespace

// The file selector on the path buffer, which starts at the current folder every time. The
// folder is given with a trailing '/', so that a name typed after it lands in that folder
// under exactly that name; a name without an extension gets ".lyt", the case the game reads.
int Editor::choose_file(const char *title)
{
    const std::string here = current_folder();
    if (here.empty() || here.size() + 2 > path_size)
        std::strcpy(path, ".");
    else {
        std::strcpy(path, here.c_str());
        if (here.back() != '/')
            std::strcat(path, "/");
    }
    clear_keybuf();  // keys pressed in the editor must not be typed into the selector
    DialogInput dialog;
    RoomyFont roomy;  // so that the chosen row's name reads clearly on its bar
    return select_file(title, path, "lyt", path_size, 500, 350);
}

void Editor::save_dialog()
{
    int chosen = choose_file("Save layout");
    after_modal();
    if (chosen == 0)
        return;
    std::string why;
    if (layout.save(path, &why)) {
        stored = layout;
        file_name = name_of(path);
        show_title();
    } else {
        // The system's own words for what failed ("No space left on device"), which fit the box.
        const size_t colon = why.rfind(": ");
        const std::string reason =
            (colon == std::string::npos ? why : why.substr(colon + 2)) + " (no file was changed)";
        tell("Could not save the layout as", reason.c_str());
    }
}

void Editor::load_dialog()
{
    int chosen = choose_file("Load layout");
    after_modal();
    if (chosen == 0)
        return;
    const Layout before = layout;
    if (layout.load(path)) {
        stored = layout;
        file_name = name_of(path);
        history.record(before, layout);  // a load is a step: undo brings the edit back
    } else {
        const std::string why = "(missing, unreadable or shorter than " +
                                std::to_string(Layout::cell_count) + " bytes)";
        tell("Could not load a layout from", why.c_str());
    }
    needs_redraw = true;
}

// The library's message box: 1 for the first button, 2 for the second.
int Editor::message_box(const char *s1, const char *s2, const char *s3, const char *b1,
                        const char *b2, int c1, int c2)
{
    clear_keybuf();  // keys pressed in the editor must not answer the box
    DialogInput dialog;
    return ask(s1, s2, s3, b1, b2, c1, c2);
}

// A message box naming the file in the path buffer, closed with its one button.
void Editor::tell(const char *what, const char *why)
{
    std::string name = fit_path(path, message_width, font);
    message_box(what, name.c_str(), why, "OK", nullptr, 0, 0);
    after_modal();
}

// The whole layout is put aside and put back, so the game may deal and clear it freely.
void Editor::trial_play()
{
    Layout saved = layout;
    play();
    needs_redraw = true;
    layout = saved;
    after_modal();
}

void Editor::leave_or_stay()
{
    if (!has_unsaved_changes() ||
        confirm_discard("Leave the editor without saving them?", "&Leave", 'l')) {
        stage = Stage::left;
        return;
    }
    after_modal();
}

// Asks before unsaved changes are given up: true for the first button (`go`), false for
// "Stay", which Return, Space and Escape choose. After "Stay" the editor is redrawn; after
// `go` the caller goes on.
bool Editor::confirm_discard(const char *question, const char *go, int go_key)
{
    // A close request is answered by this question: the close button used while it is open
    // closes it as Stay does.
    forget_close_request();
    int answer = message_box("The layout has changes that are not saved.", question, nullptr,
                             go, "&Stay", go_key, 's');
    forget_close_request();
    needs_redraw = true;
    return answer == 1;
}

// A message box of up to three lines, closed with its one button.
void Editor::inform(const char *s1, const char *s2, const char *s3)
{
    message_box(s1, s2, s3, "OK", nullptr, 0, 0);
    needs_redraw = true;
    after_modal();
}

int alert_second_default(const char *s1, const char *s2, const char *s3, const char *b1,
                         const char *b2, int c1, int c2)
{
    if (b2 == nullptr)
        return alert(s1, s2, s3, b1, b2, c1, c2);
    // The library's alert always starts with its first button chosen, so this box is laid
    // out the same way (three centred lines over two buttons) with the focus on the second.
    const char *lines[3] = {s1 ? s1 : "", s2 ? s2 : "", s3 ? s3 : ""};
    const int th = text_height(font);
    int text_w = 0;
    for (const char *line : lines)
        text_w = std::max(text_w, gui_strlen(line));
    const int bw = std::max(64, std::max(gui_strlen(b1), gui_strlen(b2)) + 16);
    const int bh = th + 8;
    const int w = std::max(text_w + 32, 2 * bw + 48);
    const int h = 8 + 3 * th + 8 + bh + 8;
    const int first_button = 4, second_button = 5;
    DIALOG box[] = {
        {d_shadow_box_proc, 0, 0, w, h, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {d_ctext_proc, w / 2, 8, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[0]), nullptr,
         nullptr},
        {d_ctext_proc, w / 2, 8 + th, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[1]),
         nullptr, nullptr},
        {d_ctext_proc, w / 2, 8 + 2 * th, 0, th, 0, 0, 0, 0, 0, 0, const_cast<char *>(lines[2]),
         nullptr, nullptr},
        {d_button_proc, w / 2 - 8 - bw, h - 8 - bh, bw, bh, 0, 0, c1, D_EXIT, 0, 0,
         const_cast<char *>(b1), nullptr, nullptr},
        {d_button_proc, w / 2 + 8, h - 8 - bh, bw, bh, 0, 0, c2, D_EXIT, 0, 0,
         const_cast<char *>(b2), nullptr, nullptr},
        {d_yield_proc, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
        {nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr},
    };
    set_dialog_color(box, gui_fg_color, gui_bg_color);
    centre_dialog(box);
    // Escape (and the close button) close the box with no button: the safe answer.
    return popup_dialog(box, second_button) == first_button ? 1 : 2;
}

std::string fit_path(const char *path, int max_width, const FONT *f)
{
    std::string whole = path;
    if (text_length(f, whole.c_str()) <= max_width)
        return whole;
    for (size_t cut = 1; cut < whole.size(); cut++) {
        std::string tail = "..." + whole.substr(cut);
        if (text_length(f, tail.c_str()) <= max_width)
            return tail;
    }
    return "...";
}
