// The card of keys that F2 lays over a screen: every key of that screen, one line each. While
// it is shown it takes every pass of its screen, so no other key or click acts; F2 or Escape
// closes it and gives back the screen's own pixels.
#pragma once

#include <allegro.h>

#include <string>
#include <vector>

#include "app/input.h"
#include "app/key_table.h"

// The card's own keys, which work over every screen.
enum class CardKey { toggle, close };
const std::vector<KeyRow<CardKey>> &card_key_rows();

class KeyCard {
public:
    // The screen's lines (its table's, card_lines), followed by the card's own; `font` draws
    // them.
    KeyCard(std::vector<std::string> screen_lines, FONT *font);
    ~KeyCard();
    KeyCard(const KeyCard &) = delete;
    KeyCard &operator=(const KeyCard &) = delete;

    // Called first in each pass of the screen, whose back buffer holds what the screen shows.
    // True when the pass belongs to the card: F2 opened it, it is shown, or it was closed and
    // a key or button of that moment is still down. The screen goes on with its pass when
    // this is false; since the card lets go only once every key and button is up, nothing
    // pressed over it reaches the screen. The window's close button closes the card and leaves
    // the request to the screen.
    bool pass(const InputState &in);
    // Draws the card over `target`.
    void draw(BITMAP *target) const;

private:
    enum class Stage { hidden, shown, releasing };
    void close();

    std::vector<std::string> lines_;
    FONT *font_;
    Stage stage_ = Stage::hidden;
    KeyTable<CardKey> keys_{card_key_rows()};
    BITMAP *saved_ = nullptr;  // the screen's back buffer as it was before the card
};
