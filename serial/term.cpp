#include "term.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

std::atomic<int> term_errno{TERM_EOK};

const char* const term_err_str[TERM_ERRNO_COUNT] = {
    "No error",
    "Framework is uninitialized",
    "Framework is full",
    "Filedes not in the framework",
    "Filedes already in the framework",
    "Cannot install atexit handler",
    "Filedes is not a tty",
    "Cannot flush the device",
    "Cannot get the device attributes",
    "Cannot set the device attributes",
    "Invalid baud rate",
    "Cannot set the output speed",
    "Cannot set the input speed",
    "Cannot decode speed",
    "Invalid parity mode",
    "Invalid number of databits",
    "Invalid number of stopbits",
    "Invalid flowcontrol mode",
    "Cannot lower DTR",
    "Cannot raise DTR",
    "Cannot get mctl status",
    "Cannot drain the device",
    "Cannot send break sequence",
};

const baud_row_t baud_table[BAUD_TABLE_SIZE] = {
    {0, B0},         {50, B50},       {75, B75},       {110, B110},     {134, B134},
    {150, B150},     {200, B200},     {300, B300},     {600, B600},     {1200, B1200},
    {1800, B1800},   {2400, B2400},   {4800, B4800},   {9600, B9600},   {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200},
};

opt_t opts;

int Bcode(int speed)
{
    for (const baud_row_t& row : baud_table) {
        if (row.speed == speed) {
            return static_cast<int>(row.code);
        }
    }
    return -1;
}

int Bspeed(speed_t code)
{
    for (const baud_row_t& row : baud_table) {
        if (row.code == code) {
            return row.speed;
        }
    }
    return -1;
}

namespace {

struct term_s {
    int init;
    int fd[MAX_TERMS];
    termios origtermios[MAX_TERMS];
    termios currtermios[MAX_TERMS];
    termios nexttermios[MAX_TERMS];
};

term_s term;
// Detection threads set up their ports at once: every table operation runs under this lock,
// so claiming a free entry is indivisible and no entry is read while another thread changes it.
std::mutex term_lock;

int fail(int code)
{
    term_errno = code;
    return -1;
}

int find_locked(int fd)
{
    if (!term.init) {
        return fail(TERM_ENOINIT);
    }
    for (int i = 0; i < MAX_TERMS; i++) {
        if (term.fd[i] == fd) {
            return i;
        }
    }
    return fail(TERM_ENOTFOUND);
}

int find_next_free_locked()
{
    if (!term.init) {
        return fail(TERM_ENOINIT);
    }
    for (int i = 0; i < MAX_TERMS; i++) {
        if (term.fd[i] == -1) {
            return i;
        }
    }
    return fail(TERM_EFULL);
}

// Answers the index of the new entry.
int add_locked(int fd)
{
    if (find_locked(fd) >= 0) {
        return fail(TERM_EEXISTS);
    }
    if (!isatty(fd)) {
        return fail(TERM_EISATTY);
    }
    int i = find_next_free_locked();
    if (i < 0) {
        return -1;
    }
    if (tcgetattr(fd, &term.origtermios[i]) < 0) {
        return fail(TERM_EGETATTR);
    }
    term.currtermios[i] = term.origtermios[i];
    term.nexttermios[i] = term.origtermios[i];
    term.fd[i] = fd;
    return i;
}

void restore_all_locked(const char* func)
{
    for (int i = 0; i < MAX_TERMS; i++) {
        int fd = term.fd[i];
        if (fd == -1) {
            continue;
        }
        tcflush(fd, TCIOFLUSH);
        int r;
        do {
            r = tcsetattr(fd, TCSANOW, &term.origtermios[i]);
        } while (r < 0 && errno == EINTR);
        if (r < 0) {
            int err = errno;
            const char* name = ttyname(fd);
            fprintf(stderr, "%s: reset failed for dev %s: %s\n", func, name ? name : "UNKNOWN",
                    strerror(err));
        }
        term.fd[i] = -1;
    }
}

int set_raw_at(int i)
{
    termios& t = term.nexttermios[i];
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return 0;
}

int set_baudrate_at(int i, int baud)
{
    termios t = term.nexttermios[i];
    int code = Bcode(baud);
    if (code < 0) {
        return fail(TERM_EBAUD);
    }
    if (cfsetospeed(&t, static_cast<speed_t>(code)) < 0) {
        return fail(TERM_ESETOSPEED);
    }
    // B0 makes the input speed follow the output speed.
    cfsetispeed(&t, B0);
    term.nexttermios[i] = t;
    return 0;
}

int set_parity_at(int i, int parity)
{
    tcflag_t& c = term.nexttermios[i].c_cflag;
    switch (parity) {
    case P_NONE:
        c &= ~(PARENB | PARODD | CMSPAR);
        break;
    case P_EVEN:
        c &= ~(PARODD | CMSPAR);
        c |= PARENB;
        break;
    case P_ODD:
        c &= ~CMSPAR;
        c |= PARENB | PARODD;
        break;
    case P_MARK:
        c |= PARENB | PARODD | CMSPAR;
        break;
    case P_SPACE:
        c &= ~PARODD;
        c |= PARENB | CMSPAR;
        break;
    default:
        return fail(TERM_EPARITY);
    }
    return 0;
}

int set_databits_at(int i, int databits)
{
    tcflag_t size;
    switch (databits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return fail(TERM_EDATABITS);
    }
    tcflag_t& c = term.nexttermios[i].c_cflag;
    c = (c & ~CSIZE) | size;
    return 0;
}

int set_stopbits_at(int i, int stopbits)
{
    tcflag_t& c = term.nexttermios[i].c_cflag;
    switch (stopbits) {
    case 1: c &= ~CSTOPB; break;
    case 2: c |= CSTOPB; break;
    default: return fail(TERM_ESTOPBITS);
    }
    return 0;
}

int set_flowcntrl_at(int i, int fc)
{
    termios& t = term.nexttermios[i];
    switch (fc) {
    case FC_NONE:
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        break;
    case FC_RTSCTS:
        t.c_cflag |= CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        break;
    case FC_XONXOFF:
        t.c_cflag &= ~CRTSCTS;
        t.c_iflag |= IXON | IXOFF;
        break;
    default:
        return fail(TERM_EFLOW);
    }
    return 0;
}

void set_cflag_at(int i, tcflag_t flag, int on)
{
    if (on) {
        term.nexttermios[i].c_cflag |= flag;
    } else {
        term.nexttermios[i].c_cflag &= ~flag;
    }
}

// Runs one step on the descriptor's entry under the table lock.
template <typename Step>
int with_entry(int fd, Step step)
{
    std::lock_guard<std::mutex> lock(term_lock);
    int i = find_locked(fd);
    if (i < 0) {
        return -1;
    }
    return step(i);
}

} // namespace

