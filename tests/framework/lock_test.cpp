// The API lock: recursion on one thread and first-come, first-served hand-over
// among several.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/core/api_lock.h"

TEST(ApiLock, RecursesOnOneThreadAndBlocksOthersUntilFullyReleased) {
    ApiLockAcquire();
    ApiLockAcquire();
    std::atomic<bool> taken{false};
    std::thread other([&] {
        ApiLockAcquire();
        taken = true;
        ApiLockRelease();
    });
    while (ApiLockWaiters() < 1) std::this_thread::yield();
    ApiLockRelease();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(taken.load()) << "one release of a twice-taken lock must not hand it over";
    ApiLockRelease();
    other.join();
    EXPECT_TRUE(taken.load());
    EXPECT_EQ(ApiLockWaiters(), 0);
}

TEST(ApiLock, HandsOverInArrivalOrder) {
    const int kThreads = 6;
    std::vector<int> order;
    std::mutex orderMutex;
    std::vector<std::thread> threads;
    ApiLockAcquire();
    for (int i = 0; i < kThreads; i++) {
        threads.emplace_back([&, i] {
            ApiLockAcquire();
            {
                std::lock_guard<std::mutex> g(orderMutex);
                order.push_back(i);
            }
            ApiLockRelease();
        });
        // Wait until thread i is queued before starting the next one.
        while (ApiLockWaiters() < i + 1) std::this_thread::yield();
    }
    ApiLockRelease();
    for (auto& t : threads) t.join();
    ASSERT_EQ(order.size(), static_cast<size_t>(kThreads));
    for (int i = 0; i < kThreads; i++) EXPECT_EQ(order[i], i);
}

TEST(ApiLock, StopFlagLetsAWaiterLeaveTheQueue) {
    std::atomic<bool> stop{false};
    std::atomic<int> result{-1};
    ApiLockAcquire();
    std::thread waiter([&] { result = ApiLockAcquireUnless(&stop) ? 1 : 0; });
    while (ApiLockWaiters() < 1) std::this_thread::yield();
    stop = true;
    ApiLockWakeAll();
    waiter.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(ApiLockWaiters(), 0);
    ApiLockRelease();
    ApiLockDestroy();
    ApiLockAcquire();   // created again on next use
    ApiLockRelease();
}
