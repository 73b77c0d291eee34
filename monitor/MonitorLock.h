// The monitor lock: one process-wide recursive critical section. It guards the port table and
// all shared job state, and a job holds it from StartDocPort to the end of its EndDocPort, so
// jobs on every port of the monitor follow one another.
#pragma once

namespace zormon {

namespace MonitorLock {

// Creates the lock; later calls do nothing. Enter() initialises it on first use as well, so
// no caller depends on InitializeMonitorEx having run first.
void Initialize();
// Recursive: the thread that holds the lock may enter it again, and must leave it as often.
void Enter();
void Leave();

} // namespace MonitorLock

// Holds the monitor lock for one scope.
class MonitorLockGuard {
public:
    MonitorLockGuard() { MonitorLock::Enter(); }
    ~MonitorLockGuard() { MonitorLock::Leave(); }
    MonitorLockGuard(const MonitorLockGuard &) = delete;
    MonitorLockGuard &operator=(const MonitorLockGuard &) = delete;
};

} // namespace zormon
