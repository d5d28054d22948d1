// The terminal-settings table against real pseudo-terminals.
#include "term.h"

#include "Pty.h"
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using serial_test::Fd;

namespace {

// A pseudo-terminal and the test's descriptor of its slave, as a port would hold it; like a
// port, it leaves the table before closing the descriptor.
struct Line {
    sim::Pty pty;
    Fd fd{serial_test::OpenLine(pty.SlavePath())};
    ~Line() { term_erase(fd.get()); }
};

termios DeviceSettings(int fd)
{
    termios t = {};
    tcgetattr(fd, &t);
    return t;
}

int Set(int fd, int baud, int parity = P_NONE, int databits = 8, int stopbits = 1,
        int fc = FC_NONE)
{
    return term_set(fd, 1, baud, parity, databits, stopbits, fc, 1, 1);
}

class TermTable : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(term_lib_init(), 0); }
    // Nothing is left for the exit restore of this process.
    void TearDown() override { term_lib_init(); }
};

} // namespace

TEST(TermBeforeInit, LookupsFailWithCode1)
{
    // A fresh process: the table is initialised by nobody yet.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Line line;
            int fds[2];
            bool ok = pipe(fds) == 0;
            ok = ok && term_find(line.fd.get()) == -1 && term_errno == TERM_ENOINIT;
            ok = ok && term_find_next_free() == -1 && term_errno == TERM_ENOINIT;
            ok = ok && Set(line.fd.get(), 9600) == -1 && term_errno == TERM_ENOINIT;
            // Not a terminal is noticed before the table is.
            ok = ok && Set(fds[0], 9600) == -1 && term_errno == TERM_EISATTY;
            exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TermTable, AppliedSettingsReachTheDevice)
{
    // A pty always runs CS8 without PARENB; every other bit is kept as applied.
    struct Row {
        int baud, parity, stopbits, fc, local, hupcl;
        speed_t speed;
        tcflag_t cset, cclear, iset, iclear;
    };
    const Row rows[] = {
        {9600, P_NONE, 1, FC_NONE, 1, 1, B9600, CLOCAL | HUPCL, PARODD | CMSPAR | CSTOPB | CRTSCTS,
         0, IXON | IXOFF | IXANY},
        {115200, P_EVEN, 2, FC_RTSCTS, 0, 0, B115200, CSTOPB | CRTSCTS,
         PARODD | CMSPAR | CLOCAL | HUPCL, 0, IXON | IXOFF},
        {19200, P_ODD, 1, FC_XONXOFF, 1, 0, B19200, PARODD | CLOCAL, CMSPAR | CRTSCTS | HUPCL,
         IXON | IXOFF, 0},
        {4800, P_MARK, 1, FC_NONE, 1, 1, B4800, PARODD | CMSPAR, 0, 0, 0},
        {57600, P_SPACE, 1, FC_NONE, 1, 1, B57600, CMSPAR, PARODD, 0, 0},
    };
    for (const Row& r : rows) {
        Line line;
        int fd = line.fd.get();
        ASSERT_EQ(term_set(fd, 1, r.baud, r.parity, 7, r.stopbits, r.fc, r.local, r.hupcl), 0);
        ASSERT_EQ(term_apply(fd, 0), 0);
        termios t = DeviceSettings(fd);
        EXPECT_EQ(cfgetospeed(&t), r.speed) << r.baud;
        EXPECT_EQ(t.c_cflag & r.cset, r.cset) << r.baud;
        EXPECT_EQ(t.c_cflag & r.cclear, 0u) << r.baud;
        EXPECT_EQ(t.c_iflag & r.iset, r.iset) << r.baud;
        EXPECT_EQ(t.c_iflag & r.iclear, 0u) << r.baud;
        // Raw: no line editing, no echo, no output processing, one byte is enough for a read.
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        int ispeed = -1;
        EXPECT_EQ(term_get_baudrate(fd, &ispeed), r.baud);
        EXPECT_EQ(ispeed, r.baud);
    }
}

TEST_F(TermTable, FailedSetLeavesTheTableAsItWas)
{
    struct Row {
        int baud, parity, databits, stopbits, fc;
        int code;
    };
    const Row rows[] = {
        {12345, P_NONE, 8, 1, FC_NONE, TERM_EBAUD},
        {115200, 5, 8, 1, FC_NONE, TERM_EPARITY}, // the speed of the same call is undone too
        {115200, P_NONE, 9, 1, FC_NONE, TERM_EDATABITS},
        {115200, P_NONE, 8, 3, FC_NONE, TERM_ESTOPBITS},
        {115200, P_NONE, 8, 1, 3, TERM_EFLOW},
    };
    Line other;
    ASSERT_EQ(Set(other.fd.get(), 19200), 0);
    for (const Row& r : rows) {
        // A new descriptor is not managed afterwards.
        Line fresh;
        EXPECT_EQ(Set(fresh.fd.get(), r.baud, r.parity, r.databits, r.stopbits, r.fc), -1);
        EXPECT_EQ(term_errno, r.code);
        EXPECT_EQ(term_find(fresh.fd.get()), -1);

        // A managed descriptor keeps its next settings exactly: applying them gives 9600 raw.
        Line managed;
        int fd = managed.fd.get();
        ASSERT_EQ(Set(fd, 9600), 0);
        EXPECT_EQ(Set(fd, r.baud, r.parity, r.databits, r.stopbits, r.fc), -1);
        EXPECT_EQ(term_errno, r.code);
        ASSERT_GE(term_find(fd), 0);
        ASSERT_EQ(term_apply(fd, 1), 0);
        termios t = DeviceSettings(fd);
        EXPECT_EQ(cfgetospeed(&t), B9600) << r.code;
        EXPECT_EQ(t.c_cflag & (PARENB | CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8)) << r.code;
        term_erase(fd);
    }
    EXPECT_GE(term_find(other.fd.get()), 0);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    Fd in(fds[0]), out(fds[1]);
    EXPECT_EQ(Set(in.get(), 9600), -1);
    EXPECT_EQ(term_errno, TERM_EISATTY);
    EXPECT_EQ(term_find(in.get()), -1);
}

