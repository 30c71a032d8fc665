#include "core/hub/EventLoop.h"

namespace tovan {

void EventLoop::post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

bool EventLoop::runOne(std::unique_lock<std::mutex>& lock) {
    if (m_tasks.empty())
        return false;
    std::function<void()> task = std::move(m_tasks.front());
    m_tasks.pop_front();
    lock.unlock();
    task();
    lock.lock();
    return true;
}

// The deadline holds also while tasks keep coming: a flood of frames must not keep the caller
// (a test's wait, tovan-tool's --seconds) from ever getting control back.
void EventLoop::runFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_quit = false;
    while (!m_quit && std::chrono::steady_clock::now() < deadline) {
        if (runOne(lock))
            continue;
        if (m_wake.wait_until(lock, deadline) == std::cv_status::timeout && m_tasks.empty())
            break;
    }
}

void EventLoop::run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_quit = false;
    while (!m_quit) {
        if (!runOne(lock))
            m_wake.wait(lock);
    }
}

int EventLoop::processPending() {
    std::unique_lock<std::mutex> lock(m_mutex);
    std::size_t queued = m_tasks.size();
    int ran = 0;
    while (queued-- > 0 && runOne(lock))
        ++ran;
    return ran;
}

void EventLoop::quit() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
}

} // namespace tovan
