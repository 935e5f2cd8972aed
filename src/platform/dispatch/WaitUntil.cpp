#include "platform/dispatch/WaitUntil.h"

#include <memory>

#include "platform/dispatch/MainQueue.h"

namespace {

struct Poll {
    std::function<bool()> condition;
    std::function<void()> action;
    std::chrono::duration<double> interval;
    MainQueue::Clock::time_point deadline;
};

void schedule(std::shared_ptr<Poll> poll) {
    MainQueue::shared().postAfter(poll->interval, [poll] {
        if (poll->condition() || MainQueue::Clock::now() >= poll->deadline) {
            poll->action();
            return;
        }
        schedule(poll);
    });
}

}  // namespace

void waitUntil(std::function<bool()> condition, std::function<void()> action,
               std::chrono::duration<double> interval, std::chrono::duration<double> timeout) {
    auto deadline =
        MainQueue::Clock::now() + std::chrono::duration_cast<MainQueue::Clock::duration>(timeout);
    schedule(std::make_shared<Poll>(
        Poll{std::move(condition), std::move(action), interval, deadline}));
}
