#include "StringUtil.h"

#include <ctime>

std::vector<std::string> SplitStringToArray(std::string text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    std::string::size_type end = text.find('\n', start);
    while (end != std::string::npos) {
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
        end = text.find('\n', start);
    }
    return lines;
}

std::vector<std::string> SplitStringByChar(std::string text, char separator)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    std::string::size_type end = text.find(separator, start);
    while (end != std::string::npos) {
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
        end = text.find(separator, start);
    }
    if (start < text.size())
        fields.push_back(text.substr(start));
    return fields;
}

std::string StringReplaceChar(std::string text, char from, char to)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        result.push_back(c == from ? to : c);
    return result;
}

void StringReplace(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return;
    std::string::size_type pos = text.find(from);
    while (pos != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos = text.find(from, pos + to.size());
    }
}

std::string TrimChar(std::string text, char c)
{
    if (text.size() <= 2)
        return text;
    if (text.front() == c)
        text.erase(0, 1);
    if (!text.empty() && text.back() == c)
        text.pop_back();
    return text;
}

std::string TrimAllChar(std::string text, char c)
{
    std::string result = TrimChar(text, c);
    std::string previous = text;
    int passes = 0;
    while (result != previous && passes <= 99) {
        previous = result;
        result = TrimChar(previous, c);
        ++passes;
    }
    return result;
}

std::string GetCurTimeStr()
{
    time_t now = time(nullptr);
    const struct tm* t = localtime(&now);
    char buf[32] = "";
    strftime(buf, sizeof(buf), "%Y-%m-%d %H:%M:%S", t);
    return buf;
}
