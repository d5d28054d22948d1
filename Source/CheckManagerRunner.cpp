#include <sys/time.h>
#include <unistd.h>

#include "CheckManager.h"
#include "ComPortBase.h"
#include "ReplyEnd.h"
#include "StopSignal.h"

namespace {

// Judge statuses of a driver; anything but DONE_OK and DONE_FAILED means "read more".
const int DONE_OK = 0;
const int DONE_FAILED = 1;
// What a conversation ends with when its tries are spent without a final judgement.
const int TRIES_SPENT = 2;

const int DEL_ALL_EXTRA_WAIT_USEC = 100000;
// One stored entry goes as fast as it is read: as many windows as the reply to one index read.
const int DEL_ONE_TRIES = 100;
const int STORAGE_TRIES = 5;
// The reply to one per-index read: at most this many windows, so a silent or chattering module
// cannot hold the flow.
const int READ_NEXT_WINDOWS = 100;

using Judge = int (CPhoneCardBase::*)(std::string);

enum class Guard { Open, IsOpened };

// How a conversation reads its reply, beyond the judge's verdicts.
struct Reading {
    // The judge follows the reply-end rule: once the reply holds a final result, the next window
    // ends it there, whatever noise came after it or keeps coming.
    bool boundedEnd = false;
    // The reply to a per-index read: windows follow each other without a pause, and a second
    // final result is the driver's to tell (a message text may hold a line "OK").
    bool readNext = false;
    // Deleting a full storage takes the modem long: each try waits 100 ms more.
    bool delAllWait = false;
};

bool PassGuard(CPhoneCardBase* card, CComPortBase* port, Guard guard)
{
    if (card == nullptr || port == nullptr)
        return false;
    return guard == Guard::Open ? port->Open() : port->IsOpened();
}

bool IsFinal(int judged) { return judged == DONE_OK || judged == DONE_FAILED; }

// Writes one command, then reads one window per try and lets the driver judge everything
// gathered so far. Returns DONE_OK, DONE_FAILED or TRIES_SPENT.
int Converse(CPhoneCardBase* card, CComPortBase* port, const std::string& command, Judge judge,
             int tries, TurnLog* log = nullptr, Reading reading = Reading())
{
    std::string reply;
    int status = TRIES_SPENT;
    // What still waits on the line answers an earlier command whose tries ran out, or was
    // never asked for: it must not judge this one.
    const std::string dropped = port->DiscardInput();
    if (StopRequested()) {
        if (log)
            log->Note(status, reply, dropped, true, command);
        return status;
    }
    port->Write(command);
    // Windows read since the reply first held a final result, that one included.
    int windowsSinceFinal = 0;
    for (int i = 0; i < tries; ++i) {
        if (port->ReadAll(reply)) {
            int judged = (card->*judge)(reply);
            if (reading.boundedEnd && (windowsSinceFinal > 0 || CountFinalResults(reply) > 0))
                ++windowsSinceFinal;
            // Cut just after the last final result, whether or not this window brought bytes: a
            // byte in every window must not hold the reply open. The log still gets the whole
            // text, so a second final result never hides.
            if (!IsFinal(judged) && windowsSinceFinal > 1)
                judged = (card->*judge)(reply.substr(0, EndOfLastFinalResult(reply)));
            if (IsFinal(judged)) {
                status = judged;
                break;
            }
        }
        if (StopRequested())
            break;
        if (reading.delAllWait)
            usleep_until2(time_usec2() + DEL_ALL_EXTRA_WAIT_USEC);
        if (!reading.readNext)
            usleep(LINUX_SLEEP);
    }
    if (log)
        log->Note(status, reply, dropped, !reading.readNext, command);
    return status;
}

// Guard, then one conversation; a run that writes nothing leaves the log's last outcome spent.
int Run(CPhoneCardBase* card, CComPortBase* port, Guard guard, const std::string& command, Judge judge,
        int tries, TurnLog* log, Reading reading = Reading())
{
    if (PassGuard(card, port, guard))
        return Converse(card, port, command, judge, tries, log, reading);
    if (log) {
        log->lastStatus = TRIES_SPENT;
        log->lastReply.clear();
    }
    return TRIES_SPENT;
}

Reading BoundedEnd()
{
    Reading reading;
    reading.boundedEnd = true;
    return reading;
}

bool Succeeds(int status) { return status == DONE_OK; }

} // namespace

bool CCheckManager::RunComCmdAT(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::Open) &&
           Succeeds(Converse(card, port, card->GetATCmd(), &CPhoneCardBase::OnGetAtCmdRsp, 10));
}

bool CCheckManager::RunComCmdATI(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetAtiCmd(), &CPhoneCardBase::OnGetAtiCmdRsp, 1400));
}

