#pragma once
#include <fcntl.h>
#include <pty.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "../PromptCancel.h"
#include "AppGlobals.h"

// The far end of a pseudo-terminal that a test scripts by hand: it answers nothing by itself,
// queues what the test gives it, and hands back every byte the tool wrote to the slave.
class PtyPeer {
public:
    PtyPeer()
    {
        char name[128] = {0};
        // Raw from the start, so nothing queued before the tool opens the port is echoed back.
        struct termios raw;
        cfmakeraw(&raw);
        cfsetspeed(&raw, B9600);
        if (openpty(&m_master, &m_slave, name, &raw, nullptr) == 0) {
            m_path = name;
            fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPeer()
    {
        JoinAnswer();
        HangUp();
        if (m_slave >= 0)
            close(m_slave);
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& Path() const { return m_path; }
    bool Ok() const { return m_master >= 0; }

    // Queues text for the tool to read and waits (bounded) until it can be read on the
    // slave side, so the tool's next read window is sure to see it.
    void Send(const std::string& text)
    {
        if (m_master < 0 || text.empty())
            return;
        (void)write(m_master, text.data(), text.size());
        fd_set set;
        FD_ZERO(&set);
        FD_SET(m_slave, &set);
        struct timeval deadline = {2, 0};
        select(m_slave + 1, &set, nullptr, nullptr, &deadline);
    }

    // Answers command: once the tool has written all of it (within 2 s), text is queued. An
    // earlier byte is no cue: opening the port writes the cancel bytes first, and the tool drops
    // what waits on the line before it writes a command, so a reply must come after it.
    void AnswerAfterWrite(const std::string& command, const std::string& text)
    {
        JoinAnswer();
        m_answer = std::thread([this, command, text] {
            const size_t from = m_early.size();
            for (int waited = 0; waited < 2000; ++waited) {
                char buf[512];
                ssize_t n;
                while ((n = read(m_master, buf, sizeof(buf))) > 0)
                    m_early.append(buf, static_cast<size_t>(n));
                if (m_early.find(command, from) != std::string::npos) {
                    (void)write(m_master, text.data(), text.size());
                    return;
                }
                usleep(1000);
            }
        });
    }

    // Everything the tool has written since the last call. A marker written behind it on the
    // same line shows when all of it has come through, so nothing is left in flight.
    std::string Written()
    {
        static const std::string marker = "\x02end-of-written\x03";
        JoinAnswer();
        std::string out;
        out.swap(m_early);
        if (m_master < 0 || write(m_slave, marker.data(), marker.size()) < 0)
            return out;
        for (int waited = 0; waited < 2000; ++waited) {
            char buf[512];
            ssize_t n;
            while ((n = read(m_master, buf, sizeof(buf))) > 0)
                out.append(buf, static_cast<size_t>(n));
            size_t at = out.find(marker);
            if (at != std::string::npos)
                return out.erase(at, marker.size());
            usleep(1000);
        }
        return out;
    }

    // Closes the master side: the tool's reads on the slave then fail.
    void HangUp()
    {
        if (m_master >= 0)
            close(m_master);
        m_master = -1;
    }

private:
    void JoinAnswer()
    {
        if (m_answer.joinable())
            m_answer.join();
    }

    std::thread m_answer;
    std::string m_early; // written by the tool and read by the answering thread
    int m_master = -1;
    int m_slave = -1; // kept open so the pty stays up while the tool opens and closes it
    std::string m_path;
};

// Shortens every serial read window for the life of the object: timing is not what the
// tests look at, and the tools' try counts multiply the window length.
class ShortReadWindows {
public:
    explicit ShortReadWindows(int passes = 2)
        : m_savedSet(g_nWinUserSet), m_savedPasses(g_nWinUserValue[0])
    {
        g_nWinUserSet = 1;
        g_nWinUserValue[0] = passes;
    }
    ~ShortReadWindows()
    {
        g_nWinUserSet = m_savedSet;
        g_nWinUserValue[0] = m_savedPasses;
    }

private:
    int m_savedSet;
    int m_savedPasses;
};
