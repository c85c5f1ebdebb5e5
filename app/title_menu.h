// The title screen with its two items, "Start" and "Exit", chosen by the pointer's height.
#pragma once

#include <allegro.h>

#include "app/input.h"
#include "render/screen_look.h"

// The two items, by index.
enum MenuChoice : int { menu_start = 0, menu_exit = 1 };

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

    TitleMenu();
    // The title picture with the items, the hovered one highlighted.
    void compose(BITMAP *target) const;
    // One pass: Down and Up move the pointer onto the next item, then recompose the menu,
    // show it if the hovered band changed, read the buttons, Return and Escape.
    void pass();
};

// Runs the menu until a choice is made: menu_start, or menu_exit (also Escape and the
// window's close button).
int title_menu();
