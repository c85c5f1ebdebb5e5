// The editor's keys: its table, reading it into actions, one action a press, and forgetting
// the presses that were meant for a modal screen.
#include "editor/editor.h"

#include <cstdio>
#include <string>

namespace {

EditorKey layer_key(int z) { return static_cast<EditorKey>(static_cast<int>(EditorKey::layer_0) + z); }

}  // namespace

std::string percent_text(double percent)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", percent);
    return text;
}

const std::vector<KeyRow<EditorKey>> &editor_key_rows()
{
    using modifier::ctrl;
    using modifier::shift;
    static_assert(static_cast<int>(EditorKey::layer_5) - static_cast<int>(EditorKey::layer_0) ==
                      Layout::layers - 1,
                  "a layer key for each layer");
    static const std::vector<KeyRow<EditorKey>> rows = {
        {EditorKey::stroke, KeyKind::mouse, {}, 0, 0,
         "Press on an empty cell and drag: place pieces"},
        {EditorKey::stroke, KeyKind::mouse, {}, 0, 0, "Press on a piece and drag: remove pieces"},
        // The layer keys are read as held, not as presses: the lowest number down wins.
        {EditorKey::layer_0, KeyKind::level, {KEY_1}, 0, 0, "1 to 6: the layer to edit"},
        {EditorKey::layer_1, KeyKind::level, {KEY_2}, 0, 0, ""},
        {EditorKey::layer_2, KeyKind::level, {KEY_3}, 0, 0, ""},
        {EditorKey::layer_3, KeyKind::level, {KEY_4}, 0, 0, ""},
        {EditorKey::layer_4, KeyKind::level, {KEY_5}, 0, 0, ""},
        {EditorKey::layer_5, KeyKind::level, {KEY_6}, 0, 0, ""},
        {EditorKey::save, KeyKind::press, {KEY_S}, 0, 0,
         "S: save the layout        L: load a layout"},
        {EditorKey::load, KeyKind::press, {KEY_L}, 0, 0, ""},
        {EditorKey::play, KeyKind::press, {KEY_P}, 0, 0, "P: try the layout in a game"},
        {EditorKey::undo, KeyKind::press, {KEY_Z}, ctrl, shift,
         "Ctrl+Z or Backspace: take back the last change"},
        {EditorKey::undo, KeyKind::press, {KEY_BACKSPACE}, 0, 0, ""},
        {EditorKey::redo, KeyKind::press, {KEY_Y}, ctrl, 0, "Ctrl+Y or Ctrl+Shift+Z: do it again"},
        {EditorKey::redo, KeyKind::press, {KEY_Z}, ctrl | shift, 0, ""},
        {EditorKey::mirror, KeyKind::press, {KEY_M}, 0, 0, "M: mirrored strokes on or off"},
        {EditorKey::rate, KeyKind::press, {KEY_R}, 0, 0,
         "R: rate the shape over " + std::to_string(editor_rating_deals) + " deals"},
        {EditorKey::generate, KeyKind::press, {KEY_G}, 0, 0, "G: a new shape made to order"},
        {EditorKey::improve, KeyKind::press, {KEY_I}, 0, 0,
         "I: improve the shape until " + percent_text(default_min_clear) + "% can be cleared"},
        {EditorKey::leave, KeyKind::press, {KEY_ESC}, 0, 0,
         "Escape: leave the editor; while R, G or I runs, cancel it"},
    };
    return rows;
}

// Mirroring, rating, generating and improving: one action a press.
void Editor::read_work_keys(const KeyPresses<EditorKey> &pressed)
{
    if (pressed.has(EditorKey::mirror)) {
        mirrored = !mirrored;
        needs_redraw = true;
    }
    if (pressed.has(EditorKey::rate))
        begin_work(EditorJob::Kind::rate);
    else if (pressed.has(EditorKey::generate))
        begin_work(EditorJob::Kind::generate);
    else if (pressed.has(EditorKey::improve))
        begin_work(EditorJob::Kind::improve);
}

// The lowest layer key down chooses the layer.
void Editor::read_layer_keys(const KeyPresses<EditorKey> &pressed)
{
    for (int z = 0; z < Layout::layers; z++)
        if (pressed.has(layer_key(z))) {
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
    keys.hold(held);
    close_stroke();
    press_spent = (held.mouse_b & 1) != 0;
    last_cell = {-1, -1};
    stage = Stage::editing;
}
