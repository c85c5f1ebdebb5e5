// The loops' rest between passes under TILESTACK_IDLE=wait, with no input event to end it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>

#include "app/idle.h"

namespace {

using std::chrono::steady_clock;

double ms(steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A rest with no event lasts its cap, and no longer: each rest runs on a thread of its own,
// so that one that never ends fails the test instead of hanging it.
TEST(IdleRestThread, UnderWaitARestWithNoEventEndsAtItsCap)
{
    const char *was = std::getenv("TILESTACK_IDLE");
    const bool was_set = was != nullptr;
    const std::string kept = was_set ? was : "";
    setenv("TILESTACK_IDLE", "wait", 1);
    read_idle_setting();
    wake_resting_loop();  // with an event waiting, this rest ends at once and takes in any
    rest_until_input();   // other an earlier test left
    steady_clock::duration shortest = std::chrono::hours(1);
    for (int i = 0; i < 3; i++) {
        auto rest = std::async(std::launch::async, [] {
            const steady_clock::time_point began = steady_clock::now();
            rest_until_input();
            return steady_clock::now() - began;
        });
        if (rest.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "a rest with no event did not end";
            wake_resting_loop();
            rest.get();
            break;
        }
        const steady_clock::duration took = rest.get();
        EXPECT_GE(took, longest_idle_rest) << "it rests; " << ms(took) << " ms";
        shortest = std::min(shortest, took);
    }
    // The shortest of three, with room for a busy machine, yet well under five caps.
    EXPECT_LT(shortest, longest_idle_rest + std::chrono::milliseconds(40))
        << ms(shortest) << " ms";
    if (was_set)
        setenv("TILESTACK_IDLE", kept.c_str(), 1);
    else
        unsetenv("TILESTACK_IDLE");
    read_idle_setting();
}

}  // namespace
