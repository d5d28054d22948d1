#include "CheckManager.h"

// Placeholder bodies until the read and delete flows land.
void CCheckManager::OnReadAllSms() {}
void CCheckManager::OnDelAllSms() {}
bool CCheckManager::InputReadAllSmsComPort(std::vector<ComPortBaseInfo_t>&) { return false; }
void CCheckManager::HandleReadAllSms(std::vector<ComPortBaseInfo_t>&) {}
bool CCheckManager::ReadAllSmsByPhoneSM(CPhoneCardBase*, CComPortBase*) { return false; }
void CCheckManager::PrintRecvSms(std::vector<SmsRecvStruct_t>) {}
void CCheckManager::GetPortSMS(ComPortBaseInfo_t, std::vector<SmsRecvStruct_t>&, std::vector<SmsRecvStruct_t>&) {}
bool CCheckManager::DelPortSMS(ComPortBaseInfo_t) { return false; }
