#pragma once
#include <sys/types.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

// Exclusive advisory locks (flock) on open ports, so that two runs never talk to one port at
// once. flock excludes open files of one node; another node of the same device is not held
// off. The time spent waiting for another holder counts per device, over every open of that
// device in one round (a scan, a send, a read); once it reaches the bound, the device is given
// up until the next round. The first wait of a round says so on standard error.
class CPortLocks {
public:
    explicit CPortLocks(std::chrono::milliseconds bound);
    CPortLocks(const CPortLocks&) = delete;
    CPortLocks& operator=(const CPortLocks&) = delete;

    // Takes the lock on fd, opened from path, polling while another open file holds it; false
    // once the device has been given up, or when a stop signal asks the run to end.
    bool Lock(int fd, const std::string& path);
    // Starts a new round: every device gets its whole bound again.
    void Reset();

private:
    // A character device by its device number, whichever node opened it; any other file by
    // file system and inode.
    using Device = std::tuple<bool, dev_t, ino_t>;
    struct Wait {
        std::chrono::steady_clock::duration spent{};
        bool gaveUp = false;
        bool told = false; // the busy line was printed
    };

    const std::chrono::milliseconds m_bound;
    std::mutex m_lock; // m_waits; detection opens ports from many threads at once
    std::map<Device, Wait> m_waits;
};
