#include "CheckManager.h"

// Placeholder bodies until the command-line send mode lands.
void CCheckManager::OnCmdParams(int, char**) {}
int CCheckManager::HandleCmdParams(int, char**) { return 0; }
void CCheckManager::PrintSendPduSmsResultAsJson() {}
