#include "SimRules.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace sim {

namespace {

bool IsFinalResult(const std::string& line)
{
    return line == "OK" || line == "ERROR" || line.rfind("+CME ERROR:", 0) == 0 ||
           line.rfind("+CMS ERROR:", 0) == 0;
}

// Inserts s at pos; a pause at pos stays in front of s.
void Insert(SimReply& r, size_t pos, const std::string& s)
{
    r.bytes.insert(pos, s);
    for (size_t& p : r.pauses) {
        if (p > pos) {
            p += s.size();
        }
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool ParseNumber(const std::string& s, int min, int& value)
{
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end != '\0' || v < min || v > 1000000) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool ParseVar(const std::string& s, std::pair<std::string, std::string>& var)
{
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    var = {s.substr(0, colon), s.substr(colon + 1)};
    return true;
}

bool ParseOptions(const std::string& text, SimRule& rule, std::string& error)
{
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        size_t eq = word.find('=');
        std::string key = word.substr(0, eq);
        std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
        std::pair<std::string, std::string> var;
        bool ok = true;
        if (key == "times") {
            ok = ParseNumber(value, 1, rule.times);
        } else if (key == "pause") {
            ok = ParseNumber(value, 0, rule.pauseMs);
        } else if (key == "body" && value == "ucs2") {
            rule.ucs2Body = true;
        } else if (key == "echo" && value == "on") {
            rule.echoOn = true;
        } else if (key == "if" && ParseVar(value, var)) {
            rule.when.push_back(var);
        } else if (key == "set" && ParseVar(value, var)) {
            rule.set.push_back(var);
        } else if (key == "add" && ParseVar(value, var)) {
            char* end = nullptr;
            rule.add.emplace_back(var.first, static_cast<int>(std::strtol(var.second.c_str(), &end, 10)));
            ok = !var.second.empty() && *end == '\0';
        } else if (key == "noise" && ParseVar(value, var)) {
            SimReply noise;
            ok = ParseNumber(var.first, 1, rule.noiseMs) && DecodeEscapes(var.second, noise, error) &&
                 noise.pauses.empty() && !noise.bytes.empty();
            rule.noise = noise.bytes;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "bad option \"" + word + "\"";
            return false;
        }
    }
    return true;
}

} // namespace

bool DecodeEscapes(const std::string& text, SimReply& out, std::string& error)
{
    out = SimReply();
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c != '\\') {
            out.bytes += c;
            continue;
        }
        char e = i + 1 < text.size() ? text[++i] : '\0';
        switch (e) {
        case 'r': out.bytes += '\r'; break;
        case 'n': out.bytes += '\n'; break;
        case 't': out.bytes += '\t'; break;
        case '\\': out.bytes += '\\'; break;
        case 'p': out.pauses.push_back(out.bytes.size()); break;
        case 'x': {
            int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                error = "\\x needs two hex digits";
                return false;
            }
            out.bytes += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            error = std::string("unknown escape \\") + e;
            return false;
        }
    }
    return true;
}

SimReply FrameReply(SimReply r)
{
    size_t lineStart = r.bytes.rfind("\r\n");
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 2;
    if (IsFinalResult(r.bytes.substr(lineStart))) {
        // Information text and final result each come framed by their own line ends.
        if (lineStart > 0) {
            Insert(r, lineStart, "\r\n");
        }
        Insert(r, r.bytes.size(), "\r\n");
    } else if (r.bytes.empty()) {
        Insert(r, 0, "OK\r\n");
    } else {
        Insert(r, r.bytes.size(), "\r\n\r\nOK\r\n");
    }
    Insert(r, 0, "\r\n");
    return r;
}

bool MatchPattern(const std::string& pattern, const std::string& line)
{
    bool prefix = !pattern.empty() && pattern.back() == '*';
    size_t n = prefix ? pattern.size() - 1 : pattern.size();
    if (prefix ? line.size() < n : line.size() != n) {
        return false;
    }
    for (size_t i = 0; i < n; i++) {
        if (std::toupper(static_cast<unsigned char>(pattern[i])) !=
            std::toupper(static_cast<unsigned char>(line[i]))) {
            return false;
        }
    }
    return true;
}

bool ParseRuleLine(const std::string& line, SimRule& rule, std::string& error)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    if (fields.size() > 3 || fields[0].empty()) {
        error = "expected MATCH<TAB>REPLY[<TAB>OPTIONS]";
        return false;
    }
    rule = SimRule();
    rule.match = fields[0];
    std::string reply = fields.size() > 1 ? fields[1] : "";
    if (fields.size() > 2 && !ParseOptions(fields[2], rule, error)) {
        return false;
    }
    if (!reply.empty() && reply[0] == '=') {
        return DecodeEscapes(reply.substr(1), rule.out, error);
    }
    SimReply text;
    if (!DecodeEscapes(reply, text, error)) {
        return false;
    }
    rule.prompt = text.bytes == ">";
    if (rule.prompt) {
        Insert(text, 0, "\r\n");
        Insert(text, text.bytes.size(), " ");
        rule.out = std::move(text);
        return true;
    }
    rule.out = FrameReply(std::move(text));
    return true;
}

bool ParseRules(const std::string& text, std::vector<SimRule>& rules, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); number++) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        SimRule rule;
        std::string why;
        if (!ParseRuleLine(line, rule, why)) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        rules.push_back(std::move(rule));
    }
    return true;
}

} // namespace sim
