#include "app/idle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

// After an event, the time the library's input thread is given to finish taking it in.
constexpr auto settle_time = std::chrono::milliseconds(1);

std::atomic<bool> waiting{false};  // the mode is wait; read by the input thread too
std::mutex event_mutex;
std::condition_variable event_arrived;
unsigned events = 0;       // input events so far, under event_mutex
unsigned events_seen = 0;  // events counted at the end of the last rest (main thread)

}  // namespace

IdleMode idle_mode_named(const char *value, std::string &complaint)
{
    complaint.clear();
    if (value == nullptr || value[0] == '\0' || std::strcmp(value, "spin") == 0)
        return IdleMode::spin;
    if (std::strcmp(value, "wait") == 0)
        return IdleMode::wait;
    complaint = std::string("tilestack: TILESTACK_IDLE is \"") + value +
                "\", neither \"spin\" nor \"wait\"; polling without pause (spin).";
    return IdleMode::spin;
}

void read_idle_setting()
{
    std::string complaint;
    const IdleMode mode = idle_mode_named(std::getenv("TILESTACK_IDLE"), complaint);
    if (!complaint.empty())
        std::fprintf(stderr, "%s\n", complaint.c_str());
    waiting.store(mode == IdleMode::wait, std::memory_order_relaxed);
}

void rest_until_input()
{
    if (!waiting.load(std::memory_order_relaxed))
        return;
    std::unique_lock<std::mutex> lock(event_mutex);
    const bool woken =
        event_arrived.wait_for(lock, longest_idle_rest, [] { return events != events_seen; });
    events_seen = events;
    lock.unlock();
    // The library reports an event before it has finished taking it in (a key's typed
    // character goes into its buffer after the callback): woken at once, the loop could act
    // on the press and clear that buffer, and the character would reach a dialog opened by
    // the press. A moment's pause lets the input thread finish first, as it does when the
    // loop spins.
    if (woken)
        std::this_thread::sleep_for(settle_time);
}

void wake_resting_loop()
{
    if (!waiting.load(std::memory_order_relaxed))
        return;
    {
        std::lock_guard<std::mutex> lock(event_mutex);
        events++;
    }
    event_arrived.notify_one();
}
