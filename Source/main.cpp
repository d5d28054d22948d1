#include <sysexits.h>
#include <unistd.h>

#include <cctype>
#include <iostream>
#include <string>

#include "CheckManager.h"
#include "ConsoleText.h"
#include "ReportOutput.h"

namespace {

bool IsOneOf(const std::string& word, std::initializer_list<const char*> words)
{
    for (const char* w : words)
        if (word == w)
            return true;
    return false;
}

std::string ToLower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every sms mode acts on all ports: a word after the mode, perhaps meant as a port, is refused
// rather than ignored while every port is read or cleared.
int RefuseWordsAfterSmsMode(int argc, char** argv)
{
    std::string words;
    for (int i = 3; i < argc; ++i)
        words += (i > 3 ? " " : "") + std::string(argv[i]);
    std::cerr << "sms 模式不接受更多参数：" << ConsoleLine(words) << "（它作用于所有端口）\n";
    return EX_USAGE;
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything is opened, so that a closed standard output is not taken for an open one.
    const bool reportWritable = IsOpenForWriting(STDOUT_FILENO);
    // A port must never take a standard stream's number: without /dev/null, nothing runs.
    const int nullError = OpenNullOnClosedStandardStreams();
    if (nullError != 0)
        return StandardStreamsFailed(nullError);
    CCheckManager::InitLog();
    CCheckManager manager;
    CCheckManager::InitConsoleSize();
    manager.loadSetting();

    const std::string first = argc > 1 ? argv[1] : "";
    const std::string firstLower = ToLower(first);
    if (argc == 1) {
        manager.Start();
    } else if (argc == 2 && IsOneOf(first, {"help", "/?", "-help", "--help", "-h", "--h"})) {
        manager.PrintHelpInfo();
    } else if (argc == 2 && IsOneOf(first, {"version", "-version", "--version", "v", "-v"})) {
        manager.OnAbout();
    } else if (first.size() == 3 && argc >= 3 && firstLower == "sms") {
        if (argc > 3)
            return RefuseWordsAfterSmsMode(argc, argv);
        return manager.OnCmdSMS(ToLower(argv[2]), reportWritable);
    } else if (first.size() == 3 && argc >= 4 && firstLower == "pdu") {
        manager.OnCmdPduTest(argv[2], argv[3]);
    } else {
        manager.OnCmdParams(argc, argv);
    }
    return 0;
}
