#pragma once
#include "SimRules.h"

#include <map>
#include <string>
#include <vector>

namespace sim {

// What the module sends at one go, then how long it waits before going on.
struct SimChunk {
    std::string bytes;
    int pauseMs = 0;
};

// The command interpreter of the simulated modem, without any I/O: bytes from the tool in,
// echo and answers out. Commands end at CR; echo is on until ATE0. A body after a prompt ends
// at Ctrl-Z and is cancelled by ESC (both as whole characters in a UCS2 body).
class AtEngine {
public:
    explicit AtEngine(std::vector<SimRule> rules);

    // Puts a rule ahead of all others.
    void AddRule(SimRule rule);
    std::vector<SimChunk> Feed(const std::string& in);
    bool Echo() const;
    // What the rules have set so far.
    const std::map<std::string, std::string>& Vars() const;
    // The noise an answer has started (noiseMs 0 while none): the bytes, sent every noiseMs.
    const SimRule& Noise() const;

private:
    void OnCommand(const std::string& line, std::vector<SimChunk>& out);
    void Answer(const std::string& key, std::vector<SimChunk>& out);
    SimRule* Find(const std::string& key);
    // "{MEM}" as the entries storage MEM holds.
    std::string Fill(std::string bytes);
    // What an answer to key changes in the stored counts.
    void Count(const std::string& key, const std::string& bytes, const SimRule& rule);

    std::vector<SimRule> m_rules;
    std::map<std::string, std::string> m_vars;
    std::map<std::string, int> m_stored; // entries per storage, once its selection has told
    SimRule m_noise;
    std::string m_line;
    std::string m_body;
    bool m_echo = true;
    bool m_inBody = false;
    bool m_ucs2Body = false;
};

} // namespace sim
