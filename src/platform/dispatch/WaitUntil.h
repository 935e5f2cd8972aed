#pragma once
// The readiness poll: a repeating timer on the main queue that, on every tick, runs `action`
// once when `condition()` holds or when `timeout` has passed since the poll started.
// Main thread only; condition and action run on the main thread.

#include <chrono>
#include <functional>

void waitUntil(std::function<bool()> condition, std::function<void()> action,
               std::chrono::duration<double> interval, std::chrono::duration<double> timeout);
