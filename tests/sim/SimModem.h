#pragma once
// A simulated modem on a pseudo-terminal, for tests of everything that talks to a port.
//
//   sim::SimOptions o;                  // generic module at 9600 baud
//   o.baud = 115200;                    // answers only while the line is set to this speed
//   sim::AddRules(o, "AT+CSQ\t+CSQ: 31,99");   // ahead of the module type's rules
//   sim::SimModem modem(o);
//   CComPortBase port(modem.SlavePath(), 115200);
//   ...
//   EXPECT_EQ(modem.Received(), "ATE0\r\nAT\r\n");   // every byte the tool wrote
//
// Rule text is described in SimRules.h; module types are listed in ModuleTypes.cpp.
// The modem keeps the line's slave end open itself, so it never sees the tool close the port:
// a prompt the tool leaves pending (killed while the module waits for a body) is still pending
// for the next run, as on a real module.
#include "AtEngine.h"
#include "Pty.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

struct SimOptions {
    int baud = 9600;
    std::string type = "generic";
    std::vector<SimRule> rules; // ahead of the type's rules, in this order
    bool silent = false;        // records what the tool writes, never answers
    std::string logPath;        // when set, every byte the tool writes is appended there at once
    std::string varsPath;       // when set, holds the rules' variables ("VAR=VALUE" lines) as they change
};

// Parses rule text into options.rules; false (with error) on a malformed line.
bool AddRules(SimOptions& options, const std::string& text, std::string* error = nullptr);

class SimModem {
public:
    explicit SimModem(SimOptions options = SimOptions());
    ~SimModem();
    SimModem(const SimModem&) = delete;
    SimModem& operator=(const SimModem&) = delete;

    // False when the pty, the module type or the log could not be set up (see Error).
    bool Ok() const;
    const std::string& Error() const;
    const std::string& SlavePath() const;
    int LineSpeed() const;

    std::string Received() const;
    // Waits until the tool has written needle, at most timeout.
    bool WaitReceived(const std::string& needle, std::chrono::milliseconds timeout) const;
    // Sends bytes now, as an unsolicited line would come.
    void Inject(const std::string& bytes);
    // Puts one rule line ahead of all others.
    bool AddRule(const std::string& line);
    // Closes the line: the tool's reads see the hang-up. The recorded bytes stay.
    void HangUp();

private:
    void Run();
    void OnBytes(const std::string& bytes);
    bool WriteOut(const std::string& bytes);
    bool PauseFor(int ms);
    void Stop();

    SimOptions m_options;
    std::string m_error;
    Pty m_pty;
    int m_stopRead;
    int m_stopWrite;
    int m_log;

    mutable std::mutex m_lock; // m_received, m_engine, m_vars
    mutable std::condition_variable m_arrived;
    std::string m_received;
    std::map<std::string, std::string> m_vars; // as last written to varsPath
    AtEngine m_engine;
    std::mutex m_writeLock; // writes to the master, so injected bytes never split a reply
    // Noise an answer started, and when it next goes out; the modem's own thread only.
    SimRule m_noise;
    std::chrono::steady_clock::time_point m_nextNoise;
    std::thread m_thread;
};

} // namespace sim
