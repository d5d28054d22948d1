#pragma once
#include <string>

class CComPortBaseLinux;

// One open serial port. Constructing it opens the device; destroying it closes it.
class CComPortBase {
public:
    CComPortBase(std::string portName, int baud);
    virtual ~CComPortBase();

    bool Open();
    bool Close();
    bool IsOpened();
    bool Write(std::string text);
    // Runs one read window and appends what arrived to reply.
    bool ReadAll(std::string& reply);
    bool IsComError() const;
    std::string GetErrorMsg() const;

    static void ResetAllComPort();

private:
    CComPortBaseLinux* m_pImpl;
};
