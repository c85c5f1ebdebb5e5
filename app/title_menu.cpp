#include "app/title_menu.h"

#include "app/display_scale.h"
#include "app/input.h"
#include "app/resources.h"
#include "app/window_title.h"
#include "board/geometry.h"
#include "render/game_frame.h"

const std::vector<KeyRow<TitleKey>> &title_key_rows()
{
    using modifier::ctrl;
    using modifier::shift;
    static const std::vector<KeyRow<TitleKey>> rows = {
        {TitleKey::click, KeyKind::mouse, {}, 0, 0, "Click an item: choose it"},
        {TitleKey::down, KeyKind::press, {KEY_DOWN}, 0, 0,
         "Down, Up: the pointer onto the next item"},
        {TitleKey::up, KeyKind::press, {KEY_UP}, 0, 0, ""},
        {TitleKey::choose, KeyKind::press, {KEY_ENTER, KEY_ENTER_PAD}, 0, 0,
         "Return: choose the item under the pointer"},
        {TitleKey::board_back, KeyKind::press, {KEY_LEFT}, 0, 0,
         "Left, Right: choose the board Start deals"},
        {TitleKey::board_on, KeyKind::press, {KEY_RIGHT}, 0, 0, ""},
        {TitleKey::back, KeyKind::press, {KEY_Z}, ctrl, shift,
         "Ctrl+Z or Backspace: the last game back"},
        {TitleKey::back, KeyKind::press, {KEY_BACKSPACE}, 0, 0, ""},
        {TitleKey::leave, KeyKind::level, {KEY_ESC}, 0, 0, "Escape: leave"},
    };
    return rows;
}

TitleMenu::TitleMenu(LastGame *last, GalleryChoice *boards)
    : last_game(last), gallery(boards), card(card_lines(title_key_rows()), resources.game_font)
{
    line_height = title_menu_line_height();
}

void TitleMenu::show_title() const
{
    std::vector<std::string> notes;
    if (!note.empty())
        notes.push_back(note);
    if (gallery && gallery->stepped())
        notes.push_back("board: " + gallery->board().name);
    if (last_game && last_game->known())
        notes.push_back("Ctrl+Z: last game");
    show_window_title(window_title_text("title", notes));
}

void TitleMenu::compose(BITMAP *target) const
{
    // Until a board is chosen the title is as it always was.
    if (!gallery || !gallery->stepped()) {
        compose_title_menu(target, hovered, line_height);
        return;
    }
    const GalleryBoard &board = gallery->board();
    compose_title_menu(target, hovered, line_height, board.name.c_str(),
                       board.fault.empty() ? nullptr : board.fault.c_str());
}

void TitleMenu::choose(int item)
{
    if (item == menu_start && gallery && !gallery->playable()) {
        choice_changed = true;  // the reason shows, and nothing starts
        start_refused = true;
        show_title();
        return;
    }
    choice = item;
}

void TitleMenu::pass()
{
    InputState in = sample_input();
    BITMAP *buffer = resources.buffer;
    if (shown && card.pass(in))
        return;  // the card of keys is shown over the menu: no other key or click acts
    if (!keys_seen) {
        // A Return or Backspace still held from the game that just ended must not choose.
        keys_seen = true;
        keys.hold(in);
    }
    const KeyPresses<TitleKey> pressed = keys.read(in);
    // Down and Up put the pointer on the middle of the next item below or above, so that
    // the menu's own rule, the item under the pointer, still decides. The menu wraps, and with
    // the pointer on neither item (above or below the menu) Down goes to "Start" and
    // Up to "Exit": a key always lands on an item, which Return then chooses.
    const int band = geometry::floor_div(in.mouse_y - first_item_top, line_height);
    int target = band;
    if (pressed.has(TitleKey::down))
        target = band == menu_start ? menu_exit : menu_start;
    if (pressed.has(TitleKey::up))
        target = band == menu_exit ? menu_start : menu_exit;
    if (target != band) {
        in.mouse_y = first_item_top + target * line_height + line_height / 2;
        move_pointer(in.mouse_x, in.mouse_y);
    }
    // Only the height of the pointer matters; every row above the first item is band -1 or less.
    hovered = geometry::floor_div(in.mouse_y - first_item_top, line_height);
    if (gallery && (pressed.has(TitleKey::board_back) || pressed.has(TitleKey::board_on))) {
        gallery->step(pressed.has(TitleKey::board_on) ? 1 : -1);
        choice_changed = true;
        show_title();
    }
    compose(buffer);

    if (!shown || hovered != last_shown || choice_changed) {
        shown = true;
        choice_changed = false;
        last_shown = hovered;
        scare_mouse();
        copy_to_screen(buffer);
        unscare_mouse();
    }

    // A board refused once is not looked at again while the button that asked stays down.
    if (in.mouse_b == 0)
        start_refused = false;
    else if ((hovered == 0 || hovered == 1) && !(hovered == menu_start && start_refused))
        choose(hovered);
    if (pressed.has(TitleKey::choose) && (hovered == 0 || hovered == 1))
        choose(hovered);
    if (pressed.has(TitleKey::back) && last_game) {
        if (last_game->bring_back(symbols_in_strip(resources.symbol_strip->w)))
            choice = menu_last_game;
        else
            show_title();  // a file that could not be read is no longer offered
    }
    if (pressed.has(TitleKey::leave) || in.close_requested)
        choice = menu_exit;
}

int title_menu(LastGame *last_game, GalleryChoice *gallery, const std::string &note)
{
    TitleMenu menu(last_game, gallery);
    menu.note = note;
    menu.show_title();
    while (menu.choice < 0)
        menu.pass();
    return menu.choice;
}
