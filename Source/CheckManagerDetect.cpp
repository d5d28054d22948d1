#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

#include "CheckManager.h"
#include "ComPortBase.h"
#include "ConsoleText.h"
#include "PhoneFactory.h"
#include "StringUtil.h"

std::vector<DeviceBaseComInfo> CCheckManager::g_comVec;
pthread_mutex_t vecLock = PTHREAD_MUTEX_INITIALIZER;

namespace {

const int DETECT_BAUDS[] = {9600, 115200};
const int NO_MATCH_BAUD = 115200;

// Holds vecLock for one scope.
class VecLockGuard {
public:
    VecLockGuard() { pthread_mutex_lock(&vecLock); }
    ~VecLockGuard() { pthread_mutex_unlock(&vecLock); }
    VecLockGuard(const VecLockGuard&) = delete;
    VecLockGuard& operator=(const VecLockGuard&) = delete;
};

// One detection thread; joined at the latest when the object goes.
class DetectThread {
public:
    explicit DetectThread(const std::string& port)
    {
        // The path text outlives the thread: the port list is kept until every thread is joined.
        m_started = pthread_create(&m_id, nullptr, ThreadFunc,
                                   const_cast<char*>(port.c_str())) == 0;
    }
    ~DetectThread() { Join(); }
    DetectThread(const DetectThread&) = delete;
    DetectThread& operator=(const DetectThread&) = delete;

    bool Started() const { return m_started; }
    void Join()
    {
        if (m_started)
            pthread_join(m_id, nullptr);
        m_started = false;
    }

private:
    pthread_t m_id{};
    bool m_started = false;
};

// Asks a mode or operator query and reads its answer: the first read window that succeeds.
// Input left from an earlier command is not this query's answer.
std::string QueryReply(CComPortBase* port, const std::string& command)
{
    port->DiscardInput();
    port->Write(command);
    std::string reply;
    for (int i = 0; i < 5; ++i) {
        if (port->ReadAll(reply))
            break;
        usleep(LINUX_SLEEP);
    }
    return reply;
}

void Trace(const DeviceBaseComInfo* info, const std::string& text)
{
    if (!g_bShowExtend)
        return;
    // One write per line, so lines of parallel detection threads do not mix mid-line.
    std::cout << ConsoleLine(FieldText(info->portName) + text) + "\n";
    std::cout.flush();
}

void SetModeConfig(CComPortBase* port, DeviceBaseComInfo* info, int mode)
{
    port->Write("AT^MODECONFIG=" + std::to_string(mode) + "\r");
    Trace(info, " > SET MODECONFIG=" + std::to_string(mode));
}

// Probes one open port at its current rate; on a recognised module fills the record and
// returns true.
bool ProbeAndIdentify(CComPortBase* port, int baud,
                      const std::vector<std::unique_ptr<CPhoneCardBase>>& candidates,
                      DeviceBaseComInfo* info)
{
    // Echo off first; what it answers is not judged.
    port->Write("ATE0\r\n");
    std::string scratch;
    port->ReadAll(scratch);

    CPhoneCardBase* probe = candidates.front().get();
    if (!CCheckManager::RunComCmdAT(probe, port))
        return false;
    CCheckManager::RunComCmdATI(probe, port);
    const std::string ati = probe->GetAtiRspString();
    CPhoneCardBase* match = FindAtiMatch(candidates, ati);
    if (match == nullptr)
        return false;

    info->baud = baud;
    info->phoneType = match->GetPhoneType();
    CopyToField(info->atiRsp, ati);
    info->bAT = true;
    info->portOk = true;

    CCheckManager::RunComCmdInitPhone(match, port);
    CCheckManager::RunComCmdGetSerialNumber(match, port);
    if (CCheckManager::RunComCmdGetSmsCardNumber(match, port))
        CCheckManager::RunComCmdGetSignalStrength(match, port);
    CopyToField(info->smsNumber, match->GetSmsCardNumber());
    CopyToField(info->serial, match->GetSerialNumber());
    CopyToField(info->signal, match->GetSignalStrength());

    if (strlen(info->smsNumber) > 3) {
        CCheckManager::RunCommCmdGetModeConfig(port, info);
        CCheckManager::RunCommCmdGetCOPS(port, info);
        CCheckManager::RunCommCmdResetModeConfig(port, info);
    }
    return true;
}

// A path that is the device node itself, not a link to it.
bool IsOwnPath(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode);
}

// Candidate paths that name one device (a udev alias linking to /dev/ttyUSB0) are kept once, or
// two threads would talk to one modem at the same time: under the device's own path when that is
// a candidate, else under the first in byte order. Paths that are no character device stay.
std::vector<std::string> OnePathPerDevice(const std::vector<std::string>& paths)
{
    std::vector<std::optional<dev_t>> devices;
    std::map<dev_t, size_t> kept; // device -> index of the path it is probed under
    for (size_t i = 0; i < paths.size(); ++i) {
        struct stat st;
        if (stat(paths[i].c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) {
            devices.push_back(std::nullopt);
            continue;
        }
        devices.push_back(st.st_rdev);
        const auto [entry, first] = kept.emplace(st.st_rdev, i);
        const std::string& current = paths[entry->second];
        const bool own = IsOwnPath(paths[i]);
        if (!first && (own != IsOwnPath(current) ? own : paths[i] < current))
            entry->second = i;
    }
    std::vector<std::string> result;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!devices[i] || kept[*devices[i]] == i)
            result.push_back(paths[i]);
    }
    return result;
}

} // namespace