void TurnLog::Note(int status, const std::string& reply, const std::string& dropped, bool lineReply,
                   const std::string& command)
{
    lastStatus = status;
    lastReply = reply;
    lastCommand = command;
    if (status == TRIES_SPENT || CountFinalResults(dropped) > 0 || (lineReply && CountFinalResults(reply) > 1))
        inStep = false;
    const bool echoed = HoldsEcho(reply, command);
    if (echoed && echoless)
        inStep = false;
    if (echoOff && status != TRIES_SPENT && !echoed)
        echoless = true;
    if (EchoOf(command) == "ATE0" && status == DONE_OK)
        echoOff = true;
}

void CCheckManager::RunComCmdInitPhone(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    if (!PassGuard(card, port, Guard::Open))
        return;
    for (const std::string& command : card->GetInitAtCmd()) {
        if (!port->IsOpened())
            continue;
        // Only an ERROR answer stops the list; silence just moves on to the next command.
        if (Converse(card, port, command, &CPhoneCardBase::OnInitAtCmdRsp, 5, log) == DONE_FAILED)
            return;
    }
}

bool CCheckManager::RunComCmdGetSerialNumber(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::Open) &&
           Succeeds(Converse(card, port, card->GetIMEI_Cmd(), &CPhoneCardBase::OnGetIMEI_Cmd, 5));
}

bool CCheckManager::RunComCmdGetSmsCardNumber(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetIMSI_Cmd(), &CPhoneCardBase::OnGetIMSI_CmdRsp, 5));
}

bool CCheckManager::RunComCmdGetSignalStrength(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetSignalStrengthCmd(),
                             &CPhoneCardBase::OnGetSignalStrengthCmdRsp, 5));
}

bool CCheckManager::RunComCmdQuerySMSC(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetQuerySmsCenterCmd(),
                             &CPhoneCardBase::OnGetQuerySmsCenterCmdRsp, 1400));
}

bool CCheckManager::RunComCmdSetPduMode(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->SetSmsPDUModeCmd() : "",
                        &CPhoneCardBase::OnSetSmsPduModeCmdRsp, 1400, log));
}

bool CCheckManager::RunComCmdSendPduLen(CPhoneCardBase* card, CComPortBase* port,
                                        std::string command)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, command, &CPhoneCardBase::OnSendPduSmsLenCmdRsp, 1200));
}

bool CCheckManager::RunComCmdSendPduContext(CPhoneCardBase* card, CComPortBase* port,
                                            std::string body)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, body, &CPhoneCardBase::OnSendPduSmsContextCmdRsp, 1400));
}

bool CCheckManager::RunComCmdSetRecvSmsCompatibleMode(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetRecvSmsCompatibleModeCmd() : "",
                        &CPhoneCardBase::OnGetRecvSmsCompatibleModeCmdRsp, 1400, log));
}

bool CCheckManager::RunComCmdReadAllSmsToPhone(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetReadAllSmsCmd() : "",
                        &CPhoneCardBase::OnReadAllSmsCmdRsp, 1200, log, BoundedEnd()));
}

bool CCheckManager::RunComCmdDelAllSms(CPhoneCardBase* card, CComPortBase* port)
{
    Reading delAll;
    delAll.delAllWait = true;
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetDelAllSmsCmd(),
                             &CPhoneCardBase::OnDelAllSmsCmdRsp, 1400, nullptr, delAll));
}

bool CCheckManager::RunComCmdReadME_Sms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetReadSmsOnMeCmd() : "",
                        &CPhoneCardBase::OnGetReadSmsOnMeCmd, STORAGE_TRIES, log));
}

bool CCheckManager::RunComCmdReadSM_Sms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetReadSmsOnSmCmd() : "",
                        &CPhoneCardBase::OnGetReadSmsOnSmCmd, STORAGE_TRIES, log));
}

bool CCheckManager::RunComCmdCheckStorage(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetCheckStorageCmd() : "",
                        &CPhoneCardBase::OnCheckStorageCmdRsp, STORAGE_TRIES, log, BoundedEnd()));
}

bool CCheckManager::RunComCmdDelSms(CPhoneCardBase* card, CComPortBase* port, int index, TurnLog* log)
{
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetDelSmsCmd(index) : "",
                        &CPhoneCardBase::OnDelSmsCmdRsp, DEL_ONE_TRIES, log, BoundedEnd()));
}

bool CCheckManager::RunComCmdReadNextSms(CPhoneCardBase* card, CComPortBase* port, TurnLog* log)
{
    Reading readNext = BoundedEnd();
    readNext.readNext = true;
    return Succeeds(Run(card, port, Guard::IsOpened, card ? card->GetReadNextSmsCmd() : "",
                        &CPhoneCardBase::OnReadNextSmsCmdRsp, READ_NEXT_WINDOWS, log, readNext));
}

unsigned long long time_usec2()
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    return static_cast<unsigned long long>(now.tv_sec) * 1000000ULL +
           static_cast<unsigned long long>(now.tv_usec);
}

int usleep_until2(unsigned long long target)
{
    // Checks the time of day every 10 ms at most and ends with a sleep to the exact target.
    const unsigned long long slice = 10000;
    for (;;) {
        unsigned long long now = time_usec2();
        if (now >= target)
            return 0;
        usleep(static_cast<useconds_t>(now + slice < target ? slice : target - now));
    }
}
