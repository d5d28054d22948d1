#include "Phone_Vendis.h"

std::string CPhone_Vendis::Get_ATI_Rsp()
{
    return "Manufacturer: Vendis\r\n"
           "Model: ME909u-521\r\n"
           "Revision: 12.631.07.01.00\r\n"
           "IMEI: 863781011234567\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n";
}

bool CPhone_Vendis::IsATI_RspMatch(std::string reply) { return HasAllKeys(reply, {"ME909"}); }

std::string CPhone_Vendis::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Vendis::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

bool CPhone_Vendis::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Vendis::GetIMSI_Cmd() { return "AT^ICCID?\r\n"; }

int CPhone_Vendis::OnGetIMSI_CmdRsp(std::string reply) { return OnCaretIccidRsp(reply); }

std::vector<std::string> CPhone_Vendis::GetInitAtCmd()
{
    return GetReportingInitAtCmd();
}

PHONE_TYPE_t CPhone_Vendis::GetPhoneType() { return PHONE_TYPE_VENDIS; }
