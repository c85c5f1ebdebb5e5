// The editor's screen: its state from entry to leaving, one pass of its loop, the frame it
// draws and the mouse strokes that change the layout. Its keys, its dialogs and its long work
// are in editor_keys.cpp, editor_dialogs.cpp and editor_jobs.cpp.
#include "editor/editor.h"

#include <cstring>

#include "app/display_scale.h"
#include "app/resources.h"
#include "app/window_title.h"
#include "board/editing.h"
#include "play/game.h"
#include "render/legacy_text.h"

namespace {

// Where the text lines below the status and help lines go, one under the other.
constexpr int first_extra_line_y = 45;
constexpr int line_spacing = 20;

bool same_cells(const Layout &a, const Layout &b)
{
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0;
}

}  // namespace

Editor::Editor()
    : select_file(file_select_ex),
      ask(alert_second_default),
      play(play_game),
      origin(geometry::board_origin(frame_width, frame_height)),
      card(card_lines(editor_key_rows()), font)
{
    clear_bitmap(resources.buffer);
    layout.clear();
    stored.clear();
    path[0] = '\0';
}

bool Editor::has_unsaved_changes() const { return !same_cells(layout, stored); }

void Editor::pass()
{
    const InputState in = sample_input();
    if (stage == Stage::working) {
        keep_working(in);
        return;
    }
    // The window's close button leaves as Escape does, from whatever the editor was doing.
    if (in.close_requested && stage != Stage::left) {
        leave_or_stay();
        return;
    }
    switch (stage) {
    case Stage::editing:
        // The card of keys, while shown, takes the whole pass; it opens over a frame only.
        if (frame_shown && card.pass(in))
            break;
        edit(in);
        break;
    case Stage::releasing_p:
        if (!keys.down(in, EditorKey::play))
            trial_play();
        break;
    case Stage::releasing_escape:
        if (!keys.down(in, EditorKey::leave))
            leave_or_stay();
        break;
    case Stage::working:
    case Stage::left:
        break;
    }
}

// One pass of editing: the frame if one is due, the stroke, then the keys. Leaving and trial
// play act once their key is let go, so that its press reaches nothing after them.
void Editor::edit(const InputState &in)
{
    const KeyPresses<EditorKey> pressed = keys.read(in);
    if (pressed.has(EditorKey::leave)) {
        stage = Stage::releasing_escape;
        return;
    }
    if (needs_redraw)
        show_frame();
    handle_stroke(in);
    read_layer_keys(pressed);
    if (!(in.mouse_b & 1))
        step_history(pressed);  // not in the middle of a stroke
    if (pressed.has(EditorKey::save))
        save_dialog();
    else if (pressed.has(EditorKey::load))
        load_dialog();
    else if (pressed.has(EditorKey::play))
        stage = Stage::releasing_p;
    else
        read_work_keys(pressed);
}

// ---------------------------------------------------------------------------------------------
// Drawing

// The layers up to the current one as blank faces, the placement frames of the current layer,
// the status and help lines; then the whole frame to the screen in one copy.
void Editor::show_frame()
{
    BITMAP *buffer = resources.buffer;
    blit(resources.background_image, buffer, 0, 0, 0, 0, resources.background_image->w,
         resources.background_image->h);
    draw_layers();
    needs_redraw = false;
    frame_shown = true;

    scare_mouse();
    LEGACY_TEXT(textprintf(buffer, font, 5, 5, own_colours(font), editor_status_format,
                           current_layer, layout.count));
    LEGACY_TEXT(textprintf(buffer, font, 5, 25, own_colours(font),
                           "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play"));
    int y = first_extra_line_y;
    if (mirrored) {
        LEGACY_TEXT(textprintf(buffer, font, 5, y, own_colours(font),
                               "Mirror on: strokes also act on column 11 - x (M: off)"));
        y += line_spacing;
    }
    progress_shown = job ? job->progress_line(worker.progress(), worker.cancelled()) : "";
    if (!progress_shown.empty()) {
        LEGACY_TEXT(textprintf(buffer, font, 5, y, own_colours(font), "%s",
                               progress_shown.c_str()));
    }
    copy_to_screen(buffer);
    unscare_mouse();
    show_title();
}

