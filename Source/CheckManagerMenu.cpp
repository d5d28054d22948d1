#include "CheckManager.h"

// Placeholder bodies until the menu lands.
void CCheckManager::Start() {}
int CCheckManager::PrintBaseMenu() { return 0; }
void CCheckManager::PrintAllDevice() {}
void CCheckManager::OnScanPort() {}
int getchLinux() { return -1; }
std::string GetPortId(std::string) { return ""; }
