// The card of keys that F2 lays over a screen: every key of that screen, one line each. While
// it is shown it takes every pass of its screen, so no other key or click acts; F2 or Escape
// closes it and gives back the screen's own pixels.
#pragma once

#include <allegro.h>

#include <vector>

#include "app/input.h"

class KeyCard {
public:
    // `lines` must outlive the card; `font` draws them.
    KeyCard(const std::vector<const char *> &lines, FONT *font) : lines_(lines), font_(font) {}
    ~KeyCard();
    KeyCard(const KeyCard &) = delete;
    KeyCard &operator=(const KeyCard &) = delete;

    // Called first in each pass of the screen, whose back buffer holds what the screen shows.
    // True when the pass belongs to the card: F2 opened it, it is shown, or it was closed and
    // a key or button of that moment is still down. The screen goes on with its pass when
    // this is false; once the card let go, the screen should take the keys held then as used.
    // The window's close button closes the card and leaves the request to the screen.
    bool pass(const InputState &in);
    // The card let go of the screen in the last pass: the screen marks held keys as used.
    bool just_closed() const { return just_closed_; }
    bool shown() const { return stage_ == Stage::shown; }

    // Draws the card over `target`.
    void draw(BITMAP *target) const;

private:
    enum class Stage { hidden, shown, releasing };
    void close();

    std::vector<const char *> lines_;
    FONT *font_;
    Stage stage_ = Stage::hidden;
    Latch f2_latch_;
    Latch escape_latch_;
    BITMAP *saved_ = nullptr;  // the screen's back buffer as it was before the card
    bool just_closed_ = false;
};
