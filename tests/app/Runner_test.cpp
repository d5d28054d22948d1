#include <functional>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "../ReplyFixtures.h"
#include "CheckManager.h"
#include "ComPortBase.h"
#include "PhoneFactory.h"
#include "PtyPeer.h"
#include "ScriptedCard.h"

namespace {

const char* const kLenCmd = "AT+CMGS=21\r";
const char* const kBody = "0011000B815121436587F90008A704004F60597D\x1a";

struct Op {
    const char* name;
    std::function<bool(CCheckManager&, CPhoneCardBase*, CComPortBase*)> run;
    std::function<std::string(CPhoneCardBase&)> command; // what must reach the modem
    const char* judge;
    int tries;
    bool opensPort; // guard "Open": opens a closed port instead of refusing
};

std::vector<Op> AllSingleCommandOps()
{
    using M = CCheckManager;
    using C = CPhoneCardBase;
    return {
        {"AT", [](M&, C* c, CComPortBase* p) { return M::RunComCmdAT(c, p); },
         [](C& c) { return c.GetATCmd(); }, "OnGetAtCmdRsp", 10, true},
        {"ATI", [](M&, C* c, CComPortBase* p) { return M::RunComCmdATI(c, p); },
         [](C& c) { return c.GetAtiCmd(); }, "OnGetAtiCmdRsp", 1400, false},
        {"SerialNumber", [](M&, C* c, CComPortBase* p) { return M::RunComCmdGetSerialNumber(c, p); },
         [](C& c) { return c.GetIMEI_Cmd(); }, "OnGetIMEI_Cmd", 5, true},
        {"SmsCardNumber", [](M&, C* c, CComPortBase* p) { return M::RunComCmdGetSmsCardNumber(c, p); },
         [](C& c) { return c.GetIMSI_Cmd(); }, "OnGetIMSI_CmdRsp", 5, false},
        {"Signal", [](M&, C* c, CComPortBase* p) { return M::RunComCmdGetSignalStrength(c, p); },
         [](C& c) { return c.GetSignalStrengthCmd(); }, "OnGetSignalStrengthCmdRsp", 5, false},
        {"QuerySMSC", [](M&, C* c, CComPortBase* p) { return M::RunComCmdQuerySMSC(c, p); },
         [](C& c) { return c.GetQuerySmsCenterCmd(); }, "OnGetQuerySmsCenterCmdRsp", 1400, false},
        {"SetPduMode", [](M&, C* c, CComPortBase* p) { return M::RunComCmdSetPduMode(c, p); },
         [](C& c) { return c.SetSmsPDUModeCmd(); }, "OnSetSmsPduModeCmdRsp", 1400, false},
        {"SendPduLen", [](M&, C* c, CComPortBase* p) { return M::RunComCmdSendPduLen(c, p, kLenCmd); },
         [](C&) { return std::string(kLenCmd); }, "OnSendPduSmsLenCmdRsp", 1200, false},
        {"SendPduContext",
         [](M&, C* c, CComPortBase* p) { return M::RunComCmdSendPduContext(c, p, kBody); },
         [](C&) { return std::string(kBody); }, "OnSendPduSmsContextCmdRsp", 1400, false},
        {"RecvCompatibleMode",
         [](M&, C* c, CComPortBase* p) { return M::RunComCmdSetRecvSmsCompatibleMode(c, p); },
         [](C& c) { return c.GetRecvSmsCompatibleModeCmd(); }, "OnGetRecvSmsCompatibleModeCmdRsp",
         1400, false},
        {"ReadAllSms", [](M&, C* c, CComPortBase* p) { return M::RunComCmdReadAllSmsToPhone(c, p); },
         [](C& c) { return c.GetReadAllSmsCmd(); }, "OnReadAllSmsCmdRsp", 1200, false},
        {"ReadME", [](M& m, C* c, CComPortBase* p) { return m.RunComCmdReadME_Sms(c, p); },
         [](C& c) { return c.GetReadSmsOnMeCmd(); }, "OnGetReadSmsOnMeCmd", 5, false},
        {"ReadSM", [](M& m, C* c, CComPortBase* p) { return m.RunComCmdReadSM_Sms(c, p); },
         [](C& c) { return c.GetReadSmsOnSmCmd(); }, "OnGetReadSmsOnSmCmd", 5, false},
        // Its tries are 100 ms longer each, so it is never run to exhaustion here.
        {"DelAllSms", [](M& m, C* c, CComPortBase* p) { return m.RunComCmdDelAllSms(c, p); },
         [](C& c) { return c.GetDelAllSmsCmd(); }, "OnDelAllSmsCmdRsp", 1400, false},
    };
}

} // namespace

