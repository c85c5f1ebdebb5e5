// The title screen with its two items, "Start" and "Exit", chosen by the pointer's height.
#pragma once

#include <allegro.h>

#include "app/input.h"
#include "app/key_card.h"
#include "play/kept_game.h"
#include "render/screen_look.h"

// The two items, by index, and the last game brought back by Ctrl+Z or Backspace.
enum MenuChoice : int { menu_start = 0, menu_exit = 1, menu_last_game = 2 };

struct TitleMenu {
    static constexpr int first_item_top = title_first_item_top;

    int line_height;      // distance between the tops of the two items
    int hovered = -1;     // band under the pointer; an item only when 0 or 1
    int last_shown = -1;  // band that was hovered at the last copy to the screen
    bool shown = false;   // the screen has been copied at least once
    int choice = -1;      // 0 Start, 1 Exit; negative while the menu runs
    Latch down_latch;     // Down, Up and Return act once a press
    Latch up_latch;
    Latch return_latch;
    bool keys_seen = false;  // the first pass has marked the keys held at the start as used
    LastGame *last_game;     // what Ctrl+Z and Backspace bring back, or nullptr for nothing
    HistoryKeys back_keys;   // Ctrl+Z and Backspace
    KeyCard card;            // F2: every key of the title screen

    explicit TitleMenu(LastGame *last_game = nullptr);
    // The title picture with the items, the hovered one highlighted.
    void compose(BITMAP *target) const;
    // One pass: Down and Up move the pointer onto the next item, then recompose the menu,
    // show it if the hovered band changed, read the buttons, Return, Escape, Ctrl+Z and
    // Backspace. While the card of keys is shown it takes the pass.
    void pass();
    // Sets the window's title, which names the last game while one is kept.
    void show_title() const;
};

// Runs the menu until a choice is made: menu_start, menu_exit (also Escape and the window's
// close button), or menu_last_game once `last_game` has a game ready.
int title_menu(LastGame *last_game = nullptr);
