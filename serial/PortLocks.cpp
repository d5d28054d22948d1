#include "PortLocks.h"

#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>

#include "AppGlobals.h"

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

void CPortLocks::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_waits.clear();
}

bool CPortLocks::Lock(int fd, const std::string& path)
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
            if (wait.gaveUp || left <= left.zero() || g_nStopSignal != 0) {
                wait.gaveUp = true;
                return false;
            }
            if (!wait.told) {
                // Nothing else shows while a run waits for a port another program holds.
                const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
                fprintf(stderr, "端口 %s 正被其他程序使用，最多等待 %lld 秒\n", path.c_str(),
                        static_cast<long long>(seconds));
                wait.told = true;
            }
        }
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, POLL_INTERVAL));
        std::lock_guard<std::mutex> guard(m_lock);
        m_waits[device].spent += std::chrono::steady_clock::now() - start;
    }
}