int term_lib_init()
{
    std::lock_guard<std::mutex> lock(term_lock);
    if (term.init) {
        restore_all_locked("term_lib_init");
        return 0;
    }
    for (int& fd : term.fd) {
        fd = -1;
    }
    if (atexit(term_exitfunc) != 0) {
        return fail(TERM_EATEXIT);
    }
    term.init = 1;
    return 0;
}

void term_exitfunc()
{
    std::lock_guard<std::mutex> lock(term_lock);
    if (term.init) {
        restore_all_locked("term_exitfunc");
    }
}

int term_find(int fd)
{
    std::lock_guard<std::mutex> lock(term_lock);
    return find_locked(fd);
}

int term_find_next_free()
{
    std::lock_guard<std::mutex> lock(term_lock);
    return find_next_free_locked();
}

int term_add(int fd)
{
    std::lock_guard<std::mutex> lock(term_lock);
    return add_locked(fd) < 0 ? -1 : 0;
}

int term_set(int fd, int raw, int baud, int parity, int databits, int stopbits, int fc, int local,
             int hupcl)
{
    std::lock_guard<std::mutex> lock(term_lock);
    bool added = false;
    int i = find_locked(fd);
    if (i < 0) {
        i = add_locked(fd);
        if (i < 0) {
            return -1;
        }
        added = true;
    }
    const termios saved = term.nexttermios[i];
    int r = raw ? set_raw_at(i) : 0;
    if (r == 0) r = set_baudrate_at(i, baud);
    if (r == 0) r = set_parity_at(i, parity);
    if (r == 0) r = set_databits_at(i, databits);
    if (r == 0) r = set_stopbits_at(i, stopbits);
    if (r == 0) r = set_flowcntrl_at(i, fc);
    if (r == 0) {
        set_cflag_at(i, CLOCAL, local);
        set_cflag_at(i, HUPCL, hupcl);
        return 0;
    }
    if (added) {
        term.fd[i] = -1;
    } else {
        term.nexttermios[i] = saved;
    }
    return -1;
}

int term_set_raw(int fd)
{
    return with_entry(fd, [](int i) { return set_raw_at(i); });
}

int term_set_baudrate(int fd, int baud)
{
    return with_entry(fd, [baud](int i) { return set_baudrate_at(i, baud); });
}

int term_set_parity(int fd, int parity)
{
    return with_entry(fd, [parity](int i) { return set_parity_at(i, parity); });
}

int term_set_databits(int fd, int databits)
{
    return with_entry(fd, [databits](int i) { return set_databits_at(i, databits); });
}

int term_set_stopbits(int fd, int stopbits)
{
    return with_entry(fd, [stopbits](int i) { return set_stopbits_at(i, stopbits); });
}

int term_set_flowcntrl(int fd, int fc)
{
    return with_entry(fd, [fc](int i) { return set_flowcntrl_at(i, fc); });
}

int term_set_local(int fd, int local)
{
    return with_entry(fd, [local](int i) {
        set_cflag_at(i, CLOCAL, local);
        return 0;
    });
}

int term_set_hupcl(int fd, int on)
{
    return with_entry(fd, [on](int i) {
        set_cflag_at(i, HUPCL, on);
        return 0;
    });
}

int term_apply(int fd, int now)
{
    return with_entry(fd, [fd, now](int i) {
        if (tcsetattr(fd, now ? TCSANOW : TCSAFLUSH, &term.nexttermios[i]) < 0) {
            return fail(TERM_ESETATTR);
        }
        // Keep the device's own view of what it took.
        if (tcgetattr(fd, &term.nexttermios[i]) < 0) {
            return fail(TERM_EGETATTR);
        }
        term.currtermios[i] = term.nexttermios[i];
        return 0;
    });
}

int term_get_baudrate(int fd, int* ispeed)
{
    return with_entry(fd, [ispeed](int i) {
        const termios& t = term.currtermios[i];
        if (ispeed) {
            *ispeed = Bspeed(cfgetispeed(&t));
        }
        int ospeed = Bspeed(cfgetospeed(&t));
        if (ospeed < 0) {
            term_errno = TERM_EGETSPEED;
        }
        return ospeed;
    });
}

int term_flush(int fd)
{
    return with_entry(fd, [fd](int) { return tcflush(fd, TCIOFLUSH) < 0 ? -1 : 0; });
}

int term_erase(int fd)
{
    return with_entry(fd, [](int i) {
        term.fd[i] = -1;
        return 0;
    });
}
