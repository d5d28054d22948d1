#include "ComPortBase.h"

// Placeholder until the serial layer lands: no port ever opens.
CComPortBase::CComPortBase(std::string, int) : m_pImpl(nullptr) {}
CComPortBase::~CComPortBase() = default;
bool CComPortBase::Open() { return false; }
bool CComPortBase::Close() { return false; }
bool CComPortBase::IsOpened() { return false; }
bool CComPortBase::Write(std::string) { return false; }
bool CComPortBase::ReadAll(std::string&) { return false; }
bool CComPortBase::IsComError() const { return false; }
std::string CComPortBase::GetErrorMsg() const { return ""; }
void CComPortBase::ResetAllComPort() {}
