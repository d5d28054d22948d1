#include "Phone_Morvanth.h"

#include "ReadByIndex.h"

std::string CPhone_Morvanth::Get_ATI_Rsp()
{
    return "Manufacturer: Morvanth\r\n"
           "Model: A7600C1-SE\r\n"
           "Revision: A7600C1-SE_V1.0.2\r\n"
           "IMEI: 862636051234567\r\n"
           "+GCAP: +CGSM,+FCLASS,+DS\r\n";
}

bool CPhone_Morvanth::IsATI_RspMatch(std::string reply)
{
    return HasAllKeys(reply, {"A7600C1-SE", "OK"});
}

PHONE_TYPE_t CPhone_Morvanth::GetPhoneType() { return PHONE_TYPE_MORVANTH; }

std::string CPhone_Morvanth::GetReadAllSmsCmd() { return "AT+CMGD=?\r\n"; }

int CPhone_Morvanth::OnReadAllSmsCmdRsp(std::string reply)
{
    return OnIndexListRsp(*this, reply, indexList, smsInfoVec, m_recvSmsVec, m_readResult);
}

bool CPhone_Morvanth::NotFinished() { return !indexList.empty(); }

std::string CPhone_Morvanth::GetReadNextSmsCmd() { return PopIndexReadCmd(indexList, readingIndex); }

int CPhone_Morvanth::OnReadNextSmsCmdRsp(std::string reply)
{
    return OnIndexReadRsp(reply, readingIndex, smsInfoVec, m_recvSmsVec, m_readResult);
}