TEST_F(TermTable, SeventeenthDescriptorFindsTheTableFull)
{
    std::vector<std::unique_ptr<Line>> lines;
    for (int i = 0; i < MAX_TERMS + 1; i++) {
        lines.push_back(std::make_unique<Line>());
    }
    for (int i = 0; i < MAX_TERMS; i++) {
        ASSERT_EQ(Set(lines[i]->fd.get(), 9600), 0) << i;
    }
    const int extra = lines[MAX_TERMS]->fd.get();
    EXPECT_EQ(Set(extra, 9600), -1);
    EXPECT_EQ(term_errno, TERM_EFULL);
    EXPECT_EQ(term_find(extra), -1);
    for (int i = 0; i < MAX_TERMS; i++) {
        EXPECT_EQ(term_find(lines[i]->fd.get()), i);
    }
    // Freeing any entry makes room, and the newcomer takes that entry.
    ASSERT_EQ(term_erase(lines[5]->fd.get()), 0);
    EXPECT_EQ(term_find_next_free(), 5);
    EXPECT_EQ(Set(extra, 9600), 0);
    EXPECT_EQ(term_find(extra), 5);
}

TEST_F(TermTable, SpeedIsReportedFromTheAppliedSettings)
{
    Line line;
    int fd = line.fd.get();
    EXPECT_EQ(term_add(fd), 0);
    EXPECT_EQ(term_add(fd), -1);
    EXPECT_EQ(term_errno, TERM_EEXISTS);
    ASSERT_EQ(Set(fd, 9600), 0);
    ASSERT_EQ(term_apply(fd, 0), 0);
    // A second set finds the entry and changes only the next settings.
    ASSERT_EQ(Set(fd, 115200), 0);
    EXPECT_EQ(term_get_baudrate(fd, nullptr), 9600);
    ASSERT_EQ(term_apply(fd, 1), 0);
    EXPECT_EQ(term_get_baudrate(fd, nullptr), 115200);
    EXPECT_EQ(term_set_baudrate(fd, 7), -1);
    EXPECT_EQ(term_errno, TERM_EBAUD);
    term_erase(fd);
    EXPECT_EQ(term_get_baudrate(fd, nullptr), -1);
    EXPECT_EQ(term_errno, TERM_ENOTFOUND);
}

TEST_F(TermTable, ApplyWithFlushDropsInputNotYetRead)
{
    Line line;
    int fd = line.fd.get();
    ASSERT_EQ(Set(fd, 9600), 0);
    ASSERT_EQ(term_apply(fd, 1), 0);
    ASSERT_EQ(write(line.pty.Master(), "RING\r\n", 6), 6);
    ASSERT_TRUE(serial_test::WaitPending(fd, 6, 2s));
    ASSERT_EQ(term_apply(fd, 0), 0);
    char c;
    EXPECT_EQ(read(fd, &c, 1), -1);
    EXPECT_EQ(errno, EAGAIN);
    term_erase(fd);
}

TEST_F(TermTable, RestoreGivesBackTheFirstSettingsAndForgets)
{
    // The device starts cooked at 38400; the process runs it raw at 9600.
    Line kept, erased;
    for (Line* l : {&kept, &erased}) {
        termios t = DeviceSettings(l->fd.get());
        t.c_lflag |= ICANON | ECHO;
        cfsetospeed(&t, B38400);
        cfsetispeed(&t, B38400);
        ASSERT_EQ(tcsetattr(l->fd.get(), TCSANOW, &t), 0);
        ASSERT_EQ(Set(l->fd.get(), 9600), 0);
        ASSERT_EQ(term_apply(l->fd.get(), 0), 0);
    }
    // An erased device keeps what it last had.
    ASSERT_EQ(term_erase(erased.fd.get()), 0);
    // Same loop as at exit.
    term_exitfunc();
    termios t = DeviceSettings(kept.fd.get());
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_NE(t.c_lflag & ICANON, 0u);
    t = DeviceSettings(erased.fd.get());
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_lflag & ICANON, 0u);
    EXPECT_EQ(term_find(kept.fd.get()), -1);
    EXPECT_EQ(term_errno, TERM_ENOTFOUND);
}

TEST_F(TermTable, FailedRestoreIsReportedAndTheEntryFreed)
{
    sim::Pty pty;
    const int fd = serial_test::OpenLine(pty.SlavePath());
    ASSERT_EQ(Set(fd, 9600), 0);
    // Captured first: the capture's own file would take the freed descriptor number.
    ::testing::internal::CaptureStderr();
    close(fd); // behind the table's back
    EXPECT_EQ(term_lib_init(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "term_lib_init: reset failed for dev UNKNOWN: Bad file descriptor\n");
    EXPECT_EQ(term_find(fd), -1);
    EXPECT_EQ(term_find_next_free(), 0);
}

TEST_F(TermTable, ExitRestoresDevicesStillManaged)
{
    Line line;
    const int fd = line.fd.get();
    termios before = DeviceSettings(fd);
    // Forked, so the child works on this very line.
    GTEST_FLAG_SET(death_test_style, "fast");
    // The child sets the line raw at 115200 and exits without closing: the handler
    // registered at init puts the device back.
    EXPECT_EXIT(
        {
            bool ok = Set(fd, 115200) == 0 && term_apply(fd, 0) == 0;
            exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    termios after = DeviceSettings(fd);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
}
