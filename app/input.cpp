#include "app/input.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "app/display_scale.h"
#include "app/idle.h"

namespace {

// ---- What the library's input thread records ------------------------------------------------

// One button or key: the number of times it went down or up. Odd while it is down. Written
// by the input thread alone; the key repeat of a held key is not a new press.
struct Switch {
    std::atomic<unsigned> changes{0};
};

constexpr int mouse_buttons = 3;  // left, right, middle: bits 0, 1 and 2 of mouse_b
constexpr int remembered_presses = 8;

struct Position {
    std::atomic<int> x{0}, y{0};
};

Switch buttons[mouse_buttons];
Position press_positions[mouse_buttons][remembered_presses];  // by press number
Switch keys[KEY_MAX];
std::atomic<unsigned char> press_modifiers[KEY_MAX][remembered_presses];  // by press number
std::atomic<unsigned> close_requests{0};
std::atomic<bool> focus_out{false};  // the library said the window lost the focus

// A press or release seen by the input thread; a press while already down is ignored.
void record(Switch &s, bool down)
{
    const unsigned n = s.changes.load(std::memory_order_relaxed);
    if ((n % 2 == 1) != down)
        s.changes.store(n + 1, std::memory_order_release);
}

// Called by the library on its input thread: only a few words are written here.
void on_mouse(int flags)
{
    static const int down_flags[mouse_buttons] = {MOUSE_FLAG_LEFT_DOWN, MOUSE_FLAG_RIGHT_DOWN,
                                                  MOUSE_FLAG_MIDDLE_DOWN};
    static const int up_flags[mouse_buttons] = {MOUSE_FLAG_LEFT_UP, MOUSE_FLAG_RIGHT_UP,
                                                MOUSE_FLAG_MIDDLE_UP};
    for (int b = 0; b < mouse_buttons; b++) {
        const unsigned n = buttons[b].changes.load(std::memory_order_relaxed);
        if ((flags & down_flags[b]) && n % 2 == 0) {
            Position &at = press_positions[b][n / 2 % remembered_presses];
            at.x.store(mouse_x, std::memory_order_relaxed);
            at.y.store(mouse_y, std::memory_order_relaxed);
        }
        if (flags & down_flags[b])
            record(buttons[b], true);
        if (flags & up_flags[b])
            record(buttons[b], false);
    }
    wake_resting_loop();
}
END_OF_STATIC_FUNCTION(on_mouse)

bool recorded_down(int scancode)
{
    return keys[scancode].changes.load(std::memory_order_relaxed) % 2 == 1;
}

// The modifiers are read from this thread's own records, so they are exactly those whose
// press came before the key's and whose release did not.
void on_key(int scancode)
{
    const int k = scancode & 0x7F;
    const bool down = (scancode & 0x80) == 0;
    if (k < KEY_MAX) {
        const unsigned n = keys[k].changes.load(std::memory_order_relaxed);
        if (down && n % 2 == 0) {
            const int held =
                (recorded_down(KEY_LCONTROL) || recorded_down(KEY_RCONTROL) ? modifier::ctrl : 0) |
                (recorded_down(KEY_LSHIFT) || recorded_down(KEY_RSHIFT) ? modifier::shift : 0) |
                (recorded_down(KEY_ALT) || recorded_down(KEY_ALTGR) ? modifier::alt : 0);
            press_modifiers[k][n / 2 % remembered_presses].store(
                static_cast<unsigned char>(held), std::memory_order_relaxed);
        }
        record(keys[k], down);
    }
    wake_resting_loop();
}
END_OF_STATIC_FUNCTION(on_key)

void on_close()
{
    close_requests.fetch_add(1, std::memory_order_release);
    wake_resting_loop();
}
END_OF_STATIC_FUNCTION(on_close)

void on_focus_out() { focus_out.store(true, std::memory_order_relaxed); }
void on_focus_in() { focus_out.store(false, std::memory_order_relaxed); }

// ---- What the screens have taken in ---------------------------------------------------------

// The main thread's reading of one Switch.
class SwitchReader {
public:
    // Whether the switch reads as down on this sample; `took_press` says that a press was
    // taken in, whose number is then `last_press`. `held` is the library's own state now.
    bool read(const Switch &s, bool held, bool &took_press)
    {
        const unsigned n = s.changes.load(std::memory_order_acquire);
        took_press = false;
        from_record_ = false;
        if (n != taken_ && shown_down_ && shown_before_counted_) {
            // The library sets its own state a moment before it calls the callback: the press
            // counted now is the one already shown.
            taken_ = n;
        } else if (n != taken_ && !shown_down_) {
            // A press (and maybe its release) since the last sample. Two presses between two
            // samples read as one: a pass is far shorter than the time between two presses
            // of a hand, so they can only be a bounce, or a double click that these screens
            // have no use for; taking each would select and let go of a piece in one go.
            taken_ = n;
            took_press = shown_down_ = from_record_ = true;
            shown_before_counted_ = false;
            return true;
        } else if (n != taken_) {
            if (taken_ % 2 == 1)
                taken_++;  // the release of the press shown down last time
            if (n != taken_) {
                // Let go and pressed again: it reads as up once, so the screen sees the new
                // press as a press and not as the old one still held.
                shown_down_ = false;
                return false;
            }
        }
        return show(held, n);
    }

