#include "play/game_clock.h"

#include <chrono>
#include <cstdio>
#include <utility>

GameClock::GameClock(long long already, Now now)
    : now_(std::move(now)), counted_(already), since_(now_())
{
}

void GameClock::focus(bool in)
{
    if (in == counting_)
        return;
    const long long t = now_();
    if (counting_)
        counted_ += t - since_;
    since_ = t;
    counting_ = in;
}

long long GameClock::elapsed() const { return counted_ + (counting_ ? now_() - since_ : 0); }

long long GameClock::steady_now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string clock_text(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return text;
}
