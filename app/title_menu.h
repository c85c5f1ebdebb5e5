// The title screen with its two items, "Start" and "Exit", chosen by the pointer's height.
#pragma once

#include <allegro.h>

// The two items, by index.
enum MenuChoice : int { menu_start = 0, menu_exit = 1 };

struct TitleMenu {
    static constexpr int first_item_top = 180;
    static constexpr const char *items[2] = {"Start", "Exit"};

    int line_height;      // distance between the tops of the two items
    int hovered = -1;     // band under the pointer; an item only when 0 or 1
    int last_shown = -1;  // band that was hovered at the last copy to the screen
    bool shown = false;   // the screen has been copied at least once
    int choice = -1;      // 0 Start, 1 Exit; negative while the menu runs

    TitleMenu();
    // The title picture with the items, the hovered one highlighted.
    void compose(BITMAP *target) const;
    // One pass: recompose the menu, show it if the hovered band changed, read the input.
    void pass();
};

// Runs the menu until a choice is made: menu_start, or menu_exit (also Escape and the
// window's close button).
int title_menu();
