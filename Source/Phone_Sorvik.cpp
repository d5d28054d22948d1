#include "Phone_Sorvik.h"

#include "ReadByIndex.h"

std::string CPhone_Sorvik::Get_ATI_Rsp()
{
    return "Manufacturer: Sorvik\r\n"
           "Model: CLM920_NC5\r\n"
           "Revision: NC5_V2.1.0\r\n"
           "IMEI: 864117040123456\r\n"
           "+GCAP: +CGSM,+DS,+ES\r\n"
           "Version: NC5.0200.0210\r\n"
           "\r\n"
           "OK\r\n";
}

bool CPhone_Sorvik::IsATI_RspMatch(std::string reply)
{
    return HasAllKeys(reply, {"CLM920_NC5", "OK"});
}

PHONE_TYPE_t CPhone_Sorvik::GetPhoneType() { return PHONE_TYPE_SORVIK; }

bool CPhone_Sorvik::OnCallCmdRsp(std::string reply) { return !reply.empty(); }

std::string CPhone_Sorvik::GetHungUpCmd() { return "at+chup;\r\n"; }

bool CPhone_Sorvik::OnHungUpCmdRsp(std::string reply) { return !reply.empty(); }

int CPhone_Sorvik::OnSetSmsPduModeCmdRsp(std::string reply)
{
    // The module may answer "+CMGW: <index>" for a message it stored meanwhile.
    if (TakeCmgwIndex(reply, m_storedSmsText))
        return 0;
    return CPhoneCardBase::OnSetSmsPduModeCmdRsp(reply);
}

int CPhone_Sorvik::OnGetQuerySmsCenterCmdRsp(std::string reply)
{
    // Sending goes on without a centre (PDUs then leave the choice to the module),
    // so the query never fails and ends after the first read window.
    bSmsCenterOk = CPhoneCardBase::OnGetQuerySmsCenterCmdRsp(reply) == 0;
    return 0;
}

std::string CPhone_Sorvik::GetRecvSmsCompatibleModeCmd() { return "AT+ATVER=1\r"; }

std::string CPhone_Sorvik::GetReadAllSmsCmd() { return "AT+CMGD=?\r\n"; }

int CPhone_Sorvik::OnReadAllSmsCmdRsp(std::string reply)
{
    return OnIndexListRsp(*this, reply, indexList, smsInfoVec, m_recvSmsVec, m_readResult);
}

bool CPhone_Sorvik::NotFinished() { return !indexList.empty(); }

std::string CPhone_Sorvik::GetReadNextSmsCmd() { return PopIndexReadCmd(indexList, readingIndex); }

int CPhone_Sorvik::OnReadNextSmsCmdRsp(std::string reply)
{
    return OnIndexReadRsp(reply, readingIndex, smsInfoVec, m_recvSmsVec, m_readResult);
}
