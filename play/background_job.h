// Work that runs off a screen's loop: the hint's further search and the editor's rating,
// generating and improving. A job runs one piece of work at a time, on a thread of its own:
// starting another drops the one before and waits for its thread, so no job ever has more
// than one. The work polls a cancel flag and reports how far it has come; the loop reads
// that, and takes the work's end once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// How far a piece of work has come: `done` of `total` in the work's own units, in its step
// `stage` (work of one step leaves it 0).
struct JobProgress {
    int done = 0;
    int total = 0;
    int stage = 0;
};

class BackgroundJob {
public:
    // Runs the work: on the job's own thread unless set; tests run it where and when they like.
    using Runner = std::function<void(std::function<void()> work)>;

    // What a piece of work shares with the loop, on whatever thread runs it.
    class Control {
    public:
        // For searches that take a flag to poll.
        const std::atomic<bool> *cancel_flag() const { return &cancel_; }
        bool cancelled() const { return cancel_.load(std::memory_order_relaxed); }
        // From the work, as often as it likes (from several threads at once too).
        void report(const JobProgress &progress);

    private:
        friend class BackgroundJob;
        std::atomic<bool> cancel_{false};
        std::atomic<bool> finished_{false};  // set last: what the work wrote may be read
        mutable std::mutex mutex_;           // progress_, and with ended_ the work's end
        std::condition_variable ended_;
        JobProgress progress_;
    };
    using Work = std::function<void(Control &control)>;

    BackgroundJob();
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;
    ~BackgroundJob();  // cancels the work and waits for its thread

    // Starts `work`, through `runner` when it is set, after dropping the work before and
    // waiting for its thread (a cancelled search stops within moments).
    void start(Work work, const Runner &runner = nullptr);
    // Work was started and neither taken nor dropped.
    bool running() const { return current_ && !taken_; }
    // True once, when the work has ended (cancelled or not); whatever it wrote may be read
    // from then on.
    bool take_finished();
    // Asks the work to stop; it still ends, and its end is taken as any other.
    void cancel();
    // Asks the work to stop and forgets it: its end is never taken. The loop does not wait.
    void drop();
    // The work last started was asked to stop (still answered once it is taken).
    bool cancelled() const { return current_ && current_->cancelled(); }
    JobProgress progress() const;
    // Waits until the work ends or `most` has passed: the loop's pace while the work runs, so
    // that the work has the cores to itself. Work run through a runner is not waited for.
    void wait_for(std::chrono::milliseconds most);

    // Cancels every job's work that runs on a thread of the job's own and waits for those
    // threads: before the program exits while jobs may be running (fatal_error), so that no
    // thread runs under the static destructors.
    static void stop_every_job();

private:
    std::shared_ptr<Control> current_;  // the work last started, until dropped
    bool taken_ = false;                // its end has been taken
    std::thread thread_;                // where it runs, unless a runner runs it
};

// Called on the work's thread each time any job's work ends; none by default. The game sets
// it to wake its resting loop, so that a loop resting between input events sees the end at
// once. Returns the hook set before.
using JobEndHook = void (*)();
JobEndHook set_job_end_hook(JobEndHook hook);
