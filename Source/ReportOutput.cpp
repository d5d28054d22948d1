#include "ReportOutput.h"

#include <fcntl.h>
#include <poll.h>
#include <sysexits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

bool IsOpenForWriting(int fd)
{
    // Fails on a closed descriptor.
    const int flags = fcntl(fd, F_GETFL);
    return flags != -1 && (flags & O_ACCMODE) != O_RDONLY;
}

int OpenNullOnClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one: the streams below it are open by now.
        if (open("/dev/null", O_RDWR) == -1)
            return errno;
    }
    return 0;
}

int StandardStreamsFailed(int err)
{
    if (fcntl(STDERR_FILENO, F_GETFD) != -1)
        std::cerr << "无法为关闭的标准流打开 /dev/null：" << strerror(err) << "\n";
    return EX_OSERR;
}

int ReportOutputError(int fd)
{
    pollfd out = {fd, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&out, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return errno;
    if (out.revents & POLLNVAL)
        return EBADF;
    if (out.revents & POLLERR)
        return EPIPE;
    if (out.revents & POLLHUP)
        return EIO;
    return 0;
}

int ReportWriteFailed(int err, const std::string& report)
{
    std::cerr << "报告写入失败：" << (err != 0 ? strerror(err) : "标准输出不可写") << "\n";
    std::cerr << report;
    std::cerr.flush();
    return EX_IOERR;
}
