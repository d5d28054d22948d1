#include "Pty.h"

#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

struct SpeedRow {
    speed_t code;
    int speed;
};

const SpeedRow kSpeeds[] = {
    {B0, 0},         {B50, 50},       {B75, 75},         {B110, 110},       {B134, 134},
    {B150, 150},     {B200, 200},     {B300, 300},       {B600, 600},       {B1200, 1200},
    {B1800, 1800},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
};

} // namespace

Pty::Pty() : m_master(-1), m_slave(-1)
{
    char name[PATH_MAX] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) < 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // A serial line does not echo or cook: until the tool sets the line up, neither does this one.
    termios t;
    if (tcgetattr(m_slave, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(m_slave, TCSANOW, &t);
    }
    m_slavePath = name;
}

Pty::~Pty()
{
    Close();
}

bool Pty::Ok() const
{
    return m_master >= 0;
}

int Pty::Master() const
{
    return m_master;
}

const std::string& Pty::SlavePath() const
{
    return m_slavePath;
}

int Pty::LineSpeed() const
{
    termios t;
    // The master reports the slave's settings: those the tool applied.
    if (m_master < 0 || tcgetattr(m_master, &t) < 0) {
        return -1;
    }
    speed_t code = cfgetospeed(&t);
    for (const SpeedRow& row : kSpeeds) {
        if (row.code == code) {
            return row.speed;
        }
    }
    return -1;
}

void Pty::Close()
{
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        close(m_slave);
        m_slave = -1;
    }
}

} // namespace sim
