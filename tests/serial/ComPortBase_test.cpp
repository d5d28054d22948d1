// The port object against simulated modems on pseudo-terminals.
#include "ComPortBase.h"
#include "ComPortBaseLinux.h"
#include "term.h"

#include "../PromptCancel.h"
#include "../ReplyFixtures.h"
#include "Pty.h"
#include "SerialTestSupport.h"
#include "SimModem.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <csignal>

#include <atomic>
#include <cerrno>
#include <climits>
#include <memory>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using serial_test::Fd;
using serial_test::WindowPasses;

namespace {

constexpr int SHORT_WINDOW = 20;

sim::SimOptions ModemAt(int baud)
{
    sim::SimOptions o;
    o.baud = baud;
    return o;
}

// Read windows until reply ends with tail; a bounded number of them.
bool ReadUntilTail(CComPortBase& port, std::string& reply, const std::string& tail)
{
    for (int i = 0; i < 500; i++) {
        if (reply.size() >= tail.size() && reply.compare(reply.size() - tail.size(), tail.size(), tail) == 0) {
            return true;
        }
        port.ReadAll(reply);
    }
    return false;
}

class ComPort : public ::testing::Test {
protected:
    void SetUp() override { CComPortBase::ResetAllComPort(); }
    void TearDown() override { CComPortBase::ResetAllComPort(); }
    WindowPasses m_window{SHORT_WINDOW};
};

} // namespace

TEST_F(ComPort, MissingDeviceIsInertAndRecordsNothing)
{
    CComPortBase port("/dev/quenlo-no-such-tty", 9600);
    EXPECT_FALSE(port.IsOpened());
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.Write("AT\r\n"));
    std::string reply = "kept";
    EXPECT_TRUE(port.ReadAll(reply));
    EXPECT_EQ(reply, "kept");
    EXPECT_FALSE(port.IsComError());
    EXPECT_EQ(port.GetErrorMsg(), "");
    EXPECT_TRUE(port.Close());
}

TEST_F(ComPort, OpenSetsRaw8N1AtItsSpeedAndCloseKeepsItWithoutHangup)
{
    const struct {
        int baud;
        speed_t code;
    } rows[] = {{9600, B9600}, {115200, B115200}};
    for (const auto& row : rows) {
        sim::SimModem modem(ModemAt(row.baud));
        CComPortBase port(modem.SlavePath(), row.baud);
        ASSERT_TRUE(port.IsOpened());
        EXPECT_TRUE(port.Open());
        EXPECT_FALSE(port.IsComError());
        termios t = serial_test::LineSettings(modem.SlavePath());
        EXPECT_EQ(cfgetospeed(&t), row.code);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | HUPCL),
                  tcflag_t(CS8 | CLOCAL | HUPCL));
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);

        EXPECT_TRUE(port.Close());
        EXPECT_FALSE(port.IsOpened());
        t = serial_test::LineSettings(modem.SlavePath());
        EXPECT_EQ(cfgetospeed(&t), row.code);
        EXPECT_EQ(t.c_cflag & HUPCL, 0u);
        EXPECT_EQ(t.c_lflag & ICANON, 0u);
    }
}

