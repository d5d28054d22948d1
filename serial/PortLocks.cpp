#include "PortLocks.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace {

constexpr std::chrono::milliseconds POLL_INTERVAL(50);

// True when fd holds the lock now. A file that takes no locks at all is used unlocked.
bool TryLock(int fd)
{
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || errno != EWOULDBLOCK;
}

} // namespace

CPortLocks::CPortLocks(std::chrono::milliseconds bound) : m_bound(bound) {}

bool CPortLocks::Lock(int fd)
{
    struct stat st {};
    fstat(fd, &st);
    const Device device = S_ISCHR(st.st_mode) ? Device(true, st.st_rdev, 0)
                                              : Device(false, st.st_dev, st.st_ino);
    for (;;) {
        std::chrono::steady_clock::duration left;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            Wait& wait = m_waits[device];
            if (!wait.gaveUp && TryLock(fd)) {
                return true;
            }
            left = m_bound - wait.spent;
            if (wait.gaveUp || left <= left.zero()) {
                wait.gaveUp = true;
                return false;
            }
        }
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, POLL_INTERVAL));
        std::lock_guard<std::mutex> guard(m_lock);
        m_waits[device].spent += std::chrono::steady_clock::now() - start;
    }
}