TEST(Runner, EachOperationWritesItsCommandAndStopsAtTheFirstFinalAnswer)
{
    ShortReadWindows shortWindows;
    CCheckManager manager;
    struct Script {
        std::vector<int> statuses;
        bool result;
        size_t judgements;
    };
    // 7 is no status a judge may give: it reads like "read more".
    const Script scripts[] = {{{0}, true, 1}, {{2, 7, 0}, true, 3}, {{2, 1}, false, 2}};
    for (const Op& op : AllSingleCommandOps()) {
        for (const Script& script : scripts) {
            SCOPED_TRACE(std::string(op.name) + " after " + std::to_string(script.judgements));
            PtyPeer peer;
            ASSERT_TRUE(peer.Ok());
            CComPortBase port(peer.Path(), 9600);
            ScriptedCard card;
            card.script = script.statuses;
            EXPECT_EQ(op.run(manager, &card, &port), script.result);
            EXPECT_EQ(peer.Written(), kPromptCancel + op.command(card));
            ASSERT_EQ(card.calls.size(), script.judgements);
            for (const ScriptedCard::Call& call : card.calls)
                EXPECT_EQ(call.judge, op.judge);
        }
    }
}

TEST(Runner, ModemThatNeverAnswersCostsExactlyTheTriesOfEachOperation)
{
    ShortReadWindows shortWindows(1);
    CCheckManager manager;
    struct Run {
        const Op* op;
        std::unique_ptr<PtyPeer> peer;
        ScriptedCard card;
        bool result = true;
    };
    const std::vector<Op> ops = AllSingleCommandOps();
    std::vector<std::unique_ptr<Run>> runs;
    for (const Op& op : ops) {
        if (std::string(op.name) == "DelAllSms")
            continue;
        runs.emplace_back(new Run);
        runs.back()->op = &op;
        runs.back()->peer.reset(new PtyPeer);
        ASSERT_TRUE(runs.back()->peer->Ok());
    }
    // Ports are independent, so the long runs share the wall time.
    std::vector<std::thread> threads;
    for (std::unique_ptr<Run>& run : runs) {
        Run* r = run.get();
        threads.emplace_back([r, &manager] {
            CComPortBase port(r->peer->Path(), 9600);
            r->result = r->op->run(manager, &r->card, &port);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::unique_ptr<Run>& run : runs) {
        SCOPED_TRACE(run->op->name);
        EXPECT_FALSE(run->result);
        EXPECT_EQ(run->card.calls.size(), static_cast<size_t>(run->op->tries));
        EXPECT_EQ(run->peer->Written(), kPromptCancel + run->op->command(run->card)) << "written once, never again";
    }
}

TEST(Runner, GuardsRefuseWithoutWritingUnlessTheOperationOpensThePort)
{
    ShortReadWindows shortWindows;
    CCheckManager manager;
    for (const Op& op : AllSingleCommandOps()) {
        SCOPED_TRACE(op.name);
        PtyPeer peer;
        ASSERT_TRUE(peer.Ok());
        ScriptedCard card;
        card.script = {0};
        CComPortBase port(peer.Path(), 9600);
        EXPECT_FALSE(op.run(manager, nullptr, &port));
        EXPECT_FALSE(op.run(manager, &card, nullptr));
        EXPECT_EQ(peer.Written(), kPromptCancel);

        port.Close();
        EXPECT_EQ(op.run(manager, &card, &port), op.opensPort);
        EXPECT_EQ(port.IsOpened(), op.opensPort);
        EXPECT_EQ(peer.Written(), op.opensPort ? kPromptCancel + op.command(card) : "");
        EXPECT_EQ(card.calls.size(), op.opensPort ? 1u : 0u);
    }
}

TEST(Runner, JudgeSeesTheWholeReplyGatheredSinceTheWrite)
{
    // The first window must outlast the answer given once the command is written.
    ShortReadWindows shortWindows(400);
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    CComPortBase port(peer.Path(), 9600);
    ASSERT_EQ(peer.Written(), kPromptCancel);
    // Waiting before the command went out: the late answer of an earlier command, dropped.
    peer.Send("\r\nOK\r\n");
    peer.AnswerAfterWrite("at+csq\r\n", "\r\n+CSQ: 2");
    ScriptedCard card;
    card.script = {2, 2, 0};
    const std::vector<std::string> laterPieces = {"3,99\r\n", "\r\nOK\r\n"};
    card.onJudge = [&](size_t call) {
        if (call < laterPieces.size()) {
            peer.Send(laterPieces[call]);
        }
    };
    EXPECT_TRUE(CCheckManager::RunComCmdGetSignalStrength(&card, &port));
    ASSERT_EQ(card.calls.size(), 3u);
    EXPECT_EQ(card.calls[0].reply, "\r\n+CSQ: 2");
    EXPECT_EQ(card.calls[1].reply, "\r\n+CSQ: 23,99\r\n");
    EXPECT_EQ(card.calls[2].reply, "\r\n+CSQ: 23,99\r\n\r\nOK\r\n");
}

TEST(Runner, InitialisationStopsOnlyAtAnErrorAndSkipsCommandsOnceThePortIsClosed)
{
    ShortReadWindows shortWindows;
    struct Case {
        const char* name;
        std::vector<int> statuses;
        bool closeAfterFirstJudgement;
        std::string written;
        size_t judgements;
    };
    const Case cases[] = {
        {"all answered", {0, 0, 0}, false, "AT+ONE\r\nAT+TWO\r\nAT+THREE\r\n", 3},
        {"error on the second", {0, 1, 0}, false, "AT+ONE\r\nAT+TWO\r\n", 2},
        {"error on the first", {1}, false, "AT+ONE\r\n", 1},
        {"first never answered", {2, 2, 2, 2, 2, 0, 0}, false, "AT+ONE\r\nAT+TWO\r\nAT+THREE\r\n", 7},
        {"none answered", {}, false, "AT+ONE\r\nAT+TWO\r\nAT+THREE\r\n", 15},
        {"port closed meanwhile", {0, 0, 0}, true, "AT+ONE\r\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPeer peer;
        ASSERT_TRUE(peer.Ok());
        CComPortBase port(peer.Path(), 9600);
        ScriptedCard card;
        card.script = c.statuses;
        if (c.closeAfterFirstJudgement)
            card.onJudge = [&port](size_t) { port.Close(); };
        CCheckManager::RunComCmdInitPhone(&card, &port);
        EXPECT_EQ(peer.Written(), kPromptCancel + c.written);
        EXPECT_EQ(card.calls.size(), c.judgements);
        for (const ScriptedCard::Call& call : card.calls)
            EXPECT_EQ(call.judge, "OnInitAtCmdRsp");
    }

    // Opens a closed port itself; without a driver or a port it does nothing.
    PtyPeer peer;
    CComPortBase port(peer.Path(), 9600);
    ScriptedCard card;
    card.script = {0, 0, 0};
    CCheckManager::RunComCmdInitPhone(nullptr, &port);
    CCheckManager::RunComCmdInitPhone(&card, nullptr);
    EXPECT_EQ(peer.Written(), kPromptCancel);
    port.Close();
    CCheckManager::RunComCmdInitPhone(&card, &port);
    EXPECT_EQ(peer.Written(), kPromptCancel + "AT+ONE\r\nAT+TWO\r\nAT+THREE\r\n");
}

// Real modules' error answers (fixtures 29 to 32) judged by a driver with the generic grammar.
TEST(Runner, RealErrorAnswersEndTheConversationWithTheirText)
{
    ShortReadWindows shortWindows;
    const std::pair<const char*, const char*> cases[] = {
        {"29-error-01-cme-error-raspberry.txt", "+CME ERROR: raspberry"},
        {"30-error-02-cme-error-123.txt", "+CME ERROR: 123"},
        {"31-error-05-cms-error-bananas.txt", "+CMS ERROR: bananas"},
        {"32-error-06-cms-error-456.txt", "+CMS ERROR: 456"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        PtyPeer peer;
        CComPortBase port(peer.Path(), 9600);
        ASSERT_EQ(peer.Written(), kPromptCancel);
        std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(PHONE_TYPE_QUIREL));
        peer.AnswerAfterWrite("at+cmgf=0\r\n", ReadReplyFixture(c.first));
        EXPECT_FALSE(CCheckManager::RunComCmdSetPduMode(card.get(), &port));
        EXPECT_EQ(card->GetErrorMessage(), c.second);
        EXPECT_EQ(peer.Written(), "at+cmgf=0\r\n");
    }
}

// A read turn's log: a final result waiting before a command, a second one in its reply, a
// reply that never ends, or echo from a module that had stopped echoing (it restarted) leaves
// replies and commands out of step; an unsolicited report or start-up line does not.
TEST(Runner, TurnLogTellsWhenRepliesStopAnsweringTheirCommands)
{
    ShortReadWindows shortWindows(100);
    const std::string check = "\r\n+CPMS: \"SM\",1,50,\"SM\",1,50,\"SM\",1,50\r\n\r\nOK\r\n";
    // Before the row: the module never had ATE0 answered, or stopped echoing after it, or still
    // echoes after it.
    enum Echo { ALWAYS, STOPPED, STILL_ON };
    const struct {
        const char* what;
        std::string waiting; // on the line before the command
        std::string answer;  // "" for silence
        bool result;
        bool inStep;
        Echo echo = STOPPED;
    } rows[] = {
        {"a reply", "", check, true, true},
        {"a report waiting", "\r\n+CMTI: \"SM\",3\r\n", check, true, true},
        {"a start-up line after the reply", "", check + "\r\nSMS Ready\r\n", true, true},
        // Noise that never completes a line ends the reply at its final result one window later.
        {"half a line after the reply", "", check + "\r\nRDY", true, true},
        {"a NUL after the reply", "", check + std::string(1, '\0'), true, true},
        {"a bare hex line after the reply", "", check + "0\r\n", true, true},
        {"a final result waiting", "\r\nOK\r\n", check, true, false},
        {"two final results", "", "\r\nOK\r\n" + check, true, false},
        {"no final result", "", "", false, false},
        {"echo again: a restart", "", "AT+CPMS?\r" + check, true, false},
        {"echo from a module that always echoes", "", "AT+CPMS?\r" + check, true, true, ALWAYS},
        {"start-up lines, then echo: a restart", "", "\r\nRDY\r\n\r\nSMS Ready\r\nAT+CPMS?\r" + check, true, false},
        {"a NUL ahead of the echo: a restart", "", std::string(1, '\0') + "AT+CPMS?\r" + check, true, false},
        {"a report ahead of the echo", "", "\r\n+CMTI: \"SM\",3\r\nAT+CPMS?\r" + check, true, true, STILL_ON},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PtyPeer peer;
        CComPortBase port(peer.Path(), 9600);
        ASSERT_EQ(peer.Written(), kPromptCancel);
        std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(PHONE_TYPE_PELVANO));
        peer.Send(row.waiting);
        if (!row.answer.empty())
            peer.AnswerAfterWrite("AT+CPMS?\r\n", row.answer);
        TurnLog log;
        log.echoOff = row.echo != ALWAYS;
        // Preset only where the echo is a restart: an echo-less answer must set it itself.
        const bool restart = row.echo == STOPPED && row.answer.find("AT+CPMS?") != std::string::npos;
        log.echoless = restart;
        EXPECT_EQ(CCheckManager::RunComCmdCheckStorage(card.get(), &port, &log), row.result);
        EXPECT_EQ(log.inStep, row.inStep);
        EXPECT_EQ(log.echoless, row.echo == STOPPED && (restart || row.result)) << "its next echoed reply would read as a restart";
        EXPECT_EQ(peer.Written(), "AT+CPMS?\r\n");
        if (row.result) {
            EXPECT_EQ(CPhoneCardBase::StorageLine(log.lastReply), "+CPMS: \"SM\",1,50,\"SM\",1,50,\"SM\",1,50");
        }
    }
    // One delete per index, judged on its own final result.
    PtyPeer peer;
    CComPortBase port(peer.Path(), 9600);
    std::unique_ptr<CPhoneCardBase> card(GetPhoneByType(PHONE_TYPE_PELVANO));
    peer.AnswerAfterWrite("AT+CMGD=7\r\n", "\r\n+CMS ERROR: 321\r\n");
    TurnLog log;
    EXPECT_FALSE(CCheckManager::RunComCmdDelSms(card.get(), &port, 7, &log));
    EXPECT_TRUE(log.inStep);
    EXPECT_EQ(card->GetErrorMessage(), "+CMS ERROR: 321");
    EXPECT_EQ(peer.Written(), kPromptCancel + "AT+CMGD=7\r\n");
}

TEST(Runner, SleepUntilReachesItsTarget)
{
    EXPECT_EQ(usleep_until2(time_usec2() - 1000000ULL), 0) << "a past target returns at once";
    for (unsigned long long delta : {0ULL, 1ULL, 2500ULL, 25000ULL}) {
        unsigned long long target = time_usec2() + delta;
        EXPECT_EQ(usleep_until2(target), 0);
        EXPECT_GE(time_usec2(), target);
    }
}
