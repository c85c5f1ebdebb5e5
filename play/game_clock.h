// A game's time: counted from its deal while the window has the focus, carried over when a
// kept game comes back. The time source is given, so that tests step it by hand.
#pragma once

#include <functional>
#include <string>

class GameClock {
public:
    using Now = std::function<long long()>;  // milliseconds from any fixed start

    // A clock that starts counting now from `already` milliseconds.
    explicit GameClock(long long already = 0, Now now = steady_now);

    // Whether the window has the focus now; time passes only while it has.
    void focus(bool in);
    // The time counted so far, in milliseconds.
    long long elapsed() const;
    // The same in whole seconds.
    long long seconds() const { return elapsed() / 1000; }

    // The system's steady clock, in milliseconds.
    static long long steady_now();

private:
    Now now_;
    long long counted_;   // up to since_
    long long since_;     // when counting went on, if it is on
    bool counting_ = true;
};

// A time of `seconds` as the game shows it: "3:07", "1:02:03" from an hour.
std::string clock_text(long long seconds);
