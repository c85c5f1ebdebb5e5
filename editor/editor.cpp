#include "editor/editor.h"

#include <cstring>

#include "app/resources.h"
#include "play/game.h"
#include "render/legacy_text.h"

namespace {

constexpr int layer_keys[Layout::layers] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};

// Widest line a message box may hold, in pixels, with room for its border on a 640 screen.
constexpr int message_width = 560;

bool same_cells(const Layout &a, const Layout &b)
{
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0;
}

}  // namespace

Editor::Editor()
    : select_file(file_select_ex),
      ask(alert),
      play(play_game),
      origin(geometry::board_origin(SCREEN_W, SCREEN_H))
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
    // The window's close button leaves as Escape does, from whatever the editor was doing.
    if (in.close_requested && stage != Stage::left) {
        leave_or_stay();
        return;
    }
    switch (stage) {
    case Stage::editing:
        edit(in);
        break;
    case Stage::releasing_p:
        if (!in.key(KEY_P))
            trial_play();
        break;
    case Stage::releasing_escape:
        if (!in.key(KEY_ESC))
            leave_or_stay();
        break;
    case Stage::left:
        break;
    }
}

// One pass of editing: the frame if one is due, the stroke, then the keys. Escape and P act
// once they are let go, so that their press reaches nothing after them.
void Editor::edit(const InputState &in)
{
    if (escape_key.pressed(in.key(KEY_ESC))) {
        stage = Stage::releasing_escape;
        return;
    }
    if (needs_redraw)
        show_frame();
    handle_stroke(in);
    read_layer_keys(in);
    if (save_key.pressed(in.key(KEY_S)))
        save_dialog();
    else if (load_key.pressed(in.key(KEY_L)))
        load_dialog();
    else if (play_key.pressed(in.key(KEY_P)))
        stage = Stage::releasing_p;
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

    scare_mouse();
    LEGACY_TEXT(textprintf(buffer, font, 5, 5, own_colours(font), editor_status_format,
                           current_layer, layout.count));
    LEGACY_TEXT(textprintf(buffer, font, 5, 25, own_colours(font),
                           "Keys: 1-7: Choose layer, L: Load Layout, S: Save Layout, P:Play"));
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
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
            for (int x = 0; x < SCREEN_W; x += 2)
                vline(buffer, x, 0, SCREEN_H, 0);
            for (int y = 0; y < SCREEN_H; y += 2)
                hline(buffer, 0, y, SCREEN_W, 0);
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
        last_cell = {-1, -1};
        press_spent = false;
        return;
    }
    if (press_spent)
        return;

    const int z = current_layer;
    const geometry::Point cell = geometry::cell_under(origin, in.mouse_x, in.mouse_y, z);
    if (!geometry::inside_grid(cell))
        return;
    if (last_cell.x == -1 && last_cell.y == -1)
        stroke_value = layout.get(cell.x, cell.y, z) != 0 ? 0 : 1;
    if (cell.x == last_cell.x && cell.y == last_cell.y)
        return;

    last_cell = cell;
    if (layout.get(cell.x, cell.y, z) == stroke_value || !layout.is_supported(cell.x, cell.y, z))
        return;
    layout.set(cell.x, cell.y, z, stroke_value);
    if (stroke_value == 0) {
        // Nothing may float: the whole stack above goes too, shown or not.
        for (int above = z + 1; above < Layout::layers; above++)
            layout.set(cell.x, cell.y, above, 0);
    }
    needs_redraw = true;
}

// ---------------------------------------------------------------------------------------------
// Keys

// The lowest layer key down chooses the layer.
void Editor::read_layer_keys(const InputState &in)
{
    for (int z = 0; z < Layout::layers; z++)
        if (in.key(layer_keys[z])) {
            needs_redraw = needs_redraw || z != current_layer;
            current_layer = z;
            return;
        }
}

// The file selector on the path buffer, which starts at the current folder every time.
int Editor::choose_file(const char *title)
{
    std::strcpy(path, ".");
    clear_keybuf();  // keys pressed in the editor must not be typed into the selector
    DialogInput dialog;
    return select_file(title, path, "LYT", path_size, 500, 350);
}

void Editor::save_dialog()
{
    int chosen = choose_file("Save layout");
    after_modal();
    if (chosen == 0)
        return;
    if (layout.save(path))
        stored = layout;
    else
        tell("Could not save the layout as", "(no file was changed)");
}

void Editor::load_dialog()
{
    int chosen = choose_file("Load layout");
    after_modal();
    if (chosen == 0)
        return;
    if (layout.load(path))
        stored = layout;
    else
        tell("Could not load a layout from", "(missing, unreadable or shorter than 504 bytes)");
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
    if (!has_unsaved_changes()) {
        stage = Stage::left;
        return;
    }
    // A close request is answered by this question: the close button used while it is open
    // closes it as Stay does.
    forget_close_request();
    int answer = message_box("The layout has changes that are not saved.",
                             "Leave the editor without saving them?", nullptr, "&Leave", "&Stay",
                             'l', 's');
    forget_close_request();
    if (answer == 1) {
        stage = Stage::left;
        return;
    }
    needs_redraw = true;
    after_modal();
}

// A key or button pressed in a modal screen was pressed for that screen: it must not act
// again here. Presses already let go are forgotten; a key still held counts again only once
// let go, and a held button makes no stroke until it is released.
void Editor::after_modal()
{
    const InputState held = discard_pending_input();
    escape_key.hold(held.key(KEY_ESC));
    save_key.hold(held.key(KEY_S));
    load_key.hold(held.key(KEY_L));
    play_key.hold(held.key(KEY_P));
    press_spent = (held.mouse_b & 1) != 0;
    last_cell = {-1, -1};
    stage = Stage::editing;
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

void edit_layouts()
{
    Editor editor;
    while (!editor.has_left())
        editor.pass();
}
