#include "CheckManager.h"

// Placeholder bodies until the send flow lands.
void CCheckManager::OnSendPDUSms() {}
void CCheckManager::HandleSendPduSmsProcess(const std::vector<ComPortBaseInfo_t>&,
                                            const std::vector<std::string>&, const std::string&) {}
bool CCheckManager::SendPduSmsByPhone(CPhoneCardBase*, CComPortBase*, std::string, std::string) { return false; }
std::string CCheckManager::AddTimeStampToSmsContextByPhoneNum(std::string text, std::string, std::string) { return text; }
SMS_CODE_ENUM CCheckManager::GetSmsErrorCode(ComPortBaseInfo_t) { return SMS_CODE_FAILED; }
void CCheckManager::HandleSendSmsResultByMode(SendSmsResult_t) {}
void CCheckManager::PrintOneSendSmsResultPlainText(const SendSmsResult_t&) {}
