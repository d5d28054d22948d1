#include "ComPortBase.h"

#include "ComPortBaseLinux.h"

CComPortBase::CComPortBase(std::string portName, int baud)
    : m_pImpl(new CComPortBaseLinux(std::move(portName), baud))
{
    // Callers look at IsOpened or call Open again; the first result is not kept.
    m_pImpl->Open();
}

CComPortBase::~CComPortBase()
{
    if (m_pImpl) {
        m_pImpl->Close();
    }
}

bool CComPortBase::Open()
{
    return m_pImpl && m_pImpl->Open();
}

bool CComPortBase::Close()
{
    return m_pImpl && m_pImpl->Close();
}

bool CComPortBase::IsOpened()
{
    return m_pImpl && m_pImpl->IsOpened();
}

bool CComPortBase::Write(std::string text)
{
    if (!IsOpened()) {
        return false;
    }
    return m_pImpl->Write(std::move(text));
}

bool CComPortBase::ReadAll(std::string& reply)
{
    if (!m_pImpl) {
        return false;
    }
    std::string text;
    m_pImpl->ReadAll(text);
    reply += text;
    return true;
}

std::string CComPortBase::DiscardInput()
{
    return m_pImpl ? m_pImpl->DiscardInput() : std::string();
}

void CComPortBase::CancelPendingPrompt()
{
    if (m_pImpl) {
        m_pImpl->CancelPendingPrompt();
    }
}

bool CComPortBase::IsComError() const
{
    return m_pImpl && m_pImpl->IsComError();
}

std::string CComPortBase::GetErrorMsg() const
{
    return m_pImpl ? m_pImpl->GetErrorMsg() : std::string();
}

void CComPortBase::ResetAllComPort()
{
    CComPortBaseLinux::ResetAllComPort();
}

void CComPortBase::ResetPortWaits()
{
    CComPortBaseLinux::ResetPortWaits();
}
