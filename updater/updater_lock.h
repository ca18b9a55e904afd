#pragma once
// One updater per user: an exclusive lock on "Brannock-<uid>.lock" beside the
// main program's instance lock, held until the process ends.
#include <QString>

class UpdaterLock {
public:
    UpdaterLock() = default;
    ~UpdaterLock();
    UpdaterLock(const UpdaterLock&) = delete;
    UpdaterLock& operator=(const UpdaterLock&) = delete;

    // False when another updater of this user holds the lock (or no lock
    // file can be made, which is treated the same way).
    bool acquire();
    static QString LockPath();

private:
    int m_fd = -1;
};
