// The simulated modem that every port, runner and flow test talks to: its rule text, its
// command interpreter, and the modem on a real pseudo-terminal (also as the modem_sim program).
#include "../PromptCancel.h"
#include "AtEngine.h"
#include "ModuleTypes.h"
#include "SerialTestSupport.h"
#include "SimModem.h"
#include "SimRules.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <limits.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace std::chrono_literals;
using serial_test::Fd;
using serial_test::ReadUntil;

namespace {

sim::AtEngine EngineWith(const std::string& rules)
{
    std::vector<sim::SimRule> all;
    std::string error;
    EXPECT_TRUE(sim::ParseRules(rules, all, error)) << error;
    EXPECT_TRUE(sim::RulesForType("generic", all, error)) << error;
    return sim::AtEngine(std::move(all));
}

std::string Joined(const std::vector<sim::SimChunk>& chunks)
{
    std::string all;
    for (const sim::SimChunk& c : chunks) all += c.bytes;
    return all;
}

std::string FeedAll(sim::AtEngine& engine, const std::string& in)
{
    return Joined(engine.Feed(in));
}

// Runs modem_sim (next to this test program) with args, output discarded; its exit status.
int RunModemSim(std::vector<std::string> args)
{
    char self[PATH_MAX] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
    std::string program = self;
    program = program.substr(0, program.rfind('/')) + "/modem_sim";
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return -1;
    // A program that took the arguments runs until told to stop: stop it after a bounded wait.
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGTERM);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(SimRules, RepliesAreFramedAsModulesSendThem)
{
    struct Row {
        const char* rule;
        const char* command;
        std::string sent;
    };
    const Row rows[] = {
        {"AT+CSQ\t+CSQ: 20,99", "AT+CSQ\r", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n"},
        {"AT+X\t", "AT+X\r", "\r\nOK\r\n"},
        {"AT+X", "AT+X\r", "\r\nOK\r\n"},
        {"AT+X\tERROR", "AT+X\r", "\r\nERROR\r\n"},
        {"AT+CMGS=*\t+CMS ERROR: 500", "AT+CMGS=9\r", "\r\n+CMS ERROR: 500\r\n"},
        {"AT+X\t+CME ERROR: 10", "AT+X\r", "\r\n+CME ERROR: 10\r\n"},
        {"AT+X\tone\\r\\ntwo\\r\\nOK", "AT+X\r", "\r\none\r\ntwo\r\n\r\nOK\r\n"},
        {"AT+X\tone\\r\\ntwo", "AT+X\r", "\r\none\r\ntwo\r\n\r\nOK\r\n"},
        {"AT+X\t=\\x41\\x1a\\t\\\\", "AT+X\r", std::string("A\x1A\t\\")},
        {"AT+X\t=", "AT+X\r", ""},
        {"AT+CMGR=*\tthree", "at+cmgr=3\r", "\r\nthree\r\n\r\nOK\r\n"},
        {"AT+CMGR=2\ttwo", "AT+CMGR=3\r", "\r\nOK\r\n"}, // falls through to the generic rule
        {"AT+X\tx", "AT+UNKNOWN\r", "\r\nERROR\r\n"},
        {"AT+X\tx", "hello\r", ""}, // modules ignore lines without the AT prefix
        {"AT+X\tx", "\x7F\x1B" "AT+X\r", "\r\nx\r\n\r\nOK\r\n"}, // noise in front is dropped
        {"AT+X\t\\p>", "AT+X\r", "\r\n> "},
    };
    for (const Row& row : rows) {
        sim::AtEngine engine = EngineWith(std::string(row.rule) + "\nATE0\t\n");
        FeedAll(engine, "ATE0\r");
        EXPECT_EQ(FeedAll(engine, row.command), row.sent) << row.rule;
    }
}

TEST(SimRules, MalformedLinesAreRefusedWithTheirLineNumber)
{
    const char* bad[] = {
        "\tOK",              // no match
        "AT\tOK\tx\ty",      // too many fields
        "AT\t\\q",           // unknown escape
        "AT\t\\x4",          // short hex escape
        "AT\tOK\ttimes=0",   // a rule that never answers
        "AT\tOK\tif=nocolon",
        "AT\tOK\tpause=-1",
        "AT\tOK\tbogus=1",
    };
    for (const char* line : bad) {
        std::vector<sim::SimRule> rules;
        std::string error;
        EXPECT_FALSE(sim::ParseRules(std::string("# comment\n\nAT\tOK\n") + line, rules, error))
            << line;
        EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << error;
    }
    std::vector<sim::SimRule> rules;
    std::string error;
    EXPECT_FALSE(sim::RulesForType("no-such-module", rules, error));
}

TEST(AtEngine, EchoesUntilAte0AndTakesCommandsInPieces)
{
    sim::AtEngine engine = EngineWith("");
    // Echo is character by character, so the LF after CR comes back after the answer.
    EXPECT_EQ(FeedAll(engine, "AT\r\n"), "AT\r\r\nOK\r\n\n");
    EXPECT_EQ(FeedAll(engine, "ATE0\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_FALSE(engine.Echo());
    EXPECT_EQ(FeedAll(engine, "at+c"), "");
    EXPECT_EQ(FeedAll(engine, "sq\r\n"), "\r\n+CSQ: 20,99\r\n\r\nOK\r\n");
    EXPECT_EQ(FeedAll(engine, "ATE1\r"), "\r\nOK\r\n");
    EXPECT_EQ(FeedAll(engine, "AT\r"), "AT\r\r\nOK\r\n");
}

TEST(AtEngine, SendCommandPromptsAndAnswersTheBodyAfterCtrlZ)
{
    sim::AtEngine engine = EngineWith("<body>*\t+CMS ERROR: 500\ttimes=1\n");
    EXPECT_EQ(FeedAll(engine, "AT+CMGS=21\r"), "AT+CMGS=21\r\r\n> ");
    // The first body meets a network error, the retry goes through.
    EXPECT_EQ(FeedAll(engine, "0011\x1A"), "0011\x1A\r\n+CMS ERROR: 500\r\n");
    FeedAll(engine, "ATE0\r");
    EXPECT_EQ(FeedAll(engine, "AT+CMGS=21\r"), "\r\n> ");
    EXPECT_EQ(FeedAll(engine, "00\r\n11"), "");
    EXPECT_EQ(FeedAll(engine, "\x1A"), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(FeedAll(engine, "AT\r"), "\r\nOK\r\n");
}

TEST(AtEngine, EscCancelsAPromptAndAUcs2BodyIsReadInCharacters)
{
    sim::AtEngine engine = EngineWith("AT^HCMGS=*\t>\tbody=ucs2\n<body>N\x1A\t^HCMGSS: 7\n");
    FeedAll(engine, "ATE0\r");
    for (const char* command : {"AT+CMGS=21\r", "AT^HCMGS=\"1\"\r"}) {
        EXPECT_EQ(FeedAll(engine, command), "\r\n> ");
        // Nothing is sent or answered; the module reads commands again.
        EXPECT_EQ(FeedAll(engine, kPromptCancel + "AT\r"), "\r\nOK\r\n") << command;
    }
    // U+4E1A holds a 1A byte; only 00 1A on a character boundary ends the text.
    FeedAll(engine, "AT^HCMGS=\"1\"\r");
    EXPECT_EQ(FeedAll(engine, std::string("N\x1A\x00\x1A", 4)), "\r\n^HCMGSS: 7\r\n\r\nOK\r\n");
}

TEST(AtEngine, VariablesSelectStorageDependentReplies)
{
    sim::AtEngine engine = EngineWith(
        "AT+CPMS=\"SM\"*\t\tset=mem:SM\n"
        "AT+CPMS=\"ME\"*\t\tset=mem:ME\n"
        "AT+CMGL=4\t+CMGL: 1,1,,3\\r\\nSIM\tif=mem:SM\n"
        "AT+CMGL=4\t+CMGL: 2,1,,3\\r\\nDEV\tif=mem:ME\n");
    FeedAll(engine, "ATE0\r");
    EXPECT_EQ(FeedAll(engine, "AT+CMGL=4\r"), "\r\nOK\r\n"); // nothing selected yet
    FeedAll(engine, "AT+CPMS=\"ME\"\r");
    EXPECT_EQ(FeedAll(engine, "AT+CMGL=4\r"), "\r\n+CMGL: 2,1,,3\r\nDEV\r\n\r\nOK\r\n");
    FeedAll(engine, "AT+CPMS=\"SM\",\"SM\",\"SM\"\r");
    EXPECT_EQ(FeedAll(engine, "AT+CMGL=4\r"), "\r\n+CMGL: 1,1,,3\r\nSIM\r\n\r\nOK\r\n");
}

TEST(AtEngine, PausesSplitTheReplyIntoTimedPieces)
{
    sim::AtEngine engine = EngineWith("AT+CSQ\t+CSQ: 2\\p0,99\\r\\n\\pOK\tpause=30\n");
    FeedAll(engine, "ATE0\r");
    std::vector<sim::SimChunk> chunks = engine.Feed("AT+CSQ\r");
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].bytes, "\r\n+CSQ: 2");
    EXPECT_EQ(chunks[0].pauseMs, 30);
    EXPECT_EQ(chunks[1].bytes, "0,99\r\n");
    EXPECT_EQ(chunks[1].pauseMs, 30);
    EXPECT_EQ(chunks[2].bytes, "\r\nOK\r\n");
    EXPECT_EQ(chunks[2].pauseMs, 0);
}

TEST(SimModem, AnswersOnlyAtItsLineSpeedAndRecordsEveryByte)
{
    char dir[] = "/tmp/simlogXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string log = std::string(dir) + "/dialogue";
    sim::SimOptions o;
    o.baud = 115200;
    o.logPath = log;
    sim::SimModem modem(o);
    ASSERT_TRUE(modem.Ok()) << modem.Error();
    Fd line(serial_test::OpenLine(modem.SlavePath()));
    ASSERT_GE(line.get(), 0);

    // At 9600 the module hears garbage and stays quiet; the first answer is to ATE0 at 115200.
    ASSERT_TRUE(serial_test::SetRawSpeed(line.get(), B9600));
    ASSERT_EQ(write(line.get(), "AT\r", 3), 3);
    ASSERT_TRUE(modem.WaitReceived("AT\r", 2s));
    ASSERT_TRUE(serial_test::SetRawSpeed(line.get(), B115200));
    EXPECT_EQ(modem.LineSpeed(), 115200);
    ASSERT_EQ(write(line.get(), "ATE0\r\n", 6), 6);
    EXPECT_EQ(ReadUntil(line.get(), "OK\r\n", 2s), "ATE0\r\r\nOK\r\n");

    ASSERT_TRUE(modem.AddRule("AT+CSQ\t+CSQ: 31,99"));
    ASSERT_EQ(write(line.get(), "AT+CSQ\r", 7), 7);
    EXPECT_EQ(ReadUntil(line.get(), "OK\r\n", 2s), "\r\n+CSQ: 31,99\r\n\r\nOK\r\n");

    modem.Inject("\r\nRING\r\n");
    EXPECT_EQ(ReadUntil(line.get(), "RING\r\n", 2s), "\r\nRING\r\n");

    const std::string all = "AT\rATE0\r\nAT+CSQ\r";
    EXPECT_EQ(modem.Received(), all);
    std::ifstream in(log, std::ios::binary);
    std::stringstream logged;
    logged << in.rdbuf();
    EXPECT_EQ(logged.str(), all);
    unlink(log.c_str());
    rmdir(dir);
}

TEST(SimModem, StandaloneProgramServesALinkUntilTerminated)
{
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string program = std::string(self);
    program = program.substr(0, program.rfind('/')) + "/modem_sim";
    char dir[] = "/tmp/simlinkXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyUSB0";
    const std::string log = std::string(dir) + "/log";

    std::vector<std::string> args = {program, "--baud", "115200", "--ati",
                                     "Quirel\\r\\nRevision: 2", "--link", link, "--log", log};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    // The slave path it prints is not needed: the link is the way in.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    ASSERT_EQ(spawned, 0);

    struct stat st;
    for (int i = 0; i < 2000 && lstat(link.c_str(), &st) != 0; i++) usleep(1000);
    {
        Fd line(serial_test::OpenLine(link));
        ASSERT_GE(line.get(), 0);
        ASSERT_TRUE(serial_test::SetRawSpeed(line.get(), B115200));
        ASSERT_EQ(write(line.get(), "ATI\r", 4), 4);
        EXPECT_EQ(ReadUntil(line.get(), "OK\r\n", 2s), "ATI\r\r\nQuirel\r\nRevision: 2\r\n\r\nOK\r\n");
    }
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";
    std::ifstream in(log, std::ios::binary);
    std::stringstream logged;
    logged << in.rdbuf();
    EXPECT_EQ(logged.str(), "ATI\r");
    unlink(log.c_str());
    rmdir(dir);
}

TEST(SimModem, StandaloneProgramRefusesBadArgumentsAtOnce)
{
    // Each of these would otherwise leave a test talking to a modem that never answers.
    const std::vector<std::vector<std::string>> bad = {
        {"--baud", "fast"},
        {"--baud", "115200x"},
        {"--baud", "0"},
        {"--baud"},
        {"--type", "no-such-module"},
        {"--rules", "/nonexistent/rules"},
        {"--ati", "\\q"},
        {"--bogus", "1"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(RunModemSim(args), 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}
