#include <sys/time.h>
#include <unistd.h>

#include "CheckManager.h"
#include "ComPortBase.h"

namespace {

// Judge statuses of a driver; anything but DONE_OK and DONE_FAILED means "read more".
const int DONE_OK = 0;
const int DONE_FAILED = 1;
// What a conversation ends with when its tries are spent without a final judgement.
const int TRIES_SPENT = 2;

const int DEL_ALL_EXTRA_WAIT_USEC = 100000;

using Judge = int (CPhoneCardBase::*)(std::string);

enum class Guard { Open, IsOpened };

bool PassGuard(CPhoneCardBase* card, CComPortBase* port, Guard guard)
{
    if (card == nullptr || port == nullptr)
        return false;
    return guard == Guard::Open ? port->Open() : port->IsOpened();
}

// Writes one command, then reads one window per try and lets the driver judge everything
// gathered so far. Returns DONE_OK, DONE_FAILED or TRIES_SPENT.
int Converse(CPhoneCardBase* card, CComPortBase* port, const std::string& command, Judge judge,
             int tries, bool delAllWait = false)
{
    // What still waits on the line answers an earlier command whose tries ran out, or was
    // never asked for: it must not judge this one.
    port->DiscardInput();
    port->Write(command);
    std::string reply;
    for (int i = 0; i < tries; ++i) {
        if (port->ReadAll(reply)) {
            int status = (card->*judge)(reply);
            if (status == DONE_OK || status == DONE_FAILED)
                return status;
        }
        // Deleting a full storage takes the modem long; give each try more time.
        if (delAllWait)
            usleep_until2(time_usec2() + DEL_ALL_EXTRA_WAIT_USEC);
        usleep(LINUX_SLEEP);
    }
    return TRIES_SPENT;
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

void CCheckManager::RunComCmdInitPhone(CPhoneCardBase* card, CComPortBase* port)
{
    if (!PassGuard(card, port, Guard::Open))
        return;
    for (const std::string& command : card->GetInitAtCmd()) {
        if (!port->IsOpened())
            continue;
        // Only an ERROR answer stops the list; silence just moves on to the next command.
        if (Converse(card, port, command, &CPhoneCardBase::OnInitAtCmdRsp, 5) == DONE_FAILED)
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

bool CCheckManager::RunComCmdSetPduMode(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->SetSmsPDUModeCmd(),
                             &CPhoneCardBase::OnSetSmsPduModeCmdRsp, 1400));
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

bool CCheckManager::RunComCmdSetRecvSmsCompatibleMode(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetRecvSmsCompatibleModeCmd(),
                             &CPhoneCardBase::OnGetRecvSmsCompatibleModeCmdRsp, 1400));
}

bool CCheckManager::RunComCmdReadAllSmsToPhone(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetReadAllSmsCmd(),
                             &CPhoneCardBase::OnReadAllSmsCmdRsp, 1200));
}

bool CCheckManager::RunComCmdDelAllSms(CPhoneCardBase* card, CComPortBase* port)
{
    return PassGuard(card, port, Guard::IsOpened) &&
           Succeeds(Converse(card, port, card->GetDelAllSmsCmd(),
                             &CPhoneCardBase::OnDelAllSmsCmdRsp, 1400, true));
}

namespace {

// A storage selection; refused, when given, tells a module that answered with an error (it
// has no such storage) from one that did not answer in time.
bool SelectStorage(CPhoneCardBase* card, CComPortBase* port, const std::string& command, Judge judge,
                   bool* refused)
{
    const int status = PassGuard(card, port, Guard::IsOpened) ? Converse(card, port, command, judge, 5)
                                                              : TRIES_SPENT;
    if (refused)
        *refused = status == DONE_FAILED;
    return Succeeds(status);
}

} // namespace

bool CCheckManager::RunComCmdReadME_Sms(CPhoneCardBase* card, CComPortBase* port, bool* refused)
{
    return SelectStorage(card, port, card ? card->GetReadSmsOnMeCmd() : "",
                         &CPhoneCardBase::OnGetReadSmsOnMeCmd, refused);
}

bool CCheckManager::RunComCmdReadSM_Sms(CPhoneCardBase* card, CComPortBase* port, bool* refused)
{
    return SelectStorage(card, port, card ? card->GetReadSmsOnSmCmd() : "",
                         &CPhoneCardBase::OnGetReadSmsOnSmCmd, refused);
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
