#pragma once

#include <atomic>
#include <chrono>
#include <semaphore>

// A signal that wakes one waiter and then resets itself; signals given while it is
// already set count once. Setting it never blocks, so a sound card's callback may set it.
class AutoResetEvent {
public:
    void set()
    {
        if (!signalled_.exchange(true))
            wakeUp_.release();
    }

    void wait()
    {
        wakeUp_.acquire();
        signalled_.store(false);
    }

    // Back to not signalled; only while nobody waits or sets.
    void reset()
    {
        while (wakeUp_.try_acquire()) {
        }
        signalled_.store(false);
    }

    // False when the time ran out without a signal.
    bool waitFor(std::chrono::nanoseconds timeout)
    {
        if (!wakeUp_.try_acquire_for(timeout))
            return false;
        signalled_.store(false);
        return true;
    }

private:
    std::atomic<bool> signalled_{false};
    std::binary_semaphore wakeUp_{0};
};
