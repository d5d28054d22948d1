#pragma once
#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <tuple>

// Exclusive advisory locks (flock) on open ports, so that two runs never talk to one port at
// once. The time spent waiting for another holder counts per device, over every open of that
// device in this process; once it reaches the bound, the device is given up for the rest of
// the run.
class CPortLocks {
public:
    explicit CPortLocks(std::chrono::milliseconds bound);
    CPortLocks(const CPortLocks&) = delete;
    CPortLocks& operator=(const CPortLocks&) = delete;

    // Takes the lock on fd, polling while another open file holds it; false once the device
    // has been given up.
    bool Lock(int fd);

private:
    // A character device by its device number, whichever node opened it; any other file by
    // file system and inode.
    using Device = std::tuple<bool, dev_t, ino_t>;
    struct Wait {
        std::chrono::steady_clock::duration spent{};
        bool gaveUp = false;
    };

    const std::chrono::milliseconds m_bound;
    std::mutex m_lock; // m_waits; detection opens ports from many threads at once
    std::map<Device, Wait> m_waits;
};
