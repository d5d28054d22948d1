#include "CheckManager.h"

// Placeholder bodies until operator input lands.
bool CCheckManager::InputCheckSendPduSmsPhoneNumbers(std::vector<std::string>&) { return false; }
bool CCheckManager::InputCheckSendPduSmsComPorts(std::vector<ComPortBaseInfo_t>&) { return false; }
bool CCheckManager::InputCheckSendPduSmsContext(std::string&) { return true; }
bool CCheckManager::InputToSendPduSmsContext(std::string&) { return true; }
bool CCheckManager::InputToSendPduSmsComPort(const std::string&, std::vector<ComPortBaseInfo_t>&) { return false; }
std::vector<std::string> CCheckManager::SplitUserPhoneNumber(std::string) { return {}; }
bool CCheckManager::CheckReceiveNumber(std::string) { return false; }
std::string CCheckManager::RemoveDoubleQuotationMarksOfStringBothSide(std::string text) { return text; }
