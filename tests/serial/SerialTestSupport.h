#pragma once
// Helpers shared by the serial layer's tests: short read windows, and a test's own view of a
// pseudo-terminal line.
#include "AppGlobals.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace serial_test {

// Read windows of `passes` polling passes while in scope, as time1 in set.ini gives them.
class WindowPasses {
public:
    explicit WindowPasses(int passes)
    {
        g_nWinUserSet = 1;
        g_nWinUserValue[0] = passes;
    }
    ~WindowPasses()
    {
        g_nWinUserSet = 0;
        g_nWinUserValue[0] = 0;
    }
};

// A descriptor of the test's own, closed on scope exit.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0) close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

inline int OpenLine(const std::string& path)
{
    return open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

inline termios LineSettings(const std::string& path)
{
    termios t = {};
    Fd fd(OpenLine(path));
    tcgetattr(fd.get(), &t);
    return t;
}

// Sets a line raw at a speed, as a terminal program would.
inline bool SetRawSpeed(int fd, speed_t speed)
{
    termios t;
    if (tcgetattr(fd, &t) < 0) return false;
    cfmakeraw(&t);
    cfsetospeed(&t, speed);
    cfsetispeed(&t, speed);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

// Waits until at least n bytes wait to be read on fd.
inline bool WaitPending(int fd, int n, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int pending = 0;
        if (ioctl(fd, FIONREAD, &pending) == 0 && pending >= n) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Reads from a non-blocking fd until needle has arrived or the deadline passes.
inline std::string ReadUntil(int fd, const std::string& needle, std::chrono::milliseconds timeout)
{
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.find(needle) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buf[256];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, static_cast<size_t>(n));
    }
    return got;
}

} // namespace serial_test
