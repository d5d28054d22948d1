#include "ComPortBaseLinux.h"

#include "AppGlobals.h"
#include "PortLocks.h"
#include "term.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/select.h>
#include <unistd.h>

namespace {

// Write chunk of the port that last completed its setup; ports whose setup stopped early use it.
int tty_write_sz = 0;
// Guards opts (the baud handed to term_set) and tty_write_sz: detection threads set up
// ports at 9600 and 115200 at the same time, and each must get its own speed and chunk.
std::mutex s_paramLock;

constexpr int WRITE_PASSES = 5;
constexpr int READ_PASSES = 300;
constexpr int PASSES_PER_CHUNK = 10;
constexpr int MAX_PASSES = 1000;
constexpr int READ_BUF_SIZE = 128;
constexpr useconds_t PASS_SLEEP_US = 500;
constexpr int MIN_WRITE_CHUNK = 8;
// 64 KiB: far more than a module answers to one command.
constexpr int MAX_DISCARD_READS = 512;
// A chunk is what the line carries in one second; a line that takes no byte for that long is stuck.
constexpr std::chrono::seconds WRITE_STALL_LIMIT(1);

// Runs wait for each other port by port, each at most this long per device.
CPortLocks s_portLocks(std::chrono::minutes(10));
const char* const PORT_BUSY_TEXT = "端口正被其他程序使用，等待超时";

// One read of what has arrived, appended to into; each chunk lengthens the loop by some
// passes, up to the cap. False when the loop must end: hang-up (0 bytes) or a read error.
bool ReadArrived(int fd, std::string& into, int& passLimit)
{
    char buf[READ_BUF_SIZE] = {};
    ssize_t n;
    do {
        n = read(fd, buf, sizeof buf);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        into.append(buf, static_cast<size_t>(n));
        passLimit = std::min(passLimit + PASSES_PER_CHUNK, MAX_PASSES);
        return true;
    }
    return n < 0 && errno == EAGAIN;
}

} // namespace

int ReadWindowPasses(int time1)
{
    return time1 > 0 ? std::min(time1, MAX_WINDOW_PASSES) : READ_PASSES;
}

CComPortBaseLinux::CComPortBaseLinux(std::string portName, int baud)
    : m_nErrorCode(0), m_strPortName(std::move(portName)), m_nBaud(baud), m_fd(-1),
      m_nWriteChunk(-1)
{
}

CComPortBaseLinux::~CComPortBaseLinux()
{
    Close();
}

void CComPortBaseLinux::ResetAllComPort()
{
    term_lib_init();
}

void CComPortBaseLinux::ResetPortWaits()
{
    s_portLocks.Reset();
}

bool CComPortBaseLinux::Open()
{
    if (m_fd != -1) {
        return true;
    }
    // No child inherits the port, nor with it the lock.
    m_fd = open(m_strPortName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd == -1) {
        return false;
    }
    // Before any setting, flush or write: another run may be in the middle of a dialogue here.
    if (!s_portLocks.Lock(m_fd, m_strPortName)) {
        close(m_fd);
        m_fd = -1;
        RecordError(EWOULDBLOCK, PORT_BUSY_TEXT);
        return false;
    }
    // A port whose settings fail stays open with the device's own settings.
    if (!SetParam()) {
        return false;
    }
    CancelPendingPrompt();
    return true;
}

void CComPortBaseLinux::CancelPendingPrompt()
{
    // ESC cancels a pending GSM prompt, 00 1B a CDMA prompt that takes UCS2 text; CR ends the
    // line for a module in command mode. Its answer is dropped so that it never judges a command.
    Write(std::string("\x00\x1B\r", 3));
    std::string answer;
    Read(answer);
}

bool CComPortBaseLinux::SetParam()
{
    m_nWriteChunk = -1;
    {
        std::lock_guard<std::mutex> lock(s_paramLock);
        opts.baud = m_nBaud;
        // Only the error of the step that fails is recorded, never one left by an earlier call.
        errno = 0;
        if (term_set(m_fd, 1, opts.baud, opts.parity, opts.databits, opts.stopbits, opts.flow, 1,
                     opts.noreset ? 0 : 1) < 0) {
            HandleError();
            return false;
        }
    }
    // TCSAFLUSH: whatever the modem sent before we owned the line is dropped.
    errno = 0;
    if (term_apply(m_fd, 0) < 0) {
        HandleError();
        return false;
    }
    int chunk = std::max(term_get_baudrate(m_fd, nullptr) / 10, MIN_WRITE_CHUNK);
    {
        std::lock_guard<std::mutex> lock(s_paramLock);
        tty_write_sz = chunk;
    }
    m_nWriteChunk = chunk;
    return true;
}

void CComPortBaseLinux::HandleError()
{
    int err = errno;
    if (err != 0) {
        RecordError(err, strerror(err));
    }
}

void CComPortBaseLinux::RecordError(int code, const char* text)
{
    if (m_nErrorCode != 0) {
        return;
    }
    m_nErrorCode = code;
    char prefix[32];
    snprintf(prefix, sizeof prefix, "Code: %d  ", code);
    m_strErrorMsg = std::string(prefix) + text;
}

