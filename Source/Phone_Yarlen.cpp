#include "Phone_Yarlen.h"

std::string CPhone_Yarlen::Get_ATI_Rsp()
{
    return "Manufacturer: Yarlen\r\n"
           "Model: ME909s-821\r\n"
           "Revision: 11.617.01.00.00\r\n"
           "IMEI: 866150031234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Yarlen::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"ME909s-821"}); }

std::string CPhone_Yarlen::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Yarlen::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

bool CPhone_Yarlen::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Yarlen::GetIMSI_Cmd() { return "AT^ICCID?\r\n"; }

int CPhone_Yarlen::OnGetIMSI_CmdRsp(std::string reply) { return OnCaretIccidRsp(reply); }

std::vector<std::string> CPhone_Yarlen::GetInitAtCmd()
{
    // Periodic ^-status reports would interleave with replies.
    std::vector<std::string> commands = CPhoneCardBase::GetInitAtCmd();
    commands.push_back("AT^CURC=0\r\n");
    return commands;
}

PHONE_TYPE_t CPhone_Yarlen::GetPhoneType() { return PHONE_TYPE_YARLEN; }