std::string cmd_system(const char* command)
{
    std::string result;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command, "r"), pclose);
    if (!pipe)
        return result;
    char buffer[1024];
    for (;;) {
        size_t n = fread(buffer, 1, sizeof(buffer) - 2, pipe.get());
        if (n == 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

std::vector<std::string> CCheckManager::GetAllComPort()
{
    std::vector<std::string> ports;
    for (const std::string& line : SplitStringByChar(cmd_system("ls /dev/ttyUSB* 2> /dev/null"), '\n')) {
        if (line.find("dev") != std::string::npos)
            ports.push_back(line);
    }
    // The first two on-board serial ports are always candidates, present or not.
    ports.push_back("/dev/ttyS0");
    ports.push_back("/dev/ttyS1");
    return OnePathPerDevice(ports);
}

std::vector<DeviceBaseComInfo> CCheckManager::DetectAllDevice()
{
    CComPortBase::ResetPortWaits();
    {
        VecLockGuard lock;
        g_comVec.clear();
    }
    const std::vector<std::string> ports = GetAllComPort();
    {
        std::vector<std::unique_ptr<DetectThread>> threads;
        std::vector<std::string> notStarted;
        // Every thread is started before the first join: the ports are probed in parallel.
        for (const std::string& port : ports) {
            threads.emplace_back(new DetectThread(port));
            if (!threads.back()->Started())
                notStarted.push_back(port);
        }
        // A port whose thread could not start is still detected, here, so it keeps its row.
        for (const std::string& port : notStarted)
            GetInfoOnPort(port.c_str());
        for (std::unique_ptr<DetectThread>& thread : threads)
            thread->Join();
    }
    VecLockGuard lock;
    std::sort(g_comVec.begin(), g_comVec.end(), LessDeviceBaseComInfo);
    return g_comVec;
}

void* ThreadFunc(void* arg)
{
    GetInfoOnPort(static_cast<const char*>(arg));
    return nullptr;
}

void GetInfoOnPort(const char* port)
{
    const std::vector<std::unique_ptr<CPhoneCardBase>> candidates = MakeIdentificationCandidates();
    DeviceBaseComInfo info;
    CopyToField(info.portName, port);

    bool matched = false;
    for (int baud : DETECT_BAUDS) {
        CComPortBase com(port, baud);
        if (!com.Open())
            continue;
        matched = ProbeAndIdentify(&com, baud, candidates, &info);
        com.Close();
        if (matched)
            break;
    }
    if (!matched) {
        info.baud = NO_MATCH_BAUD;
        info.bAT = false;
        info.portOk = true;
    }

    VecLockGuard lock;
    CCheckManager::g_comVec.push_back(info);
}

bool LessDeviceBaseComInfo(const DeviceBaseComInfo& a, const DeviceBaseComInfo& b)
{
    return strcmp(a.portName, b.portName) < 0;
}

std::string CCheckManager::getRightString(const char* src, const char* key)
{
    if (src == nullptr || key == nullptr)
        return "";
    const std::string text(src);
    const size_t keyLen = strlen(key);
    if (text.empty() || keyLen == 0 || keyLen >= text.size())
        return "";
    size_t p = text.find(key);
    if (p == std::string::npos)
        return "";
    size_t q = text.find(':', p + 1);
    if (q == std::string::npos)
        return "";
    size_t r = text.find('\r', q);
    if (r == std::string::npos)
        r = text.find('\n', q);
    if (r == std::string::npos)
        return "";
    const char* blanks = " \n\r\t";
    std::string value = text.substr(q + 1, r - q - 1);
    size_t first = value.find_first_not_of(blanks);
    if (first == std::string::npos)
        return "";
    size_t last = value.find_last_not_of(blanks);
    return value.substr(first, last - first + 1);
}

void CCheckManager::RunCommCmdGetModeConfig(CComPortBase* port, DeviceBaseComInfo* info)
{
    if (info->phoneType != PHONE_TYPE_SORVIK || !port->Open())
        return;
    const std::string reply = QueryReply(port, "AT^MODECONFIG?\r");
    info->modeConfig = 0;
    const std::string value = getRightString(reply.c_str(), "^MODECONFIG");
    if (!value.empty())
        info->modeConfig = atoi(value.c_str());
    Trace(info, " > GET MODECONFIG = " + std::to_string(info->modeConfig));
}

void CCheckManager::RunCommCmdGetCOPS(CComPortBase* port, DeviceBaseComInfo* info)
{
    if (!port->Open())
        return;
    const std::string reply = QueryReply(port, "AT+COPS?\r");
    info->cops = getRightString(reply.c_str(), "+COPS");
    Trace(info, " > GET COPS = " + info->cops);
}

void CCheckManager::RunCommCmdResetModeConfig(CComPortBase* port, DeviceBaseComInfo* info)
{
    if (info->phoneType != PHONE_TYPE_SORVIK || strlen(info->smsNumber) <= 4 || !port->Open())
        return;
    int rssi = info->regetRssi();
    bool hasSignal = rssi >= 0 && rssi <= 98;
    switch (info->modeConfig) {
    case 22:
        // 99 means "not known or not detectable" (3GPP TS 27.007 +CSQ): fall back to mode 2.
        if (rssi > 98)
            SetModeConfig(port, info, 2);
        break;
    case 2:
        // With signal on a China Telecom network the module is switched to mode 22.
        if (hasSignal && (info->cops.find("CT\"") != std::string::npos ||
                          info->cops.find("TELECOM\"") != std::string::npos))
            SetModeConfig(port, info, 22);
        break;
    default:
        SetModeConfig(port, info, 2);
        break;
    }
}
