#pragma once
#include <string>

namespace sim {

// A pseudo-terminal pair. The simulator keeps its own slave descriptor open, so the tool may
// open and close the slave path at will without the master ever seeing a hang-up.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const;
    int Master() const;
    const std::string& SlavePath() const;
    // Line speed in bit/s that the tool last set on the slave; -1 when not a known speed.
    int LineSpeed() const;
    // Closes both ends: whoever has the slave open sees a hang-up.
    void Close();

private:
    int m_master;
    int m_slave;
    std::string m_slavePath;
};

} // namespace sim
