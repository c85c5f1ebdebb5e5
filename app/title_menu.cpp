#include "app/title_menu.h"

#include "app/display_scale.h"
#include "app/input.h"
#include "app/resources.h"
#include "app/window_title.h"
#include "board/geometry.h"
#include "render/game_frame.h"

namespace {

// Every key of the title screen, for the card F2 shows.
const std::vector<const char *> title_keys = {
    "Click an item: choose it",
    "Down, Up: the pointer onto the next item",
    "Return: choose the item under the pointer",
    "Ctrl+Z or Backspace: the last game back",
    "Escape: leave",
    "F2: show or hide these keys",
};

}  // namespace

TitleMenu::TitleMenu(LastGame *last)
    : last_game(last), card(title_keys, resources.game_font)
{
    line_height = title_menu_line_height();
}

void TitleMenu::show_title() const
{
    if (last_game && last_game->known())
        show_window_title(window_title_text("title", {"Ctrl+Z: last game"}));
    else
        show_window_title(window_title_text("title"));
}

void TitleMenu::compose(BITMAP *target) const
{
    compose_title_menu(target, hovered, line_height);
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
        return_latch.hold(in.key(KEY_ENTER) || in.key(KEY_ENTER_PAD));
        back_keys.hold(in);
    }
    const bool back = back_keys.read(in) == HistoryStep::undo;
    // Down and Up put the pointer on the middle of the next item below or above, so that
    // the menu's own rule, the item under the pointer, still decides. The menu wraps, and with
    // the pointer on neither item (above or below the menu) Down goes to "Start" and
    // Up to "Exit": a key always lands on an item, which Return then chooses.
    const int band = geometry::floor_div(in.mouse_y - first_item_top, line_height);
    int target = band;
    if (down_latch.pressed(in.key(KEY_DOWN)))
        target = band == menu_start ? menu_exit : menu_start;
    if (up_latch.pressed(in.key(KEY_UP)))
        target = band == menu_exit ? menu_start : menu_exit;
    if (target != band) {
        in.mouse_y = first_item_top + target * line_height + line_height / 2;
        move_pointer(in.mouse_x, in.mouse_y);
    }
    // Only the height of the pointer matters; every row above the first item is band -1 or less.
    hovered = geometry::floor_div(in.mouse_y - first_item_top, line_height);
    compose(buffer);

    if (!shown || hovered != last_shown) {
        shown = true;
        last_shown = hovered;
        scare_mouse();
        copy_to_screen(buffer);
        unscare_mouse();
    }

    if (in.mouse_b != 0 && (hovered == 0 || hovered == 1))
        choice = hovered;
    const bool return_pressed = return_latch.pressed(in.key(KEY_ENTER) || in.key(KEY_ENTER_PAD));
    if (return_pressed && (hovered == 0 || hovered == 1))
        choice = hovered;
    if (back && last_game) {
        if (last_game->bring_back(symbols_in_strip(resources.symbol_strip->w)))
            choice = menu_last_game;
        else
            show_title();  // a file that could not be read is no longer offered
    }
    if (in.key(KEY_ESC) || in.close_requested)
        choice = menu_exit;
}

int title_menu(LastGame *last_game)
{
    TitleMenu menu(last_game);
    menu.show_title();
    while (menu.choice < 0)
        menu.pass();
    return menu.choice;
}
