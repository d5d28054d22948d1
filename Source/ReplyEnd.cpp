#include "ReplyEnd.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "SmsInfo.h"

namespace {

struct Line {
    size_t start;
    std::string text; // without its line end
    bool complete;    // its LF has arrived
};

std::vector<Line> LinesFrom(const std::string& text, size_t from)
{
    std::vector<Line> lines;
    for (size_t start = from; start < text.size();) {
        const size_t lf = text.find('\n', start);
        std::string line = text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back({start, line, lf != std::string::npos});
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    return lines;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// "+CMS ERROR: 500" and "+CME ERROR: 3"; the code, as text (AT+CMEE=2) or digits, follows.
const char* ErrorCode(const std::string& line)
{
    for (const char* prefix : {"+CMS ERROR:", "+CME ERROR:"}) {
        if (StartsWith(line, prefix)) {
            const size_t code = line.find_first_not_of(' ', std::char_traits<char>::length(prefix));
            return code == std::string::npos ? nullptr : line.c_str() + code;
        }
    }
    return nullptr;
}

// The number of an error result line given as digits; -1 for any other line.
long ErrorNumber(const std::string& finalLine)
{
    const char* code = ErrorCode(finalLine);
    if (code == nullptr || !isdigit(static_cast<unsigned char>(*code)))
        return -1;
    char* rest = nullptr;
    const long n = strtol(code, &rest, 10);
    return *rest == '\0' ? n : -1;
}

bool IsFinalLine(const Line& line)
{
    if (line.text == "OK" || line.text == "ERROR")
        return true;
    // An error code may still be short of its last digits until the line end arrives.
    return line.complete && ErrorCode(line.text) != nullptr;
}

// A line of this command's own reply: its header, its echo, or a PDU line of its own.
bool BelongsToReply(const std::vector<Line>& lines, size_t i, std::initializer_list<const char*> ownHeaders,
                    const std::string& echo)
{
    const std::string& text = lines[i].text;
    // Only the exact line: after a final result, a line that merely ends with the echo is the
    // module's own (HoldsEcho looks for that, ahead of the final result).
    if (!echo.empty() && text == echo)
        return true;
    if (IsPduLine(text))
        return i == 0 || !IsTwoLineReport(lines[i - 1].text);
    return std::any_of(ownHeaders.begin(), ownHeaders.end(),
                       [&text](const char* header) { return StartsWith(text, header); });
}

} // namespace

ReplyEnd FindReplyEnd(const std::string& reply, std::initializer_list<const char*> ownHeaders,
                      const std::string& command, size_t from)
{
    ReplyEnd end;
    const std::string echo = EchoOf(command);
    const std::vector<Line> lines = LinesFrom(reply, from);
    for (size_t i = lines.size(); i-- > 0;) {
        const Line& line = lines[i];
        if (IsFinalLine(line)) {
            end.status = line.text == "OK" ? 0 : 1;
            end.finalLine = line.text;
            end.finalStart = line.start;
            return end;
        }
        // A line still arriving after a final result may be a header of this reply cut by the
        // read window: it is judged once it is whole.
        if (!line.complete ? !line.text.empty() : BelongsToReply(lines, i, ownHeaders, echo))
            return end;
    }
    return end;
}

bool IsTwoLineReport(const std::string& line)
{
    return StartsWith(line, "+CDS:") || StartsWith(line, "+CMT:") || StartsWith(line, "+CBM:");
}

bool IsPduLine(const std::string& line)
{
    const size_t first = line.find_first_not_of(' ');
    const size_t last = line.find_last_not_of("\r\n ");
    return last != std::string::npos && std::all_of(line.begin() + first, line.begin() + last + 1, IsHexChar);
}

std::string EchoOf(const std::string& command)
{
    const size_t last = command.find_last_not_of("\r\n");
    return last == std::string::npos ? "" : command.substr(0, last + 1);
}

size_t EndOfLastFinalResult(const std::string& text)
{
    const std::vector<Line> lines = LinesFrom(text, 0);
    for (size_t i = lines.size(); i-- > 0;) {
        if (IsFinalLine(lines[i])) {
            const size_t lf = text.find('\n', lines[i].start);
            return lf == std::string::npos ? text.size() : lf + 1;
        }
    }
    return std::string::npos;
}

bool HoldsEcho(const std::string& reply, const std::string& command)
{
    const std::string echo = EchoOf(command);
    for (const Line& line : LinesFrom(reply, 0)) {
        if (IsFinalLine(line))
            return false;
        // Not only the exact line: after a restart, stray bytes may come ahead of the echo on its
        // line (a NUL, start-up text cut short), and missing that echo would hide the restart.
        if (line.complete && !echo.empty() && line.text.size() >= echo.size() &&
            line.text.compare(line.text.size() - echo.size(), echo.size(), echo) == 0)
            return true;
    }
    return false;
}

size_t CountFinalResults(const std::string& text, size_t from)
{
    const std::vector<Line> lines = LinesFrom(text, from);
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), IsFinalLine));
}

bool IsAbsentStorageRefusal(const std::string& finalLine)
{
    if (finalLine == "ERROR")
        return true;
    const long n = ErrorNumber(finalLine);
    // 27.005 302-305: operation not allowed or not supported, invalid mode or text parameter;
    // 27.007 3, 4, 50: operation not allowed or not supported, incorrect parameters.
    if (StartsWith(finalLine, "+CMS"))
        return n >= 302 && n <= 305;
    return n == 3 || n == 4 || n == 50;
}

bool IsInvalidIndexRefusal(const std::string& finalLine)
{
    return StartsWith(finalLine, "+CMS") && ErrorNumber(finalLine) == 321;
}
