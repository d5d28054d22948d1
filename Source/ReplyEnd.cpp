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

bool IsFinalLine(const Line& line)
{
    if (line.text == "OK" || line.text == "ERROR")
        return true;
    // An error code may still be short of its last digits until the line end arrives.
    return line.complete && ErrorCode(line.text) != nullptr;
}

bool IsHexLine(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHexChar);
}

// An unsolicited report, or the PDU line of one ("+CMT: ,25" and its PDU).
bool IsUnsolicited(const std::vector<Line>& lines, size_t i, std::initializer_list<const char*> ownHeaders)
{
    const std::string& text = lines[i].text;
    if (text.empty() || text == "RING")
        return true;
    if (IsHexLine(text) && i > 0) {
        for (const char* report : {"+CDS:", "+CMT:", "+CBM:"}) {
            if (StartsWith(lines[i - 1].text, report))
                return true;
        }
    }
    if (text[0] != '+' && text[0] != '^')
        return false;
    return std::none_of(ownHeaders.begin(), ownHeaders.end(),
                        [&text](const char* header) { return StartsWith(text, header); });
}

} // namespace

ReplyEnd FindReplyEnd(const std::string& reply, std::initializer_list<const char*> ownHeaders, size_t from)
{
    ReplyEnd end;
    const std::vector<Line> lines = LinesFrom(reply, from);
    for (size_t i = lines.size(); i-- > 0;) {
        const Line& line = lines[i];
        if (IsFinalLine(line)) {
            end.status = line.text == "OK" ? 0 : 1;
            end.finalLine = line.text;
            end.finalStart = line.start;
            return end;
        }
        // A line still arriving is judged once it is whole.
        if (line.complete && !IsUnsolicited(lines, i, ownHeaders))
            return end;
    }
    return end;
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
    const char* code = ErrorCode(finalLine);
    if (code == nullptr || !isdigit(static_cast<unsigned char>(*code)))
        return false;
    char* rest = nullptr;
    const long n = strtol(code, &rest, 10);
    if (*rest != '\0')
        return false;
    // 27.005 302-305: operation not allowed or not supported, invalid mode or text parameter;
    // 27.007 3, 4, 50: operation not allowed or not supported, incorrect parameters.
    if (StartsWith(finalLine, "+CMS"))
        return n >= 302 && n <= 305;
    return n == 3 || n == 4 || n == 50;
}
