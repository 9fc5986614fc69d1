// The API lock: one process-wide recursive lock with first-come, first-served
// hand-over, taken by every public call. Waiters queue in arrival order (at most
// 4096); a releasing owner wakes the first of them.
#pragma once

#include <atomic>

void ApiLockAcquire(void);
// As ApiLockAcquire, but gives up (returns false, leaving the queue) once *stop
// becomes true; used by the message-pump thread so it can end at shutdown.
bool ApiLockAcquireUnless(const std::atomic<bool>* stop);
void ApiLockRelease(void);
// Wakes every queued waiter so that those with a stop flag can notice it.
void ApiLockWakeAll(void);
// Frees the lock's events; a later acquire creates them again. The lock must be free.
void ApiLockDestroy(void);
// Number of threads waiting (for tests and diagnostics).
int ApiLockWaiters(void);

struct ApiGuard {
    ApiGuard() { ApiLockAcquire(); }
    ~ApiGuard() { ApiLockRelease(); }
    ApiGuard(const ApiGuard&) = delete;
    ApiGuard& operator=(const ApiGuard&) = delete;
};
