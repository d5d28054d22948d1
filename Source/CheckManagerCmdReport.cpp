#include "CheckManager.h"

// Placeholder bodies until the report and PDU test modes land.
void CCheckManager::OnCmdSMS(const std::string&) {}
void CCheckManager::GetPortList(std::vector<ComPortBaseInfo_t>&) {}
void CCheckManager::OnCmdPduTest(const std::string&, const std::string&) {}
