#include "play/background_job.h"

#include <algorithm>
#include <vector>

namespace {

std::atomic<JobEndHook> end_hook{nullptr};

// Every job alive, for stop_every_job. Made once and never freed, so that it outlives any job
// whatever the order of the static destructors.
struct Registry {
    std::mutex mutex;
    std::vector<BackgroundJob *> jobs;
};

Registry &registry()
{
    static Registry *const jobs = new Registry;
    return *jobs;
}

}  // namespace

JobEndHook set_job_end_hook(JobEndHook hook) { return end_hook.exchange(hook); }

void BackgroundJob::Control::report(const JobProgress &progress)
{
    std::lock_guard<std::mutex> lock(mutex_);
    progress_ = progress;
}

BackgroundJob::BackgroundJob()
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.jobs.push_back(this);
}

BackgroundJob::~BackgroundJob()
{
    {
        Registry &r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        r.jobs.erase(std::find(r.jobs.begin(), r.jobs.end(), this));
    }
    drop();
    if (thread_.joinable())
        thread_.join();
}

void BackgroundJob::start(Work work, const Runner &runner)
{
    drop();
    if (thread_.joinable())
        thread_.join();
    current_ = std::make_shared<Control>();
    taken_ = false;
    // The work holds its own share of what it reports to, so that dropped work, or work a
    // test runs late, writes only to its own.
    auto body = [control = current_, work = std::move(work)] {
        work(*control);
        {
            std::lock_guard<std::mutex> lock(control->mutex_);
            control->finished_.store(true, std::memory_order_release);
        }
        control->ended_.notify_all();
        if (JobEndHook hook = end_hook.load())
            hook();
    };
    if (runner)
        runner(body);
    else
        thread_ = std::thread(body);
}

bool BackgroundJob::take_finished()
{
    if (!running() || !current_->finished_.load(std::memory_order_acquire))
        return false;
    if (thread_.joinable())
        thread_.join();  // at most the end hook is left to run there
    taken_ = true;
    return true;
}

void BackgroundJob::cancel()
{
    if (current_)
        current_->cancel_ = true;
}

void BackgroundJob::drop()
{
    cancel();
    current_.reset();
}

JobProgress BackgroundJob::progress() const
{
    if (!current_)
        return JobProgress();
    std::lock_guard<std::mutex> lock(current_->mutex_);
    return current_->progress_;
}

void BackgroundJob::wait_for(std::chrono::milliseconds most)
{
    if (!running() || !thread_.joinable())
        return;
    Control &control = *current_;
    std::unique_lock<std::mutex> lock(control.mutex_);
    control.ended_.wait_for(
        lock, most, [&control] { return control.finished_.load(std::memory_order_acquire); });
}

// The jobs are started and dropped on the loop's thread, which is the one that calls this.
void BackgroundJob::stop_every_job()
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (BackgroundJob *job : r.jobs) {
        job->cancel();
        if (job->thread_.joinable() && job->thread_.get_id() != std::this_thread::get_id())
            job->thread_.join();
    }
}