    // Takes in everything recorded so far without reporting it as a press; true when the
    // switch is held down now.
    bool discard(const Switch &s, bool held)
    {
        taken_ = s.changes.load(std::memory_order_acquire);
        return show(held, taken_);
    }

    // The number of the last press taken in.
    unsigned last_press() const { return (taken_ - 1) / 2; }
    // The last read showed the switch down for a press recorded by the callbacks (that
    // press, last_press, taken in then or before and not yet let go).
    bool from_record() const { return from_record_; }

private:
    // Down when the library says it is held, or the changes taken in leave it down.
    bool show(bool held, unsigned changes)
    {
        shown_down_ = held || changes % 2 == 1;
        shown_before_counted_ = shown_down_ && changes % 2 == 0;
        from_record_ = changes % 2 == 1;
        return shown_down_;
    }

    unsigned taken_ = 0;  // changes taken in so far
    bool shown_down_ = false;
    bool shown_before_counted_ = false;  // shown down from the library's state alone
    bool from_record_ = false;
};

SwitchReader button_readers[mouse_buttons];
SwitchReader key_readers[KEY_MAX];
unsigned close_requests_forgotten = 0;

// Positions here are the screen's, as the library gives them; the screens get the frame's.
void sample_mouse(InputState &in)
{
    in.mouse_x = mouse_x;
    in.mouse_y = mouse_y;
    in.mouse_b = 0;
    bool placed = false;
    for (int b = 0; b < mouse_buttons; b++) {
        bool took_press;
        if (button_readers[b].read(buttons[b], (mouse_b >> b) & 1, took_press))
            in.mouse_b |= 1 << b;
        if (took_press && !placed) {
            const Position &at =
                press_positions[b][button_readers[b].last_press() % remembered_presses];
            in.mouse_x = at.x.load(std::memory_order_relaxed);
            in.mouse_y = at.y.load(std::memory_order_relaxed);
            placed = true;
        }
    }
}

void poll_if_needed()
{
    if (keyboard_needs_poll())
        poll_keyboard();
    if (mouse_needs_poll())
        poll_mouse();
}

// The pointer in the frame's coordinates, as every screen reads it.
InputState in_frame(InputState in)
{
    in.mouse_x = screen_to_frame(in.mouse_x);
    in.mouse_y = screen_to_frame(in.mouse_y);
    return in;
}

// ---- The library's dialogs ------------------------------------------------------------------

// The file selector and the message boxes run their own loops and read the mouse through
// these hooks while a DialogInput lives. In an enlarged window they draw into a frame that is
// shown enlarged like every frame, so they read the pointer where it lies in what they draw
// into (display_scale.h). A button of
// a dialog acts only if it sees the button down on more than one of its own reads, so a quick
// press reads as down there for a moment of real time, and for two reads at least however slow
// the dialog's loop is. A close request closes the dialog as Escape does, once per request.
//
// The library also asks these hooks from its own input thread (while it draws the pointer). Only
// the screen's loop samples: the input thread gets what the loop's last sample showed.
constexpr auto dialog_press_time = std::chrono::milliseconds(40);
InputState dialog_mouse;
std::chrono::steady_clock::time_point dialog_press_until;
int dialog_press_reads = 0;  // reads that have shown the last press down
unsigned close_requests_sent_to_dialogs = 0;
std::atomic<std::thread::id> dialog_loop_thread;
std::atomic<int> dialog_shown_b{0}, dialog_shown_x{0}, dialog_shown_y{0};

void show_to_dialogs(const InputState &in)
{
    dialog_shown_x.store(in.mouse_x, std::memory_order_relaxed);
    dialog_shown_y.store(in.mouse_y, std::memory_order_relaxed);
    dialog_shown_b.store(in.mouse_b, std::memory_order_release);
}

int dialog_mouse_b()
{
    if (std::this_thread::get_id() != dialog_loop_thread.load(std::memory_order_relaxed))
        return dialog_shown_b.load(std::memory_order_acquire);
    const unsigned requests = close_requests.load(std::memory_order_acquire);
    if (requests != close_requests_forgotten && requests != close_requests_sent_to_dialogs) {
        close_requests_sent_to_dialogs = requests;
        simulate_keypress((KEY_ESC << 8) | 27);
    }
    poll_if_needed();
    const int before = dialog_mouse.mouse_b;
    const int x = dialog_mouse.mouse_x, y = dialog_mouse.mouse_y;
    const auto now = std::chrono::steady_clock::now();
    sample_mouse(dialog_mouse);
    dialog_mouse.mouse_x = screen_to_dialog_x(dialog_mouse.mouse_x);
    dialog_mouse.mouse_y = screen_to_dialog_y(dialog_mouse.mouse_y);
    if (dialog_mouse.mouse_b & ~before) {
        dialog_press_until = now + dialog_press_time;
        dialog_press_reads = 0;
    } else if (before && !dialog_mouse.mouse_b &&
               (now < dialog_press_until || dialog_press_reads < 2)) {
        dialog_mouse.mouse_b = before;  // a quick press, still shown down where it went down
        dialog_mouse.mouse_x = x;
        dialog_mouse.mouse_y = y;
    }
    if (dialog_mouse.mouse_b)
        dialog_press_reads++;
    show_to_dialogs(dialog_mouse);
    show_enlarged_dialog(screen_to_frame(mouse_x), screen_to_frame(mouse_y));
    return dialog_mouse.mouse_b;
}

int dialog_mouse_x()
{
    return dialog_shown_b.load(std::memory_order_acquire) ? dialog_shown_x.load(std::memory_order_relaxed)
                                                          : screen_to_dialog_x(mouse_x);
}
int dialog_mouse_y()
{
    return dialog_shown_b.load(std::memory_order_acquire) ? dialog_shown_y.load(std::memory_order_relaxed)
                                                          : screen_to_dialog_y(mouse_y);
}

}  // namespace

