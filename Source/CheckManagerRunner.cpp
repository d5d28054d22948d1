#include "CheckManager.h"

// Placeholder bodies until the conversation runner lands.
bool CCheckManager::RunComCmdAT(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdATI(CPhoneCardBase*, CComPortBase*) { return false; }
void CCheckManager::RunComCmdInitPhone(CPhoneCardBase*, CComPortBase*) {}
bool CCheckManager::RunComCmdGetSerialNumber(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdGetSmsCardNumber(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdGetSignalStrength(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdQuerySMSC(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdSetPduMode(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdSendPduLen(CPhoneCardBase*, CComPortBase*, std::string) { return false; }
bool CCheckManager::RunComCmdSendPduContext(CPhoneCardBase*, CComPortBase*, std::string) { return false; }
bool CCheckManager::RunComCmdSetRecvSmsCompatibleMode(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdReadAllSmsToPhone(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdDelAllSms(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdReadME_Sms(CPhoneCardBase*, CComPortBase*) { return false; }
bool CCheckManager::RunComCmdReadSM_Sms(CPhoneCardBase*, CComPortBase*) { return false; }
unsigned long long time_usec2() { return 0; }
int usleep_until2(unsigned long long) { return 0; }
