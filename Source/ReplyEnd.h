#pragma once
#include <cstddef>
#include <initializer_list>
#include <string>

// Where a command's reply ends: at its final result code (3GPP TS 27.007 5.7.1).
struct ReplyEnd {
    int status = 2;        // 0 ended by OK, 1 ended by an error result, 2 not ended yet
    std::string finalLine; // the ending line without its line end: "OK", "+CMS ERROR: 500"
    size_t finalStart = std::string::npos; // offset of that line in the reply
};

// A reply is over at a line of its own that is exactly "OK", "ERROR", "+CMS ERROR: <n>" or
// "+CME ERROR: <n>" (a CR before the LF allowed; "OK" and "ERROR" may still wait for their
// line end) when no complete line after it belongs to this command's reply: a line starting
// with one of ownHeaders, the echo of command, or a PDU line that no two-line report brings.
// Everything else after it ("SMS Ready", "DST: 1", "RING", "+CMTI: ...", empty lines) is the
// module talking on its own. The scan starts at `from`: what comes before it (a message body)
// is not read as lines. A line after it still without its line end keeps the reply open.
ReplyEnd FindReplyEnd(const std::string& reply, std::initializer_list<const char*> ownHeaders = {},
                      const std::string& command = "", size_t from = 0);

// Unsolicited reports that bring a PDU line of their own ("+CMT: ,25" and its PDU).
bool IsTwoLineReport(const std::string& line);
// A line of hex digits only, blanks and the line end around them allowed: a PDU.
bool IsPduLine(const std::string& line);
// A command as its echo shows it: without its line end.
std::string EchoOf(const std::string& command);

// Just past the last final result line of a text (its line end included once it has come);
// npos without one. Noise may follow it (half a start-up line, a NUL, a bare hex line that
// could be a PDU), and may keep coming: the window after the one that brought the final result
// cuts the reply here.
size_t EndOfLastFinalResult(const std::string& text);

// A complete line ahead of the reply's first final result ends with the command's echo. Modules
// echo a command as it comes, but lines of their own (start-up lines, reports) may come first,
// and stray bytes (a NUL, start-up text without its line end) ahead of it on its line.
bool HoldsEcho(const std::string& reply, const std::string& command);

// Final result lines in a text, from `from` on. A reply holding two, or input that no command
// waited for holding one, answers some other command.
size_t CountFinalResults(const std::string& text, size_t from = 0);

// A refusal meaning the module has no such storage or parameter (plain ERROR, +CMS ERROR: 302
// to 305, +CME ERROR: 3, 4 or 50), as against one that may pass (+CMS ERROR: 314, SIM busy).
bool IsAbsentStorageRefusal(const std::string& finalLine);
// 3GPP TS 27.005 3.2.5: +CMS ERROR: 321, invalid memory index, the answer of some modules that
// list every slot to a read of an empty one.
bool IsInvalidIndexRefusal(const std::string& finalLine);