void install_input()
{
    LOCK_FUNCTION(on_mouse);
    LOCK_FUNCTION(on_key);
    LOCK_FUNCTION(on_close);
    LOCK_VARIABLE(buttons);
    LOCK_VARIABLE(press_positions);
    LOCK_VARIABLE(keys);
    LOCK_VARIABLE(press_modifiers);
    LOCK_VARIABLE(close_requests);
    mouse_callback = on_mouse;
    keyboard_lowlevel_callback = on_key;
    set_close_button_callback(on_close);
    // Where the library tells the focus at all, it calls these as the window loses and gets
    // it back; where it cannot, the window counts as always having it.
    set_display_switch_callback(SWITCH_OUT, on_focus_out);
    set_display_switch_callback(SWITCH_IN, on_focus_in);
}

DialogInput::DialogInput()
    : saved_b_(gui_mouse_b), saved_x_(gui_mouse_x), saved_y_(gui_mouse_y)
{
    begin_enlarged_dialogs();
    dialog_mouse = discard_pending_input();
    dialog_mouse.mouse_x = screen_to_dialog_x(mouse_x);
    dialog_mouse.mouse_y = screen_to_dialog_y(mouse_y);
    show_to_dialogs(dialog_mouse);
    dialog_loop_thread.store(std::this_thread::get_id(), std::memory_order_relaxed);
    gui_mouse_b = dialog_mouse_b;
    gui_mouse_x = dialog_mouse_x;
    gui_mouse_y = dialog_mouse_y;
}

DialogInput::~DialogInput()
{
    end_enlarged_dialogs();
    gui_mouse_b = saved_b_;
    gui_mouse_x = saved_x_;
    gui_mouse_y = saved_y_;
}

InputState sample_input()
{
    rest_until_input();
    poll_if_needed();
    InputState in;
    sample_mouse(in);
    in = in_frame(in);
    for (int k = 0; k < KEY_MAX; k++) {
        bool took_press;
        SwitchReader &reader = key_readers[k];
        in.keys[k] = reader.read(keys[k], key[k] != 0, took_press);
        if (in.keys[k] && reader.from_record()) {
            const int held = press_modifiers[k][reader.last_press() % remembered_presses].load(
                std::memory_order_relaxed);
            in.press_modifiers[k] = static_cast<unsigned char>(held | modifier::recorded);
        }
    }
    in.close_requested = close_requested();
    return in;
}

InputState discard_pending_input()
{
    poll_if_needed();
    InputState in;
    in.mouse_x = mouse_x;
    in.mouse_y = mouse_y;
    for (int b = 0; b < mouse_buttons; b++)
        if (button_readers[b].discard(buttons[b], (mouse_b >> b) & 1))
            in.mouse_b |= 1 << b;
    for (int k = 0; k < KEY_MAX; k++)
        in.keys[k] = key_readers[k].discard(keys[k], key[k] != 0);
    in.close_requested = close_requested();
    return in_frame(in);
}

void move_pointer(int x, int y)
{
    // The middle of the frame pixel's block on the screen, which reads back as that pixel.
    const int sx = frame_to_screen(x), sy = frame_to_screen(y);
    if (mouse_driver)
        position_mouse(sx, sy);
    else {
        mouse_x = sx;
        mouse_y = sy;
    }
}

void wait_until_buttons_up()
{
    while (sample_input().mouse_b != 0) {
    }
}

bool window_has_focus() { return !focus_out.load(std::memory_order_relaxed); }

bool close_requested()
{
    return close_requests.load(std::memory_order_acquire) != close_requests_forgotten;
}

void forget_close_request()
{
    close_requests_forgotten = close_requests.load(std::memory_order_acquire);
}
