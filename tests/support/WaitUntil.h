#pragma once

#include <chrono>
#include <thread>

// Polls condition until it holds or the deadline passes; true when it held.
// Tests wait for what they expect with a generous deadline, never for a
// fixed time, so a busy machine only makes them slower.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

template <typename Condition>
bool WaitUntil(Condition condition, int timeoutMs)
{
    return WaitUntil(condition, std::chrono::milliseconds(timeoutMs));
}
