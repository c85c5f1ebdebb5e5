// The title screen: its items "Start" and "Exit", chosen by the pointer's height, and the last
// game, which a key brings back.
#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "app/input.h"
#include "app/key_card.h"
#include "app/key_table.h"
#include "play/gallery.h"
#include "play/kept_game.h"
#include "render/screen_look.h"

// What the title menu returns: the items by index, and the last game brought back.
enum MenuChoice : int { menu_start = 0, menu_exit = 1, menu_last_game = 2 };

// What the keys of the title screen do.
enum class TitleKey {
    click,   // the mouse: the item under the pointer
    down,    // the pointer onto the next item below
    up,      // the pointer onto the next item above
    choose,  // the item under the pointer
    back,    // the last game
    board_back,  // the board before the chosen one in the gallery
    board_on,    // the board after it
    leave,   // as "Exit"
};
const std::vector<KeyRow<TitleKey>> &title_key_rows();

struct TitleMenu {
    static constexpr int first_item_top = title_first_item_top;

    int line_height;      // distance between the tops of the two items
    int hovered = -1;     // band under the pointer; an item only when 0 or 1
    int last_shown = -1;  // band that was hovered at the last copy to the screen
    bool shown = false;   // the screen has been copied at least once
    int choice = -1;      // a MenuChoice; negative while the menu runs
    KeyTable<TitleKey> keys{title_key_rows()};
    bool keys_seen = false;  // the first pass has marked the keys held at the start as used
    LastGame *last_game;     // what TitleKey::back brings back, or nullptr for nothing
    GalleryChoice *gallery;  // the board "Start" deals, or nullptr for one of the three
    bool choice_changed = false;  // the board shown changed: the screen is copied again
    bool start_refused = false;   // "Start" was refused and the button is still down
    std::string note;             // what the window's title says of the game that ended
    KeyCard card;            // F2: every key of the title screen

    explicit TitleMenu(LastGame *last_game = nullptr, GalleryChoice *gallery = nullptr);
    // The title picture with the items, the hovered one highlighted.
    void compose(BITMAP *target) const;
    // One pass: Down and Up move the pointer onto the next item, then recompose the menu,
    // show it if the hovered band changed, read the buttons and the other keys. While the card
    // of keys is shown it takes the pass.
    void pass();
    // Sets the window's title, which names the board chosen once Left or Right chose one, and
    // the last game while one is kept.
    void show_title() const;

private:
    // Takes the item as the choice, but "Start" only for a board that can be played.
    void choose(int item);
};

// Runs the menu until a choice is made: menu_start, menu_exit (also TitleKey::leave and the
// window's close button), or menu_last_game once `last_game` has a game ready. "Start" is
// refused while the board chosen in `gallery` cannot be played.
// `note` goes into the window's title (the time of a clear).
int title_menu(LastGame *last_game = nullptr, GalleryChoice *gallery = nullptr,
               const std::string &note = "");