TEST_F(ComPort, ReadWindowsAppendWhatTheModemSends)
{
    sim::SimModem modem(ModemAt(9600));
    CComPortBase port(modem.SlavePath(), 9600);
    std::string reply;
    ASSERT_TRUE(port.Write("ATE0\r\n"));
    ASSERT_TRUE(ReadUntilTail(port, reply, "OK\r\n"));
    EXPECT_EQ(reply, "ATE0\r\r\nOK\r\n");
    ASSERT_TRUE(port.Write("at+csq\r\n"));
    ASSERT_TRUE(ReadUntilTail(port, reply, "\r\n\r\nOK\r\n"));
    EXPECT_EQ(reply, "ATE0\r\r\nOK\r\n\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    // A quiet line and an empty write leave the reply as it is.
    EXPECT_TRUE(port.Write(""));
    EXPECT_TRUE(port.ReadAll(reply));
    EXPECT_EQ(reply, "ATE0\r\r\nOK\r\n\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    EXPECT_EQ(modem.Received(), kPromptCancel + "ATE0\r\nat+csq\r\n");
}

TEST_F(ComPort, LongListingArrivesWholeAcrossManyReads)
{
    // 25-cmgl-generic-3entries.txt: a three-entry CMGL listing as a module sends it (CR LF),
    // far longer than one read of the port.
    const std::string listing = ReadReplyFixture("25-cmgl-generic-3entries.txt");
    ASSERT_GT(listing.size(), 512u);
    sim::SimOptions o = ModemAt(115200);
    sim::SimRule rule;
    rule.match = "AT+CMGL=4";
    rule.out.bytes = listing;
    o.rules.push_back(rule);
    sim::SimModem modem(o);
    CComPortBase port(modem.SlavePath(), 115200);
    std::string reply;
    ASSERT_TRUE(port.Write("ATE0\r\n"));
    ASSERT_TRUE(ReadUntilTail(port, reply, "OK\r\n"));
    reply.clear();
    ASSERT_TRUE(port.Write("AT+CMGL=4\r\n"));
    ASSERT_TRUE(ReadUntilTail(port, reply, listing.substr(listing.size() - 20)));
    EXPECT_EQ(reply, listing);
}

TEST_F(ComPort, InputArrivingDuringAWriteComesFirstInTheNextRead)
{
    sim::SimModem modem(ModemAt(9600));
    CComPortBase port(modem.SlavePath(), 9600);
    Fd watch(serial_test::OpenLine(modem.SlavePath()));
    const std::string ring = "\r\n+CMTI: \"SM\",1\r\n";
    modem.Inject(ring);
    ASSERT_TRUE(serial_test::WaitPending(watch.get(), static_cast<int>(ring.size()), 2s));
    ASSERT_TRUE(port.Write("ATE0\r\n"));
    std::string reply;
    ASSERT_TRUE(ReadUntilTail(port, reply, "OK\r\n"));
    EXPECT_EQ(reply, ring + "ATE0\r\r\nOK\r\n");
}

TEST_F(ComPort, HangUpEndsTheWindowAndFailsWrites)
{
    sim::SimModem modem(ModemAt(9600));
    CComPortBase port(modem.SlavePath(), 9600);
    std::string reply;
    modem.Inject("\r\nNO CARRIER\r\n");
    ASSERT_TRUE(ReadUntilTail(port, reply, "NO CARRIER\r\n"));
    modem.HangUp();
    // Unbroken, this window would poll for at least 10 s.
    WindowPasses longWindow(20000);
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.ReadAll(reply));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(reply, "\r\nNO CARRIER\r\n");
    EXPECT_FALSE(port.Write("AT\r\n"));
}

TEST_F(ComPort, SeventeenthPortIsRefusedWithCode2)
{
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    std::vector<std::unique_ptr<CComPortBase>> ports;
    for (int i = 0; i < MAX_TERMS + 1; i++) {
        modems.push_back(std::make_unique<sim::SimModem>(ModemAt(9600)));
    }
    for (int i = 0; i < MAX_TERMS; i++) {
        ports.push_back(std::make_unique<CComPortBase>(modems[i]->SlavePath(), 9600));
    }
    CComPortBaseLinux extra(modems[MAX_TERMS]->SlavePath(), 9600);
    EXPECT_FALSE(extra.Open());
    EXPECT_EQ(term_errno, TERM_EFULL);
    // The descriptor stays open with the device's own settings, and no system error happened.
    EXPECT_TRUE(extra.IsOpened());
    EXPECT_TRUE(extra.Open());
    EXPECT_FALSE(extra.IsComError());
    EXPECT_EQ(extra.GetErrorMsg(), "");

    ports[3].reset();
    EXPECT_TRUE(extra.Close());
    EXPECT_TRUE(extra.Open());
    EXPECT_EQ(modems[MAX_TERMS]->LineSpeed(), 9600);
}

TEST_F(ComPort, OnlyAFailedSetupStepRecordsAnError)
{
    // A healthy port never shows an error left in errno by an earlier call.
    sim::SimModem modem(ModemAt(9600));
    errno = EIO;
    CComPortBase healthy(modem.SlavePath(), 9600);
    EXPECT_TRUE(healthy.IsOpened());
    EXPECT_FALSE(healthy.IsComError());
    EXPECT_EQ(healthy.GetErrorMsg(), "");

    // A speed the table does not know fails without a system error.
    sim::SimModem other(ModemAt(9600));
    errno = EIO;
    CComPortBaseLinux oddSpeed(other.SlavePath(), 12345);
    EXPECT_FALSE(oddSpeed.Open());
    EXPECT_FALSE(oddSpeed.IsComError());

    // Not a terminal: the failed terminal check's errno, kept for the life of the object.
    CComPortBaseLinux notTty("/dev/null", 9600);
    EXPECT_FALSE(notTty.Open());
    EXPECT_TRUE(notTty.IsOpened());
    const std::string first = "Code: " + std::to_string(ENOTTY) + "  " + strerror(ENOTTY);
    EXPECT_EQ(notTty.GetErrorMsg(), first);
    EXPECT_TRUE(notTty.Close());
    EXPECT_FALSE(notTty.Open());
    EXPECT_TRUE(notTty.IsComError());
    EXPECT_EQ(notTty.GetErrorMsg(), first);
}

TEST_F(ComPort, LongTextsGoOutWhole)
{
    const struct {
        int baud;
        size_t size;
        int chunk;
    } rows[] = {
        {9600, 600, 960},        // one write
        {9600, 2000, 960},       // beyond the old 508-byte queue
        {9600, 9000, 960},       // more chunks than the fixed passes
        {115200, 30000, 11520},
    };
    for (const auto& row : rows) {
        sim::SimOptions o = ModemAt(row.baud);
        o.silent = true;
        sim::SimModem modem(o);
        CComPortBaseLinux port(modem.SlavePath(), row.baud);
        ASSERT_TRUE(port.Open());
        EXPECT_EQ(port.WriteChunk(), row.chunk);
        std::string text;
        for (size_t i = 0; i < row.size; i++) text += "0123456789ABCDEF"[i % 16];
        EXPECT_TRUE(port.Write(text)) << row.size;
        ASSERT_TRUE(modem.WaitReceived(text, 5s)) << row.size;
        EXPECT_EQ(modem.Received(), kPromptCancel + text);
    }
}

TEST_F(ComPort, WriteThatCannotFinishReportsFailure)
{
    // Nobody reads the master: the line takes bytes until its buffers are full, then none.
    sim::Pty pty;
    CComPortBase port(pty.SlavePath(), 115200);
    ASSERT_TRUE(port.IsOpened());
    EXPECT_FALSE(port.Write(std::string(512 * 1024, 'x')));
    int queued = 0;
    ASSERT_EQ(ioctl(pty.Master(), FIONREAD, &queued), 0);
    EXPECT_LT(queued, 512 * 1024);
}

TEST_F(ComPort, ReadWindowLengthFollowsTime1)
{
    sim::SimOptions o = ModemAt(115200);
    sim::AddRules(o, "AT+SLOW\t=\\p\\r\\nOK\\r\\n\tpause=300\n"
                     "AT+SOON\t=\\p\\r\\nOK\\r\\n\tpause=40\n"
                     "AT+LATE\t=\\p\\r\\nOK\\r\\n\tpause=400\n");
    sim::SimModem modem(o);
    CComPortBase port(modem.SlavePath(), 115200);
    std::string reply;
    ASSERT_TRUE(port.Write("ATE0\r\n"));
    ASSERT_TRUE(ReadUntilTail(port, reply, "OK\r\n"));

    // time1 = 20: a window of a few milliseconds ends long before the answer.
    reply.clear();
    ASSERT_TRUE(port.Write("AT+SLOW\r"));
    port.ReadAll(reply);
    EXPECT_EQ(reply, "");
    ASSERT_TRUE(ReadUntilTail(port, reply, "\r\nOK\r\n"));

    // The default 300 passes last over 150 ms.
    g_nWinUserValue[0] = 0;
    reply.clear();
    ASSERT_TRUE(port.Write("AT+SOON\r"));
    port.ReadAll(reply);
    EXPECT_EQ(reply, "\r\nOK\r\n");

    // time1 = 2000 waits over a second.
    g_nWinUserValue[0] = 2000;
    reply.clear();
    ASSERT_TRUE(port.Write("AT+LATE\r"));
    port.ReadAll(reply);
    EXPECT_EQ(reply, "\r\nOK\r\n");
}

TEST(ReadWindow, Time1SetsThePassesUpToTheCap)
{
    // Unset or below 1: the default; past the cap (about 10 s) the cap, INT_MAX included.
    const struct {
        int time1;
        int passes;
    } cases[] = {
        {0, 300},         {-5, 300},         {INT_MIN, 300},    {20, 20},          {5000, 5000},
        {20000, 20000},   {20001, 20000},    {99999999, 20000}, {INT_MAX, 20000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadWindowPasses(c.time1), c.passes) << c.time1;
}

TEST_F(ComPort, ChunksKeepAWindowOpenOnlyUpToTheCap)
{
    // Every chunk lengthens the window; a module that never stops talking must not hold it
    // for ever.
    g_nWinUserValue[0] = 0;
    sim::SimModem modem(ModemAt(9600));
    CComPortBase port(modem.SlavePath(), 9600);
    std::atomic<bool> done{false};
    std::atomic<bool> talkedOut{false};
    std::thread chatter([&] {
        auto end = std::chrono::steady_clock::now() + 20s;
        while (!done) {
            if (std::chrono::steady_clock::now() > end) {
                talkedOut = true;
                return;
            }
            modem.Inject("x");
            std::this_thread::sleep_for(2ms);
        }
    });
    std::string reply;
    port.ReadAll(reply);
    done = true;
    chatter.join();
    EXPECT_FALSE(talkedOut);
    EXPECT_FALSE(reply.empty());
}

// A stop signal (SIGALRM here) lets a write that has begun go out whole, or the next run's first
// CR would complete half a command; one that has not begun sends nothing and gives up at once,
// also while the line takes nothing.
TEST_F(ComPort, StopSendsNoNewCommandAndNeverHalfOne)
{
    struct sigaction record = {}, saved = {};
    record.sa_handler = [](int signo) { g_nStopSignal = signo; };
    ASSERT_EQ(sigaction(SIGALRM, &record, &saved), 0);
    // The modem's own thread never takes the signal.
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
    sim::SimOptions o = ModemAt(115200);
    o.silent = true;
    sim::SimModem modem(o);
    pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr);
    CComPortBase port(modem.SlavePath(), 115200);
    const std::string text(256 * 1024, 'y');
    // Stopped once its first bytes are out: a timer could fire before the write began.
    std::thread stopper([&, w = pthread_self()] { if (modem.WaitReceived("y", 5s)) pthread_kill(w, SIGALRM); });
    EXPECT_TRUE(port.Write(text));
    const int stopped = g_nStopSignal; // before join(): the handler runs by then either way
    stopper.join();
    EXPECT_NE(stopped, 0) << "the stop came after the write, which tested nothing";
    EXPECT_TRUE(modem.WaitReceived(text, 5s));

    // Nobody reads this line: full once it has taken nothing for 100 ms.
    sim::Pty pty;
    CComPortBase stuck(pty.SlavePath(), 115200);
    Fd filler(serial_test::OpenLine(pty.SlavePath()));
    for (auto taken = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - taken < 100ms;
         std::this_thread::sleep_for(1ms))
        if (write(filler.get(), text.data(), text.size()) > 0)
            taken = std::chrono::steady_clock::now();
    g_nStopSignal = 0;
    ualarm(50000, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(stuck.Write("AT+CMGD=1\r\n"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms) << "not after the second a stuck line is given";
    g_nStopSignal = 0;
    sigaction(SIGALRM, &saved, nullptr);
}