bool CComPortBaseLinux::Close()
{
    if (m_fd == -1) {
        return true;
    }
    // HUPCL off so closing does not drop DTR and reset the module.
    term_set_hupcl(m_fd, 0);
    term_flush(m_fd);
    term_apply(m_fd, 1);
    term_erase(m_fd);
    close(m_fd);
    m_fd = -1;
    return true;
}

bool CComPortBaseLinux::IsOpened()
{
    return m_fd != -1;
}

int CComPortBaseLinux::WriteChunk() const
{
    if (m_nWriteChunk >= 0) {
        return m_nWriteChunk;
    }
    std::lock_guard<std::mutex> lock(s_paramLock);
    return tty_write_sz;
}

bool CComPortBaseLinux::Write(std::string text)
{
    if (m_fd == -1) {
        return false;
    }
    std::string queue = std::move(text);
    const size_t length = queue.size();
    const size_t chunk = static_cast<size_t>(WriteChunk());
    // select leaves the unspent time in tv, so the 1 ms is a budget for the whole call.
    timeval tv = {0, 1000};
    int passLimit = WRITE_PASSES;
    auto lastProgress = std::chrono::steady_clock::now();
    // Past the fixed passes, go on only while bytes are queued and the line still takes them.
    for (int counter = 0;
         counter < passLimit ||
         (!queue.empty() && std::chrono::steady_clock::now() - lastProgress < WRITE_STALL_LIMIT);
         counter++) {
        // A run asked to stop writes no new command, also while the line takes nothing; one
        // that has begun goes out whole, or the next run's first line end would complete it.
        if (queue.size() == length && g_nStopSignal != 0) {
            return false;
        }
        fd_set rfds, wfds, efds;
        FD_ZERO(&rfds);
        FD_ZERO(&wfds);
        FD_ZERO(&efds);
        FD_SET(m_fd, &rfds);
        FD_SET(m_fd, &efds);
        if (!queue.empty()) {
            FD_SET(m_fd, &wfds);
        }
        if (select(m_fd + 1, &rfds, &wfds, &efds, &tv) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        // The modem may talk while we write (echo, unsolicited lines): keep it for the next read.
        if (FD_ISSET(m_fd, &rfds) && !ReadArrived(m_fd, m_strKeepInput, passLimit)) {
            return false;
        }
        if (FD_ISSET(m_fd, &wfds)) {
            ssize_t n;
            do {
                n = write(m_fd, queue.data(), std::min(queue.size(), chunk));
            } while (n < 0 && errno == EINTR);
            if (n <= 0) {
                return false;
            }
            queue.erase(0, static_cast<size_t>(n));
            lastProgress = std::chrono::steady_clock::now();
            usleep(PASS_SLEEP_US);
        }
        if (FD_ISSET(m_fd, &efds)) {
            return false;
        }
        usleep(PASS_SLEEP_US);
    }
    return queue.empty();
}

void CComPortBaseLinux::Read(std::string& reply)
{
    int passLimit = ReadWindowPasses(g_nWinUserValue[0]);
    // Input the write read counts as if it came in this window's first pass: a module that
    // answers at once costs no more than one that answers a little later.
    if (!m_strKeepInput.empty()) {
        passLimit = std::min(passLimit + PASSES_PER_CHUNK, MAX_PASSES);
    }
    reply += m_strKeepInput;
    m_strKeepInput.clear();
    if (m_fd == -1) {
        return;
    }
    timeval tv = {0, 1000};
    usleep(PASS_SLEEP_US);
    // The window runs its passes even when the reply looks complete: judging it is the driver's
    // work. A run asked to stop leaves at once, whatever the window's length.
    for (int counter = 0; counter < passLimit && g_nStopSignal == 0; counter++) {
        fd_set rfds, efds;
        FD_ZERO(&rfds);
        FD_ZERO(&efds);
        FD_SET(m_fd, &rfds);
        FD_SET(m_fd, &efds);
        if (select(m_fd + 1, &rfds, nullptr, &efds, &tv) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (FD_ISSET(m_fd, &rfds) && !ReadArrived(m_fd, reply, passLimit)) {
            return;
        }
        if (FD_ISSET(m_fd, &efds)) {
            return;
        }
        usleep(PASS_SLEEP_US);
    }
}

bool CComPortBaseLinux::ReadAll(std::string& reply)
{
    std::string text;
    Read(text);
    reply += text;
    usleep(1);
    return true;
}

std::string CComPortBaseLinux::DiscardInput()
{
    std::string dropped;
    dropped.swap(m_strKeepInput);
    if (m_fd == -1) {
        return dropped;
    }
    // Bounded, so a module that never stops talking cannot hold the caller here.
    char buf[READ_BUF_SIZE];
    for (int i = 0; i < MAX_DISCARD_READS; i++) {
        ssize_t n;
        do {
            n = read(m_fd, buf, sizeof buf);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            break;
        }
        dropped.append(buf, static_cast<size_t>(n));
    }
    return dropped;
}

bool CComPortBaseLinux::IsComError() const
{
    return m_nErrorCode != 0;
}

std::string CComPortBaseLinux::GetErrorMsg() const
{
    return m_strErrorMsg;
}
