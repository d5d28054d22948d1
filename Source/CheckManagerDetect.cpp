#include "CheckManager.h"

// Placeholder bodies until detection lands.
std::vector<DeviceBaseComInfo> CCheckManager::g_comVec;
pthread_mutex_t vecLock = PTHREAD_MUTEX_INITIALIZER;
std::vector<std::string> CCheckManager::GetAllComPort() { return {}; }
std::vector<DeviceBaseComInfo> CCheckManager::DetectAllDevice() { return {}; }
void CCheckManager::RunCommCmdGetModeConfig(CComPortBase*, DeviceBaseComInfo*) {}
void CCheckManager::RunCommCmdGetCOPS(CComPortBase*, DeviceBaseComInfo*) {}
void CCheckManager::RunCommCmdResetModeConfig(CComPortBase*, DeviceBaseComInfo*) {}
std::string CCheckManager::getRightString(const char*, const char*) { return ""; }
std::string cmd_system(const char*) { return ""; }
void* ThreadFunc(void*) { return nullptr; }
void GetInfoOnPort(const char*) {}
bool LessDeviceBaseComInfo(const DeviceBaseComInfo&, const DeviceBaseComInfo&) { return false; }
