#pragma once
// Rules of the simulated modem: what it answers to each command line.
//
// Rule text (rule files, module types, --ati), one rule a line:
//
//   # comment; blank lines are skipped
//   MATCH<TAB>REPLY[<TAB>OPTIONS]
//
// MATCH   a command line as the module receives it, from its "AT" on (bytes in front of it, such
//         as the tool's NUL ESC, are dropped; a line without "AT" is ignored) and without its
//         CR; compared without regard to case, as modules do.
//         A trailing "*" matches any rest: "AT+CMGR=*". "<body>" followed by a pattern matches
//         the body of a send command (what follows the ">" prompt, up to Ctrl-Z excluded).
// REPLY   escapes \r \n \t \\ \xHH; \p is a pause: the bytes before it are written, then the
//         module waits 20 ms (or pause=MS), so a reply reaches the tool in several pieces.
//         Framed the way a module in verbose mode answers: "\r\n<text>\r\n", then the final
//         result "\r\nOK\r\n"; an empty REPLY (or no TAB at all) gives "\r\nOK\r\n" alone.
//         When the last line of REPLY is itself a final result (OK, ERROR, +CME ERROR: n,
//         +CMS ERROR: n) it takes the place of OK: "+CMS ERROR: 500" gives "\r\n+CMS ERROR: 500\r\n".
//         "=" in front: the rest is sent as raw bytes, unframed ("=" alone is silence), e.g.
//         =\r\n+CSQ: 2\p0,99\r\n\r\n+CMTI: "SM",3\r\n\r\nOK\r\n  (split, unsolicited line inside).
//         ">" alone: the prompt "\r\n> ", then the module takes a body up to Ctrl-Z and answers
//         it with the first matching "<body>" rule; ESC cancels the body: nothing is sent and
//         nothing answered. With pauses in front ("\p>") the module is in body mode while it
//         waits. Closing the port never ends a body (see SimModem.h).
// OPTIONS blank-separated: times=N (the rule answers N times, then is spent),
//         if=VAR:VALUE (only while the variable holds VALUE; unset variables hold ""),
//         set=VAR:VALUE (after answering), pause=MS (length of each \p), body=ucs2 (the
//         prompt takes UCS2 text, in whole characters: 00 1A ends it, 00 1B cancels it, and a
//         1A byte inside a character such as U+4E1A is text), echo=on (after answering the
//         module echoes again: it restarted with its power-on settings), add=MEM:N (after
//         answering, storage MEM holds N entries more; N may be negative), noise=MS:TEXT (from
//         then on the module sends TEXT, escapes as in REPLY without \p, every MS ms between its
//         answers, as long as it runs).
//
// Stored entries: what a storage's first selection answered ("+CPMS: 3,..."), less one per
// "AT+CMGD=<index>" answered OK in the storage variable mem names, none after an "AT+CMGD=0,4"
// answered OK there, plus one per "+CMTI: "MEM"," sent, plus add= (a delete-all answered OK but
// not done: add=SM:5). "{MEM}" in a REPLY is that count: AT+CPMS?	+CPMS: "SM",{SM},50	if=mem:SM.
//
// The first rule that matches answers; a command no rule matches gets "\r\nERROR\r\n".
// Storage-dependent listings, for instance:
//   AT+CPMS="SM"*	+CPMS: 1,50,1,50,1,50	set=mem:SM
//   AT+CMGL=4	+CMGL: 1,1,,25\r\n0791...	if=mem:SM
#include <string>
#include <utility>
#include <vector>

namespace sim {

// Bytes to send, with the offsets at which the module pauses before going on.
struct SimReply {
    std::string bytes;
    std::vector<size_t> pauses;
};

struct SimRule {
    std::string match;
    SimReply out;        // exactly what the module sends
    bool prompt = false; // take a body up to Ctrl-Z after sending out
    bool ucs2Body = false;
    bool echoOn = false; // echo is on again after the answer
    int times = -1;      // answers left; -1 is no limit
    int pauseMs = 20;
    std::vector<std::pair<std::string, std::string>> when;
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::pair<std::string, int>> add;
    std::string noise; // sent every noiseMs from the answer on
    int noiseMs = 0;
};

// Appends the rules of text; false with a message naming the line when one is malformed.
bool ParseRules(const std::string& text, std::vector<SimRule>& rules, std::string& error);
bool ParseRuleLine(const std::string& line, SimRule& rule, std::string& error);
bool DecodeEscapes(const std::string& text, SimReply& out, std::string& error);
// Frames information text and final result as a module in verbose mode sends them.
SimReply FrameReply(SimReply text);
bool MatchPattern(const std::string& pattern, const std::string& line);

} // namespace sim
