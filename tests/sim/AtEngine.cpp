#include "AtEngine.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace sim {

namespace {

constexpr char CTRL_Z = 0x1A;
constexpr char ESC = 0x1B;
const char* const BODY_KEY = "<body>";

void Emit(std::vector<SimChunk>& out, const std::string& bytes)
{
    if (bytes.empty()) {
        return;
    }
    if (out.empty() || out.back().pauseMs > 0) {
        out.push_back(SimChunk());
    }
    out.back().bytes += bytes;
}

void Pause(std::vector<SimChunk>& out, int ms)
{
    if (out.empty()) {
        out.push_back(SimChunk());
    }
    out.back().pauseMs += ms;
}

std::string Upper(std::string s)
{
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

} // namespace

AtEngine::AtEngine(std::vector<SimRule> rules) : m_rules(std::move(rules)) {}

void AtEngine::AddRule(SimRule rule)
{
    m_rules.insert(m_rules.begin(), std::move(rule));
}

bool AtEngine::Echo() const
{
    return m_echo;
}

const std::map<std::string, std::string>& AtEngine::Vars() const
{
    return m_vars;
}

const SimRule& AtEngine::Noise() const
{
    return m_noise;
}

std::vector<SimChunk> AtEngine::Feed(const std::string& in)
{
    std::vector<SimChunk> out;
    for (char c : in) {
        // Modules echo each character as it comes, the body of a send command included.
        if (m_echo) {
            Emit(out, std::string(1, c));
        }
        if (m_inBody) {
            m_body += c;
            const size_t unit = m_ucs2Body ? 2 : 1;
            const std::string last = m_body.size() % unit ? "" : m_body.substr(m_body.size() - unit);
            const std::string pad(unit - 1, '\0');
            if (last == pad + CTRL_Z || last == pad + ESC) {
                m_inBody = false;
                m_body.resize(m_body.size() - unit);
                if (last.back() == CTRL_Z) {
                    Answer(BODY_KEY + m_body, out);
                }
                m_body.clear();
            }
            continue;
        }
        if (c == '\r') {
            std::string line;
            line.swap(m_line);
            OnCommand(line, out);
        } else if (!m_line.empty() || !std::isspace(static_cast<unsigned char>(c))) {
            // The LF of "\r\n" and blanks in front of a command are not part of it.
            m_line += c;
        }
    }
    return out;
}

void AtEngine::OnCommand(const std::string& line, std::vector<SimChunk>& out)
{
    // Modules read a command from its attention prefix on and ignore lines without one.
    const size_t at = Upper(line).find("AT");
    if (at == std::string::npos) {
        return;
    }
    const std::string command = line.substr(at);
    const std::string up = Upper(command);
    if (up == "ATE0") {
        m_echo = false;
    } else if (up == "ATE1" || up == "ATE") {
        m_echo = true;
    }
    Answer(command, out);
}

void AtEngine::Answer(const std::string& key, std::vector<SimChunk>& out)
{
    SimRule* rule = Find(key);
    if (!rule) {
        Emit(out, "\r\nERROR\r\n");
        return;
    }
    size_t from = 0;
    for (size_t at : rule->out.pauses) {
        Emit(out, Fill(rule->out.bytes.substr(from, at - from)));
        Pause(out, rule->pauseMs);
        from = at;
    }
    Emit(out, Fill(rule->out.bytes.substr(from)));
    Count(key, rule->out.bytes, *rule);
    m_inBody = rule->prompt;
    m_ucs2Body = rule->ucs2Body;
    for (const auto& var : rule->set) {
        m_vars[var.first] = var.second;
    }
    if (rule->echoOn) {
        m_echo = true;
    }
    if (rule->noiseMs > 0) {
        m_noise = *rule;
    }
    if (rule->times > 0) {
        rule->times--;
    }
}

std::string AtEngine::Fill(std::string bytes)
{
    std::map<std::string, int> counts = m_stored;
    // A storage that no selection has counted yet holds none.
    counts.emplace("ME", 0);
    counts.emplace("SM", 0);
    for (const auto& stored : counts) {
        const std::string name = "{" + stored.first + "}";
        for (size_t at; (at = bytes.find(name)) != std::string::npos;) {
            bytes.replace(at, name.size(), std::to_string(stored.second));
        }
    }
    return bytes;
}

void AtEngine::Count(const std::string& key, const std::string& bytes, const SimRule& rule)
{
    const std::string up = Upper(key);
    const size_t cpms = bytes.find("+CPMS: ");
    if (up.rfind("AT+CPMS=\"", 0) == 0 && cpms != std::string::npos) {
        // The first selection tells what the storage holds.
        m_stored.emplace(up.substr(9, up.find('"', 9) - 9), std::atoi(bytes.c_str() + cpms + 7));
    }
    const size_t ok = bytes.rfind("\r\nOK\r\n");
    if (up.size() > 8 && up.rfind("AT+CMGD=", 0) == 0 && ok != std::string::npos &&
        bytes.find("ERROR", ok) == std::string::npos) {
        int& selected = m_stored[m_vars.count("mem") ? m_vars.at("mem") : ""];
        if (up == "AT+CMGD=0,4") {
            selected = 0;
        } else if (up.find_first_not_of("0123456789", 8) == std::string::npos) {
            selected = std::max(selected - 1, 0);
        }
    }
    for (size_t at = bytes.find("+CMTI: \""); at != std::string::npos; at = bytes.find("+CMTI: \"", at + 1)) {
        m_stored[bytes.substr(at + 8, bytes.find('"', at + 8) - at - 8)]++;
    }
    for (const auto& add : rule.add) {
        m_stored[add.first] += add.second;
    }
}

SimRule* AtEngine::Find(const std::string& key)
{
    for (SimRule& rule : m_rules) {
        if (rule.times == 0 || !MatchPattern(rule.match, key)) {
            continue;
        }
        bool holds = true;
        for (const auto& cond : rule.when) {
            auto it = m_vars.find(cond.first);
            holds = holds && (it == m_vars.end() ? "" : it->second) == cond.second;
        }
        if (holds) {
            return &rule;
        }
    }
    return nullptr;
}

} // namespace sim
