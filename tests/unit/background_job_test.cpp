// Work off the loop: one piece of work at a time per job, its cancel, its progress, its end
// taken once and the hook every end calls; run by hand as the screens' tests run it, and on
// the job's own thread. (The thread build runs these to watch what the threads share.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "play/background_job.h"

namespace {

std::atomic<int> ends_seen{0};
void count_end() { ends_seen++; }

// Work that reports `done` of 9 in step 1 and notes whether it was asked to stop.
BackgroundJob::Work reporting(int done, bool *saw_cancel = nullptr)
{
    return [done, saw_cancel](BackgroundJob::Control &control) {
        control.report({done, 9, 1});
        if (saw_cancel)
            *saw_cancel = control.cancelled();
    };
}

bool same_progress(const JobProgress &p, int done, int total, int stage)
{
    return p.done == done && p.total == total && p.stage == stage;
}

// Run by hand, cancelled (the editor's Escape) or not: the work reports, sees the cancel,
// ends and is taken once. (The hint's tests show that work dropped or replaced never answers.)
TEST(BackgroundJob, RunByHandItReportsAndEndsOnceCancelledOrNot)
{
    std::vector<std::function<void()>> works;
    const BackgroundJob::Runner by_hand = [&](std::function<void()> work) {
        works.push_back(work);
    };
    const JobEndHook before = set_job_end_hook(count_end);
    ends_seen = 0;
    BackgroundJob job;
    EXPECT_FALSE(job.take_finished());
    for (const bool cancel : {false, true}) {
        bool saw_cancel = !cancel;
        job.start(reporting(3, &saw_cancel), by_hand);
        EXPECT_TRUE(job.running());
        EXPECT_TRUE(same_progress(job.progress(), 0, 0, 0)) << "nothing reported yet";
        if (cancel)
            job.cancel();
        const auto began = std::chrono::steady_clock::now();
        job.wait_for(std::chrono::seconds(20));
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10))
            << "work run by hand is not waited for";
        EXPECT_FALSE(job.take_finished()) << "not before it has run";
        works.back()();
        EXPECT_EQ(saw_cancel, cancel);
        EXPECT_TRUE(same_progress(job.progress(), 3, 9, 1));
        EXPECT_TRUE(job.take_finished());
        EXPECT_FALSE(job.take_finished()) << "taken once";
        EXPECT_FALSE(job.running());
        EXPECT_EQ(job.cancelled(), cancel) << "still said once taken";
    }
    EXPECT_EQ(ends_seen, 2) << "the end hook, where the work ran";

    job.start(reporting(7), by_hand);
    job.start(reporting(8), by_hand);
    works[works.size() - 2]();
    EXPECT_TRUE(same_progress(job.progress(), 0, 0, 0)) << "replaced work reports to itself";
    set_job_end_hook(before);
}

TEST(BackgroundJobThread, OnItsOwnThreadOneAtATimeAndEveryOneStoppedBeforeAnExit)
{
    std::atomic<int> ended{0};
    // Work that reports that it runs, then runs until it is cancelled.
    const BackgroundJob::Work until_cancelled = [&](BackgroundJob::Control &control) {
        control.report({1, 1, 0});
        while (!control.cancelled())
            std::this_thread::yield();
        ended++;
    };
    const auto wait_until_it_runs = [](const BackgroundJob &job) {
        while (job.progress().done == 0)
            std::this_thread::yield();  // the work reports on its own: no clock is read
    };
    const JobEndHook before = set_job_end_hook(count_end);
    ends_seen = 0;

    BackgroundJob job;
    job.start(until_cancelled);
    wait_until_it_runs(job);
    job.start(until_cancelled);
    EXPECT_EQ(ended, 1) << "a new start stops the work before and waits for its thread";
    wait_until_it_runs(job);
    job.cancel();
    job.wait_for(std::chrono::seconds(60));  // returns at the work's end
    EXPECT_TRUE(job.take_finished());
    EXPECT_TRUE(job.cancelled());
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(ends_seen, 2) << "each end called the hook, on the work's thread";

    // fatal_error's stop: every job's running work is cancelled and its thread waited for.
    BackgroundJob other;
    job.start(until_cancelled);
    other.start(until_cancelled);
    wait_until_it_runs(job);
    wait_until_it_runs(other);
    BackgroundJob::stop_every_job();
    EXPECT_EQ(ended, 4);
    EXPECT_TRUE(other.take_finished());

    {
        BackgroundJob left_running;
        left_running.start(until_cancelled);
        wait_until_it_runs(left_running);
    }
    EXPECT_EQ(ended, 5) << "a job that goes stops its work and waits for it";
    set_job_end_hook(before);
}

}  // namespace
