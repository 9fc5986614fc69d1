// The API lock. A recursive lock handed over strictly in arrival order: a thread
// that finds it taken appends itself to a queue of at most 4096 waiters, each
// queue slot owning one manual-reset event, and sleeps on that event until the
// owner's release wakes the first waiter.
#include "framework/core/api_lock.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

enum { LOCK_QUEUE = 4096 };

struct ManualResetEvent {
    std::mutex m;
    std::condition_variable cv;
    bool signalled = false;

    void Set() {
        { std::lock_guard<std::mutex> g(m); signalled = true; }
        cv.notify_all();
    }
    void Reset() { std::lock_guard<std::mutex> g(m); signalled = false; }
    // Waits until set or until `ms` passed (ms < 0: no time-out); true when set.
    bool Wait(int ms) {
        std::unique_lock<std::mutex> g(m);
        if (ms < 0) { cv.wait(g, [this] { return signalled; }); return true; }
        return cv.wait_for(g, std::chrono::milliseconds(ms), [this] { return signalled; });
    }
};

struct ApiLock {
    std::mutex section;               // the critical section guarding the fields below
    bool created = false;
    bool locked = false;
    std::thread::id owner;            // default id when free
    int count = 0;
    int waiting = 0;
    std::thread::id waiterThread[LOCK_QUEUE];
    ManualResetEvent* waiterEvent[LOCK_QUEUE];   // slot i's event; moves with its waiter
    ManualResetEvent* events = nullptr;
};

ApiLock g_lock;

void CreateEventsLocked() {
    if (g_lock.created) return;
    g_lock.events = new ManualResetEvent[LOCK_QUEUE];
    for (int i = 0; i < LOCK_QUEUE; i++) g_lock.waiterEvent[i] = &g_lock.events[i];
    g_lock.created = true;
}

void TakeLocked(std::thread::id me) {
    g_lock.locked = true;
    g_lock.owner = me;
    g_lock.count++;
}

// Removes waiter k; the queue shifts up and k's event moves to the free end.
void RemoveWaiterLocked(int k) {
    ManualResetEvent* e = g_lock.waiterEvent[k];
    for (int i = k; i + 1 < g_lock.waiting; i++) {
        g_lock.waiterThread[i] = g_lock.waiterThread[i + 1];
        g_lock.waiterEvent[i] = g_lock.waiterEvent[i + 1];
    }
    g_lock.waiting--;
    g_lock.waiterEvent[g_lock.waiting] = e;
}

int FindWaiterLocked(std::thread::id me) {
    for (int i = 0; i < g_lock.waiting; i++)
        if (g_lock.waiterThread[i] == me) return i;
    return -1;
}

bool Acquire(const std::atomic<bool>* stop) {
    const std::thread::id me = std::this_thread::get_id();
    for (;;) {
        ManualResetEvent* wait = nullptr;
        {
            std::lock_guard<std::mutex> g(g_lock.section);
            CreateEventsLocked();
            int pos = FindWaiterLocked(me);
            if (!g_lock.locked && g_lock.waiting == 0) { TakeLocked(me); return true; }
            if (!g_lock.locked && pos == 0) { RemoveWaiterLocked(0); TakeLocked(me); return true; }
            if (g_lock.locked && g_lock.owner == me) { TakeLocked(me); return true; }
            if (stop && stop->load()) {
                if (pos >= 0) {
                    RemoveWaiterLocked(pos);
                    if (pos == 0 && g_lock.waiting > 0 && !g_lock.locked) g_lock.waiterEvent[0]->Set();
                }
                return false;
            }
            if (pos >= 0) {
                wait = g_lock.waiterEvent[pos];
            } else if (g_lock.waiting < LOCK_QUEUE) {
                g_lock.waiterThread[g_lock.waiting] = me;
                wait = g_lock.waiterEvent[g_lock.waiting];
                g_lock.waiting++;
            }
        }
        if (!wait) {                       // the queue is full: retry a little later
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        wait->Wait(stop ? 1000 : -1);
        wait->Reset();
    }
}

} // namespace

void ApiLockAcquire(void) { Acquire(nullptr); }

bool ApiLockAcquireUnless(const std::atomic<bool>* stop) { return Acquire(stop); }

void ApiLockRelease(void) {
    ManualResetEvent* wake = nullptr;
    {
        std::lock_guard<std::mutex> g(g_lock.section);
        if (g_lock.count <= 0 || g_lock.owner != std::this_thread::get_id()) return;
        if (g_lock.count == 1) {
            g_lock.locked = false;
            g_lock.owner = std::thread::id();
            if (g_lock.waiting > 0) wake = g_lock.waiterEvent[0];
        }
        g_lock.count--;
    }
    if (wake) {
        wake->Set();
        std::this_thread::yield();
    }
}

void ApiLockWakeAll(void) {
    std::lock_guard<std::mutex> g(g_lock.section);
    for (int i = 0; i < g_lock.waiting; i++) g_lock.waiterEvent[i]->Set();
}

void ApiLockDestroy(void) {
    std::lock_guard<std::mutex> g(g_lock.section);
    if (g_lock.locked || g_lock.waiting > 0 || !g_lock.created) return;
    delete[] g_lock.events;
    g_lock.events = nullptr;
    g_lock.created = false;
}

int ApiLockWaiters(void) {
    std::lock_guard<std::mutex> g(g_lock.section);
    return g_lock.waiting;
}
