#pragma once
// Helpers for the read and report flow tests: operator input, console capture and a bare
// pseudo-terminal that shows whether a flow touched a device.
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "../PromptCancel.h"

// Feeds std::cin from a text for the lifetime of the object.
class ScopedInput {
public:
    explicit ScopedInput(const std::string& text) : m_input(text), m_saved(std::cin.rdbuf(m_input.rdbuf())) {}
    ~ScopedInput()
    {
        std::cin.rdbuf(m_saved);
        std::cin.clear();
    }

private:
    std::istringstream m_input;
    std::streambuf* m_saved;
};

// Everything a call writes to standard output.
template <typename F> std::string CaptureConsole(F call)
{
    testing::internal::CaptureStdout();
    call();
    std::cout.flush();
    return testing::internal::GetCapturedStdout();
}

inline std::string Red(const std::string& text) { return "\x1b[1m\x1b[31m" + text + "\x1b[0m"; }
inline std::string Green(const std::string& text) { return "\x1b[1m\x1b[32m" + text + "\x1b[0m"; }

// A pseudo-terminal nobody answers on: a flow that opens its slave switches it to raw mode, and
// whatever a flow writes waits on the master side.
class IdlePty {
public:
    IdlePty()
    {
        char name[64] = {};
        if (openpty(&m_master, &m_slave, name, nullptr, nullptr) == 0)
            m_path = name;
    }
    ~IdlePty()
    {
        if (m_master >= 0)
            close(m_master);
        if (m_slave >= 0)
            close(m_slave);
    }
    IdlePty(const IdlePty&) = delete;
    IdlePty& operator=(const IdlePty&) = delete;

    const std::string& Path() const { return m_path; }

    // Still in the canonical mode a fresh pseudo-terminal starts in.
    bool Untouched() const
    {
        termios tio {};
        return tcgetattr(m_slave, &tio) == 0 && (tio.c_lflag & ICANON) != 0;
    }

    // What has been written to the slave so far, without waiting.
    std::string Written() const
    {
        std::string text;
        char buffer[256];
        for (;;) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(m_master, &readable);
            timeval none {};
            if (select(m_master + 1, &readable, nullptr, nullptr, &none) <= 0)
                return text;
            const ssize_t n = read(m_master, buffer, sizeof(buffer));
            if (n <= 0)
                return text;
            text.append(buffer, static_cast<size_t>(n));
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
};
