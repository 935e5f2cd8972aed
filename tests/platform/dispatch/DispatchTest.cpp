#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/dispatch/BackgroundQueue.h"
#include "platform/dispatch/MainQueue.h"
#include "platform/dispatch/NotificationCenter.h"
#include "platform/dispatch/Uuid.h"
#include "platform/dispatch/WaitUntil.h"

using namespace std::chrono_literals;

namespace {

struct DispatchTest : ::testing::Test {
    void SetUp() override { MainQueue::shared().bindToCurrentThread(); }
    MainQueue& main = MainQueue::shared();
};

}  // namespace

TEST_F(DispatchTest, ReadinessPollFiresOnceWhenTheConditionHolds) {
    std::atomic<bool> ready{false};
    int fired = 0;
    auto started = MainQueue::Clock::now();
    waitUntil([&] { return ready.load(); }, [&] { ++fired; }, 20ms, 5s);
    std::thread loader([&] {
        std::this_thread::sleep_for(100ms);
        ready = true;
    });
    EXPECT_TRUE(main.runUntil([&] { return fired > 0; }, 3s));
    loader.join();
    EXPECT_LT(MainQueue::Clock::now() - started, 1s);
    main.runUntil([] { return false; }, 100ms);  // no second firing
    EXPECT_EQ(fired, 1);
}

TEST_F(DispatchTest, ReadinessPollFiresOnTimeoutWhenTheConditionNeverHolds) {
    bool fired = false;
    auto started = MainQueue::Clock::now();
    waitUntil([] { return false; }, [&] { fired = true; }, 20ms, 300ms);
    EXPECT_TRUE(main.runUntil([&] { return fired; }, 3s));
    EXPECT_GE(MainQueue::Clock::now() - started, 300ms);
}

TEST_F(DispatchTest, TasksPostedFromWorkersRunOnTheMainThreadInOrder) {
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i) main.post([&, i] { order.push_back(i); ranOn = std::this_thread::get_id(); });
    });
    worker.join();
    EXPECT_TRUE(main.runUntil([&] { return order.size() == 5; }, 1s));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(DispatchTest, BackgroundTasksRunConcurrentlySoALongTaskCannotStarveAnother) {
    std::atomic<bool> second{false};
    std::atomic<bool> firstDone{false};
    BackgroundQueue::dispatch([&] {
        // Waits for a task dispatched after it: deadlocks if the pool cannot grow.
        while (!second) std::this_thread::sleep_for(1ms);
        firstDone = true;
    });
    BackgroundQueue::dispatch([&] { second = true; });
    EXPECT_TRUE(main.runUntil([&] { return firstDone.load(); }, 5s));
}

TEST_F(DispatchTest, WaitingUntilIdleOutlastsEveryTaskAndWhatItHolds) {
    struct Noted {
        explicit Noted(std::atomic<int>& counter) : gone(counter) {}
        ~Noted() { ++gone; }
        std::atomic<int>& gone;
    };
    std::atomic<int> ran{0}, gone{0};
    for (int i = 0; i < 3; ++i) {
        auto noted = std::make_shared<Noted>(gone);
        BackgroundQueue::dispatch([&ran, noted] {
            std::this_thread::sleep_for(50ms);
            // A task may start another, which counts as well.
            BackgroundQueue::dispatch([&ran] {
                std::this_thread::sleep_for(20ms);
                ++ran;
            });
            ++ran;
        });
    }
    BackgroundQueue::waitUntilIdle();
    EXPECT_EQ(ran.load(), 6);
    EXPECT_EQ(gone.load(), 3);
}

TEST_F(DispatchTest, NotificationNamesAreUuidsMadeOnceAndDistinct) {
    NotificationName a, b;
    EXPECT_EQ(a.str(), a.str());
    EXPECT_NE(a.str(), b.str());
    EXPECT_EQ(a.str().size(), 36u);
    std::string uuid = makeUuidString();
    EXPECT_EQ(uuid[14], '4');
    EXPECT_EQ(uuid, [&] { std::string u = uuid; for (auto& c : u) c = char(toupper(c)); return u; }());
}

TEST_F(DispatchTest, ObserversGetThePayloadAndStopWhenTheirTokenDies) {
    auto& center = NotificationCenter::defaultCenter();
    NotificationName name;
    std::vector<std::optional<double>> seen;
    auto token = center.addObserver(name, [&](auto payload) { seen.push_back(payload); });
    center.post(name, 3.0);
    center.post(name);
    token.reset();
    center.post(name, 4.0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], 3.0);
    EXPECT_FALSE(seen[1].has_value());
}

TEST_F(DispatchTest, AnObserverCanRemoveItselfAndOthersFromInsideACallback) {
    auto& center = NotificationCenter::defaultCenter();
    NotificationName name;
    std::unique_ptr<NotificationCenter::Token> self, later;
    int selfCalls = 0, laterCalls = 0;
    self = center.addObserver(name, [&](auto) {
        ++selfCalls;
        self.reset();   // destroys the callback's own token while it runs
        later.reset();  // and a token whose callback is still due in this delivery
    });
    later = center.addObserver(name, [&](auto) { ++laterCalls; });
    center.post(name);
    center.post(name);
    EXPECT_EQ(selfCalls, 1);
    EXPECT_EQ(laterCalls, 0);
}

TEST_F(DispatchTest, PostsFromOtherThreadsAreDeliveredOnTheMainThread) {
    auto& center = NotificationCenter::defaultCenter();
    NotificationName name;
    std::thread::id deliveredOn;
    auto token = center.addObserver(name, [&](auto) { deliveredOn = std::this_thread::get_id(); });
    std::thread([&] { center.post(name, 1.0); }).join();
    EXPECT_TRUE(main.runUntil([&] { return deliveredOn != std::thread::id(); }, 1s));
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
}
