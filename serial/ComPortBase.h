#pragma once
#include <memory>
#include <string>

class CComPortBaseLinux;

// One open serial port. Constructing it opens the device; destroying it closes it.
class CComPortBase {
public:
    CComPortBase(std::string portName, int baud);
    virtual ~CComPortBase();
    CComPortBase(const CComPortBase&) = delete;
    CComPortBase& operator=(const CComPortBase&) = delete;

    bool Open();
    bool Close();
    bool IsOpened();
    // False unless the port is open and every byte of text went out.
    bool Write(std::string text);
    // Runs one read window and appends what arrived to reply; the port never clears reply.
    bool ReadAll(std::string& reply);
    // Drops the input that has arrived and not been read yet, without waiting for more, and
    // tells what it was.
    std::string DiscardInput();
    // Writes NUL ESC CR, which ends a send prompt a module may still wait in, and drops the
    // answer that arrives within one read window. Opening the port does it too.
    void CancelPendingPrompt();
    bool IsComError() const;
    std::string GetErrorMsg() const;

    // Start-up: empties the settings table and registers the restore of managed ports at exit.
    static void ResetAllComPort();
    // Starts a new round of port waits (a scan, a send, a read): a port another program holds
    // is waited for again, up to the whole bound, and said so once more.
    static void ResetPortWaits();

private:
    std::unique_ptr<CComPortBaseLinux> m_pImpl;
};
