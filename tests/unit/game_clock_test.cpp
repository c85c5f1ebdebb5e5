// The game's time on a clock stepped by hand: counted only with the focus, carried over.
#include <gtest/gtest.h>

#include "play/game_clock.h"

namespace {

TEST(GameClock, CountsOnlyWithTheFocusFromWhatWasKept)
{
    long long now = 5000;
    const struct {
        long long at;  // when
        int focus;     // -1: no change, else the focus now
        long long elapsed;
    } steps[] = {
        {5000, -1, 60000},  // a kept game's minute
        {6500, -1, 61500},  {7000, 0, 62000},  {9000, -1, 62000},  // away: nothing counts
        {9000, 0, 62000},   {10000, 1, 62000}, {10000, 1, 62000}, {12999, -1, 64999},
        {13000, -1, 65000},
    };
    GameClock clock(60000, [&] { return now; });
    for (const auto &s : steps) {
        now = s.at;
        if (s.focus >= 0)
            clock.focus(s.focus != 0);
        EXPECT_EQ(clock.elapsed(), s.elapsed) << "at " << s.at;
    }
    EXPECT_EQ(clock.seconds(), 65);
}

TEST(GameClock, ShownAsMinutesAndSeconds)
{
    const struct {
        long long seconds;
        const char *text;
    } cases[] = {{0, "0:00"}, {9, "0:09"}, {187, "3:07"}, {3599, "59:59"}, {3723, "1:02:03"},
                 {-4, "0:00"}};
    for (const auto &c : cases)
        EXPECT_EQ(clock_text(c.seconds), c.text);
}

}  // namespace
