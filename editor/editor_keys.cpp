// The editor's keys: reading them into actions, one action a press, and forgetting the
// presses that were meant for a modal screen.
#include "editor/editor.h"

namespace {

constexpr int layer_keys[Layout::layers] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};

}  // namespace

const std::vector<const char *> &editor_key_lines()
{
    static const std::vector<const char *> lines = {
        "Press on an empty cell and drag: place pieces",
        "Press on a piece and drag: remove pieces",
        "1 to 6: the layer to edit",
        "S: save the layout        L: load a layout",
        "P: try the layout in a game",
        "Ctrl+Z or Backspace: take back the last change",
        "Ctrl+Y or Ctrl+Shift+Z: do it again",
        "M: mirrored strokes on or off",
        "R: rate the shape over 300 deals",
        "G: a new shape made to order",
        "I: improve the shape until 95% can be cleared",
        "Escape: leave the editor; while R, G or I runs, cancel it",
        "F2: show or hide these keys",
    };
    return lines;
}

// M, R, G and I: one action a press.
void Editor::read_work_keys(const InputState &in)
{
    if (mirror_key.pressed(in.key(KEY_M))) {
        mirrored = !mirrored;
        needs_redraw = true;
    }
    const bool rate = rate_key.pressed(in.key(KEY_R));
    const bool generate = generate_key.pressed(in.key(KEY_G));
    const bool improve = improve_key.pressed(in.key(KEY_I));
    if (rate)
        begin_work(EditorJob::Kind::rate);
    else if (generate)
        begin_work(EditorJob::Kind::generate);
    else if (improve)
        begin_work(EditorJob::Kind::improve);
}

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
    mirror_key.hold(held.key(KEY_M));
    rate_key.hold(held.key(KEY_R));
    generate_key.hold(held.key(KEY_G));
    improve_key.hold(held.key(KEY_I));
    history_keys.hold(held);
    close_stroke();
    press_spent = (held.mouse_b & 1) != 0;
    last_cell = {-1, -1};
    stage = Stage::editing;
}
