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

void OpenNullOnClosedStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one: the streams below it are open by now.
        const int null = open("/dev/null", O_RDWR);
        if (null != -1 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

int ReportOutputError()
{
    pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    if (poll(&out, 1, 0) < 0)
        return 0;
    if (out.revents & POLLNVAL)
        return EBADF;
    if (out.revents & POLLERR)
        return EPIPE;
    if (out.revents & POLLHUP)
        return EIO;
    return 0;
}

int ReportWriteFailed(int err)
{
    std::cerr << "报告写入失败：" << (err != 0 ? strerror(err) : "标准输出不可写") << "\n";
    return EX_IOERR;
}
