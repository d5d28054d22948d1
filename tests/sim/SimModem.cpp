#include "SimModem.h"

#include "ModuleTypes.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace sim {

namespace {

std::vector<SimRule> BuildRules(const SimOptions& options, std::string& error)
{
    std::vector<SimRule> rules = options.rules;
    RulesForType(options.type, rules, error);
    return rules;
}

} // namespace

bool AddRules(SimOptions& options, const std::string& text, std::string* error)
{
    std::string why;
    bool ok = ParseRules(text, options.rules, why);
    if (error) {
        *error = why;
    }
    return ok;
}

SimModem::SimModem(SimOptions options)
    : m_options(std::move(options)), m_stopRead(-1), m_stopWrite(-1), m_log(-1),
      m_engine(BuildRules(m_options, m_error))
{
    int stop[2];
    if (!m_pty.Ok() || pipe2(stop, O_CLOEXEC) < 0) {
        m_error = "cannot open a pseudo-terminal";
        return;
    }
    m_stopRead = stop[0];
    m_stopWrite = stop[1];
    if (!m_options.logPath.empty()) {
        m_log = open(m_options.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC,
                     0644);
        if (m_log < 0) {
            m_error = "cannot open log " + m_options.logPath;
        }
    }
    m_thread = std::thread(&SimModem::Run, this);
}

SimModem::~SimModem()
{
    Stop();
    m_pty.Close();
    for (int fd : {m_stopRead, m_stopWrite, m_log}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

bool SimModem::Ok() const
{
    return m_error.empty();
}

const std::string& SimModem::Error() const
{
    return m_error;
}

const std::string& SimModem::SlavePath() const
{
    return m_pty.SlavePath();
}

int SimModem::LineSpeed() const
{
    return m_pty.LineSpeed();
}

std::string SimModem::Received() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_received;
}

bool SimModem::WaitReceived(const std::string& needle, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_arrived.wait_for(lock, timeout,
                              [&] { return m_received.find(needle) != std::string::npos; });
}

void SimModem::Inject(const std::string& bytes)
{
    WriteOut(bytes);
}

bool SimModem::AddRule(const std::string& line)
{
    SimRule rule;
    std::string error;
    if (!ParseRuleLine(line, rule, error)) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_engine.AddRule(std::move(rule));
    return true;
}

void SimModem::HangUp()
{
    Stop();
    std::lock_guard<std::mutex> lock(m_writeLock);
    m_pty.Close();
}

void SimModem::Stop()
{
    if (m_thread.joinable()) {
        char b = 0;
        ssize_t written = write(m_stopWrite, &b, 1);
        (void)written;
        m_thread.join();
    }
}

void SimModem::Run()
{
    pollfd fds[2] = {{m_pty.Master(), POLLIN, 0}, {m_stopRead, POLLIN, 0}};
    char buf[4096];
    for (;;) {
        using namespace std::chrono;
        const int wait = m_noise.noiseMs == 0
                             ? -1
                             : static_cast<int>(std::max<long long>(
                                   0, duration_cast<milliseconds>(m_nextNoise - steady_clock::now()).count()));
        const int ready = poll(fds, 2, wait);
        if (ready < 0 && errno != EINTR) {
            return;
        }
        if (fds[1].revents) {
            return;
        }
        if (ready == 0) {
            // Noise goes out between answers, never inside one.
            if (!WriteOut(m_noise.noise)) {
                return;
            }
            m_nextNoise = steady_clock::now() + milliseconds(m_noise.noiseMs);
            continue;
        }
        if (fds[0].revents & POLLIN) {
            ssize_t n = read(m_pty.Master(), buf, sizeof buf);
            if (n > 0) {
                OnBytes(std::string(buf, static_cast<size_t>(n)));
            }
        } else if (fds[0].revents && !PauseFor(10)) {
            // An error state without data must not spin the loop.
            return;
        }
    }
}

void SimModem::OnBytes(const std::string& bytes)
{
    if (m_log >= 0) {
        // A log that cannot be written loses its bytes; the dialogue goes on as the tool sees it.
        ssize_t written = write(m_log, bytes.data(), bytes.size());
        (void)written;
    }
    std::vector<SimChunk> answer;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_received += bytes;
        m_arrived.notify_all();
        // At another line speed a real module sees only garbage and stays quiet.
        if (m_options.silent || m_pty.LineSpeed() != m_options.baud) {
            return;
        }
        answer = m_engine.Feed(bytes);
        if (m_noise.noiseMs == 0 && m_engine.Noise().noiseMs > 0) {
            m_noise = m_engine.Noise();
            m_nextNoise = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_noise.noiseMs);
        }
        if (!m_options.varsPath.empty() && m_engine.Vars() != m_vars) {
            m_vars = m_engine.Vars();
            std::ofstream vars(m_options.varsPath, std::ios::trunc);
            for (const auto& var : m_vars) {
                vars << var.first << "=" << var.second << "\n";
            }
        }
    }
    for (const SimChunk& chunk : answer) {
        if (!WriteOut(chunk.bytes) || (chunk.pauseMs > 0 && !PauseFor(chunk.pauseMs))) {
            return;
        }
    }
}

bool SimModem::PauseFor(int ms)
{
    pollfd stop = {m_stopRead, POLLIN, 0};
    return poll(&stop, 1, ms) == 0;
}

bool SimModem::WriteOut(const std::string& bytes)
{
    std::lock_guard<std::mutex> lock(m_writeLock);
    size_t done = 0;
    while (done < bytes.size()) {
        int master = m_pty.Master();
        if (master < 0) {
            return false;
        }
        ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        // The tool is not reading: wait for room, unless we are being stopped.
        pollfd fds[2] = {{master, POLLOUT, 0}, {m_stopRead, POLLIN, 0}};
        if (poll(fds, 2, 100) > 0 && fds[1].revents) {
            return false;
        }
    }
    return true;
}

} // namespace sim
