// Mouse, keyboard and the window's close button, as the screens read them: the one place that
// knows how the library delivers input.
//
// The library takes in X events on a thread of its own, in batches about 10 ms apart, and
// keeps only the current state in mouse_b and key[]. A press released within one batch (a
// touchpad tap, a quick finger) comes and goes between two passes of a polling loop and is
// never seen there. Its callbacks see every press, so they are recorded here, and each pass
// of a screen takes one sample in which such a press reads as down on exactly one pass, at
// the position where it happened and with the modifiers held as it went down (Control
// pressed in one batch and let go in the next, with the letter's whole tap, still counts).
//
// Where no callback runs (the unit tests, which install no input drivers and write the
// globals themselves), a sample is just the globals.
#pragma once

#include <allegro.h>

// The modifiers a key press was made with, as bits.
namespace modifier {
constexpr int ctrl = 1;   // either Control
constexpr int shift = 2;  // either Shift
constexpr int alt = 4;    // Alt or AltGr
// Marks a key's entry of InputState::press_modifiers as recorded with its press.
constexpr int recorded = 0x80;
}  // namespace modifier

// What one pass of a screen sees of the input.
struct InputState {
    int mouse_x = 0;  // the pointer; for a press taken in by this sample, where it went down
    int mouse_y = 0;
    int mouse_b = 0;  // buttons down (bit 0 left, 1 right, 2 middle): held now, or pressed
                      // since the previous sample even if already let go
    bool keys[KEY_MAX] = {};     // the same for each key, by scancode
    // For a key down whose press the callbacks recorded: the modifiers held when it went
    // down, with modifier::recorded set. A modifier let go before the sample that takes in
    // the key's press still counts with it.
    unsigned char press_modifiers[KEY_MAX] = {};
    bool close_requested = false;  // the window's close button was used and not yet forgotten

    bool key(int scancode) const { return keys[scancode]; }
    // The modifiers of the key's press: as recorded with it, or where nothing recorded it (no
    // callback ran, as in the unit tests, or not yet) those shown down in this sample.
    int modifiers(int scancode) const
    {
        const int recorded = press_modifiers[scancode];
        return recorded & modifier::recorded ? recorded & ~modifier::recorded : modifiers_down();
    }
    // Control, Shift and Alt as this sample shows them down.
    int modifiers_down() const
    {
        return (key(KEY_LCONTROL) || key(KEY_RCONTROL) ? modifier::ctrl : 0) |
               (key(KEY_LSHIFT) || key(KEY_RSHIFT) ? modifier::shift : 0) |
               (key(KEY_ALT) || key(KEY_ALTGR) ? modifier::alt : 0);
    }
};

// Turns a held key or button into one press: true on the first pass that sees it down after
// a pass that saw it up.
class Latch {
public:
    bool pressed(bool down)
    {
        const bool first = down && !held_;
        held_ = down;
        return first;
    }
    // Marks a key or button held now as already used, so that it counts again only after it
    // has been let go (a press made in a dialog must not act again when it closes).
    void hold(bool down) { held_ = down; }

private:
    bool held_ = false;
};

// Hooks the library's mouse, keyboard and close-button callbacks. Call after install_keyboard
// and install_mouse.
void install_input();

// While one lives, the library's own dialogs (the file selector, message boxes) read the mouse
// through this module too, so that a quick click reaches their buttons, and a close request
// closes them as Escape does. Presses made before it are not theirs. In a window enlarged by a
// factor they are enlarged as well (display_scale.h).
class DialogInput {
public:
    DialogInput();
    ~DialogInput();
    DialogInput(const DialogInput &) = delete;
    DialogInput &operator=(const DialogInput &) = delete;

private:
    int (*saved_b_)();
    int (*saved_x_)();
    int (*saved_y_)();
};

// The input for one pass. Takes in every press recorded since the previous sample. Under
// TILESTACK_IDLE=wait it first rests until the next input event (app/idle.h).
InputState sample_input();

// Forgets every press not yet taken in, keeping what is held down now, which it returns (a
// modal screen that used them has closed, or a pause in which no input is read is over).
InputState discard_pending_input();

// Puts the pointer at (x, y) of the screen: through the mouse driver when there is one (the
// real pointer moves), else by writing the library's globals, as scripted input does.
void move_pointer(int x, int y);

// Spins until no mouse button is down, so that a button still held from one screen does not
// reach the next as a click.
void wait_until_buttons_up();

// The close button was used: on every screen it ends the program (in the editor, after the
// question about unsaved changes). It stays requested until forgotten.
bool close_requested();
// Whether the game's window has the keyboard focus, as far as the library can tell: always
// true where it cannot.
bool window_has_focus();
void forget_close_request();
