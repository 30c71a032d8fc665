#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tovan {

// A minimal task queue for programs and tests that have no window system: the thread that
// runs it plays the role of the user-interface thread that consoles live on.
class EventLoop {
public:
    // Queues a task. Callable from any thread.
    void post(std::function<void()> task);

    // Runs queued tasks (and those they queue) until quit() or until `timeout` has passed,
    // also while tasks keep coming.
    void runFor(std::chrono::milliseconds timeout);

    // Runs queued tasks until quit().
    void run();

    // Runs the tasks queued right now, without waiting. Returns how many ran.
    int processPending();

    // Ends run()/runFor() after the task that is running.
    void quit();

private:
    bool runOne(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
};

} // namespace tovan
