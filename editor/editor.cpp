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
    switch (stage) {
    case Stage::editing:
        edit();
        break;
    case Stage::releasing_p:
        if (!key[KEY_P])
            trial_play();
        break;
    case Stage::releasing_escape:
        if (!key[KEY_ESC])
            leave_or_stay();
        break;
    case Stage::settling:
        if (key[KEY_ESC] || key[KEY_P]) {
            if (needs_redraw)
                show_frame();
            break;
        }
        stage = Stage::editing;
        edit();
        break;
    case Stage::left:
        break;
    }
}

void Editor::edit()
{
    if (key[KEY_ESC]) {
        stage = Stage::releasing_escape;
        return;
    }
    if (needs_redraw)
        show_frame();
    handle_stroke();

    int previous_layer = current_layer;
    read_layer_keys();
    read_file_keys();
    // A dialog that just closed has put the editor into settling; P waits for that.
    if (stage == Stage::editing && key[KEY_P])
        stage = Stage::releasing_p;
    if (current_layer != previous_layer)
        needs_redraw = true;
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
    LEGACY_TEXT(textprintf(buffer, font, 5, 5, -1, "z: %8i   count: %4i", current_layer,
                           layout.count));
    LEGACY_TEXT(textprintf(buffer, font, 5, 25, -1,
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
                    rect(buffer, p.x, p.y, p.x + 50, p.y + 35, makecol(0, 128, 0));
                    rect(buffer, p.x + 1, p.y + 1, p.x + 49, p.y + 34, makecol(0, 128, 0));
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
void Editor::handle_stroke()
{
    if (!(mouse_b & 1)) {
        last_cell = {-1, -1};
        press_spent = false;
        return;
    }
    if (press_spent)
        return;

    const int z = current_layer;
    const geometry::Point cell = geometry::cell_under(origin, mouse_x, mouse_y, z);
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

void Editor::read_layer_keys()
{
    for (int z = 0; z < Layout::layers; z++)
        if (key[layer_keys[z]]) {
            current_layer = z;
            return;
        }
}

void Editor::read_file_keys()
{
    if (key[KEY_S]) {
        if (!save_latch) {
            save_dialog();
            save_latch = true;
        }
    } else {
        save_latch = false;
    }

    if (key[KEY_L]) {
        if (!load_latch) {
            load_dialog();
            load_latch = true;
        }
    } else {
        load_latch = false;
    }
}

void Editor::save_dialog()
{
    std::strcpy(path, ".");
    clear_keybuf();  // keys pressed in the editor must not be typed into the selector
    int chosen = select_file("Save layout", path, "LYT", path_size, 500, 350);
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
    std::strcpy(path, ".");
    clear_keybuf();
    int chosen = select_file("Load layout", path, "LYT", path_size, 500, 350);
    after_modal();
    if (chosen == 0)
        return;
    if (layout.load(path))
        stored = layout;
    else
        tell("Could not load a layout from", "(missing, unreadable or shorter than 504 bytes)");
    needs_redraw = true;
}

// A message box naming the file in the path buffer, closed with its one button.
void Editor::tell(const char *what, const char *why)
{
    std::string name = fit_path(path, message_width, font);
    clear_keybuf();
    ask(what, name.c_str(), why, "OK", nullptr, 0, 0);
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
    clear_keybuf();
    int answer = ask("The layout has changes that are not saved.",
                     "Leave the editor without saving them?", nullptr, "&Leave", "&Stay", 'l',
                     's');
    if (answer == 1) {
        stage = Stage::left;
        return;
    }
    needs_redraw = true;
    after_modal();
}

// A key or button still held when a modal screen returns was pressed for that screen: it
// must not act again here. S and L are latched, a held press makes no stroke until it is
// released, and Escape and P are waited out.
void Editor::after_modal()
{
    save_latch = key[KEY_S] != 0;
    load_latch = key[KEY_L] != 0;
    press_spent = (mouse_b & 1) != 0;
    last_cell = {-1, -1};
    stage = Stage::settling;
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
    while (!editor.has_left()) {
        // Where the platform delivers input only when asked, ask on every pass.
        if (keyboard_needs_poll())
            poll_keyboard();
        if (mouse_needs_poll())
            poll_mouse();
        editor.pass();
    }
}