// The window's title follows the file, the unsaved changes and the count. It is made with
// every frame and after a save, and handed to the window only when it differs from the title
// shown there (so also after a trial game, which leaves the game's title).
void Editor::show_title()
{
    show_window_title(
        window_title_text("editor", editor_title_notes(file_name, has_unsaved_changes(), layout.count)));
}

std::vector<std::string> editor_title_notes(const std::string &file_name, bool unsaved,
                                            int count)
{
    std::vector<std::string> notes;
    notes.push_back((unsaved ? "*" : "") + (file_name.empty() ? "new layout" : file_name));
    notes.push_back(std::to_string(count) + (count == 1 ? " piece" : " pieces"));
    if (count % 2 != 0)
        notes.push_back("odd: can never be cleared");
    return notes;
}

void Editor::draw_layers()
{
    BITMAP *buffer = resources.buffer;
    for (int z = 0; z <= current_layer; z++) {
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                geometry::Point p = geometry::cell_corner(origin, x, y, z);
                if (layout.get(x, y, z) != 0)
                    draw_sprite(buffer, resources.piece_image, p.x, p.y);
                if (z == current_layer && layout.is_supported(x, y, z)) {
                    // Both corners of rect are inclusive: the outer line reaches into the
                    // neighbours, which draw over it.
                    const int w = geometry::cell_width, h = geometry::cell_height;
                    rect(buffer, p.x, p.y, p.x + w, p.y + h, makecol(0, 128, 0));
                    rect(buffer, p.x + 1, p.y + 1, p.x + w - 1, p.y + h - 1, makecol(0, 128, 0));
                }
            }
        // Dim everything below the current layer: black on every even column and row leaves
        // a quarter of the pixels showing.
        if (z == current_layer - 1) {
            for (int x = 0; x < frame_width; x += 2)
                vline(buffer, x, 0, frame_height, 0);
            for (int y = 0; y < frame_height; y += 2)
                hline(buffer, 0, y, frame_width, 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Mouse strokes

// A stroke places or removes according to the first cell of the grid it meets, and acts on a
// cell once each time the pointer enters it. Only the left button counts.
void Editor::handle_stroke(const InputState &in)
{
    if (!(in.mouse_b & 1)) {
        close_stroke();
        last_cell = {-1, -1};
        press_spent = false;
        return;
    }
    if (press_spent)
        return;
    if (!stroke_open) {
        stroke_before = layout;
        stroke_open = true;
    }

    const int z = current_layer;
    const geometry::Point cell = geometry::cell_under(origin, in.mouse_x, in.mouse_y, z);
    if (!geometry::inside_grid(cell))
        return;
    if (last_cell.x == -1 && last_cell.y == -1)
        stroke_value = layout.get(cell.x, cell.y, z) != 0 ? 0 : 1;
    if (cell.x == last_cell.x && cell.y == last_cell.y)
        return;

    last_cell = cell;
    if (stroke_cell(layout, cell.x, cell.y, z, stroke_value, mirrored))
        needs_redraw = true;
}

// A whole stroke, from press to release, is one step of the history.
void Editor::close_stroke()
{
    if (!stroke_open)
        return;
    stroke_open = false;
    history.record(stroke_before, layout);
}

void Editor::step_history(const KeyPresses<EditorKey> &pressed)
{
    if (pressed.has(EditorKey::undo) && history.undo(layout))
        needs_redraw = true;
    if (pressed.has(EditorKey::redo) && history.redo(layout))
        needs_redraw = true;
}

void edit_layouts()
{
    Editor editor;
    while (!editor.has_left())
        editor.pass();
}
