#pragma once
#include <string>

// Polling passes of one read window for the time1 setting: 300 unless it is above 0, and at
// most 20000 (about 10 s).
int ReadWindowPasses(int time1);

// The Linux port: non-blocking descriptor, raw 8N1 through the terminal-settings table,
// select-driven write and read loops with fixed pass counts and sleeps.
class CComPortBaseLinux {
public:
    CComPortBaseLinux(std::string portName, int baud);
    virtual ~CComPortBaseLinux();
    CComPortBaseLinux(const CComPortBaseLinux&) = delete;
    CComPortBaseLinux& operator=(const CComPortBaseLinux&) = delete;

    bool Open();
    bool Close();
    bool IsOpened();
    // False when any byte of text is left unwritten.
    bool Write(std::string text);
    // Runs one read window and appends what arrived (kept input first) to reply.
    bool ReadAll(std::string& reply);
    // Drops the kept input and what waits on the descriptor, without waiting for more; returns
    // what it dropped.
    std::string DiscardInput();
    // Writes NUL ESC CR, which ends a send prompt a module may still wait in, and drops the
    // answer that arrives within one read window.
    void CancelPendingPrompt();
    bool IsComError() const;
    std::string GetErrorMsg() const;
    // Largest number of bytes one write call carries on this port.
    int WriteChunk() const;

    static void ResetAllComPort();
    static void ResetPortWaits();

private:
    bool SetParam();
    void HandleError();
    // Keeps the first error only: "Code: %d  " and text.
    void RecordError(int code, const char* text);
    void Read(std::string& reply);

    int m_nErrorCode;
    std::string m_strErrorMsg;
    std::string m_strPortName;
    int m_nBaud;
    int m_fd;
    std::string m_strKeepInput;
    // Chunk computed by this port's own SetParam; -1 while it has not computed one.
    int m_nWriteChunk;
};
