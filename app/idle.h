// How the screens' loops pass the time between two passes, chosen at start-up by
// TILESTACK_IDLE: "spin" (or unset) polls without pause, as the screens are written to;
// "wait" rests each pass until the next input event, or a few milliseconds at most, so that
// a game with nothing happening leaves the processor alone. Every pass and every frame stay
// the same either way: only the time between passes changes.
#pragma once

#include <chrono>
#include <string>

enum class IdleMode { spin, wait };

// The mode a value of TILESTACK_IDLE asks for: unset or empty, "spin" and "wait" as said
// above; anything else gives spin and a line for standard error in `complaint`.
IdleMode idle_mode_named(const char *value, std::string &complaint);

// Reads TILESTACK_IDLE once, naming a bad value on standard error. Call at start-up, before
// the input callbacks are hooked.
void read_idle_setting();

// The longest rest: well within one frame of a 60 Hz screen, so that whatever a loop watches
// besides the input shows as soon as it would when spinning.
constexpr std::chrono::milliseconds longest_idle_rest{10};

// Under wait: returns when an input event arrives or after longest_idle_rest, whichever
// comes first (an event that came since the last call returns at once). Under spin it returns
// at once. Each screen's input sample calls it, so every loop rests the same way.
void rest_until_input();

// Called by the input callbacks, on the library's input thread, and when work off the loop
// ends, on its thread: something arrived.
void wake_resting_loop();
