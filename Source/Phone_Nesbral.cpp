#include "Phone_Nesbral.h"

std::string CPhone_Nesbral::Get_ATI_Rsp()
{
    return "Manufacturer: Nesbral\r\n"
           "Model: NB-4G20\r\n"
           "Revision: 21.180.03.00.00\r\n"
           "IMEI: 866770041234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Nesbral::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"Nesbral"}); }

std::string CPhone_Nesbral::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Nesbral::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

bool CPhone_Nesbral::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Nesbral::GetIMSI_Cmd() { return "AT^ICCID?\r\n"; }

int CPhone_Nesbral::OnGetIMSI_CmdRsp(std::string reply) { return OnCaretIccidRsp(reply); }

std::vector<std::string> CPhone_Nesbral::GetInitAtCmd()
{
    // Periodic ^-status reports would interleave with replies.
    std::vector<std::string> commands = CPhoneCardBase::GetInitAtCmd();
    commands.push_back("AT^CURC=0\r\n");
    return commands;
}

PHONE_TYPE_t CPhone_Nesbral::GetPhoneType() { return PHONE_TYPE_NESBRAL; }
