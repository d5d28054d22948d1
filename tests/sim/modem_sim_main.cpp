// modem_sim: a simulated modem behind a pseudo-terminal, for end-to-end runs of the tool.
//
//   modem_sim [--baud N] [--type NAME] [--ati TEXT] [--rules FILE]... [--silent]
//             [--log FILE] [--vars FILE] [--link PATH]
//
// Prints the slave path on a line of its own once it answers, then runs until SIGTERM,
// SIGINT or SIGHUP, and removes the link on the way out. --ati answers ATI with TEXT (rule
// escapes apply); --rules files (format in SimRules.h) come ahead of the type's rules;
// --log receives every byte the tool writes, as it arrives; --vars holds the variables the
// rules set, as "VAR=VALUE" lines, from the first one set on; --link makes PATH a symlink to
// the slave (an existing file at PATH is replaced).
#include "ModuleTypes.h"
#include "SimModem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

int Usage(const std::string& why)
{
    std::fprintf(stderr, "modem_sim: %s\n", why.c_str());
    std::fprintf(stderr, "usage: modem_sim [--baud N] [--type NAME] [--ati TEXT] [--rules FILE]... "
                         "[--silent] [--log FILE] [--vars FILE] [--link PATH]\ntypes:");
    for (const std::string& name : sim::ModuleTypeNames()) {
        std::fprintf(stderr, " %s", name.c_str());
    }
    std::fprintf(stderr, "\n");
    return 2;
}

bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return static_cast<bool>(in);
}

} // namespace

int main(int argc, char** argv)
{
    sim::SimOptions options;
    std::string ati;
    std::string link;
    std::vector<std::string> ruleFiles;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--silent") {
            options.silent = true;
            continue;
        }
        if (i + 1 >= argc) {
            return Usage("missing value or unknown option " + arg);
        }
        std::string value = argv[++i];
        if (arg == "--baud") {
            // A mistyped speed would give a modem that silently never answers.
            char* end = nullptr;
            long baud = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || baud <= 0 || baud > 4000000) {
                return Usage("bad --baud " + value);
            }
            options.baud = static_cast<int>(baud);
        } else if (arg == "--type") {
            options.type = value;
        } else if (arg == "--ati") {
            ati = value;
        } else if (arg == "--rules") {
            ruleFiles.push_back(value);
        } else if (arg == "--log") {
            options.logPath = value;
        } else if (arg == "--vars") {
            options.varsPath = value;
        } else if (arg == "--link") {
            link = value;
        } else {
            return Usage("unknown option " + arg);
        }
    }
    std::string error;
    if (!ati.empty() && !sim::AddRules(options, "ATI\t" + ati, &error)) {
        return Usage("--ati: " + error);
    }
    for (const std::string& file : ruleFiles) {
        std::string text;
        if (!ReadFile(file, text)) {
            return Usage("cannot read " + file);
        }
        if (!sim::AddRules(options, text, &error)) {
            return Usage(file + ": " + error);
        }
    }

    // Signals are taken by sigwait below, never by the modem's thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::SimModem modem(options);
    if (!modem.Ok()) {
        return Usage(modem.Error());
    }
    if (!link.empty()) {
        unlink(link.c_str());
        if (symlink(modem.SlavePath().c_str(), link.c_str()) < 0) {
            return Usage("cannot link " + link);
        }
    }
    std::printf("%s\n", modem.SlavePath().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    if (!link.empty()) {
        unlink(link.c_str());
    }
    return 0;
}
