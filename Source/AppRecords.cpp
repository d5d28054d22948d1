#include "AppRecords.h"

#include <cstdio>
#include <cstring>

DeviceBaseComInfo::DeviceBaseComInfo()
    : baud(0), phoneType(PHONE_TYPE_BASE), bAT(false), portOk(false), modeConfig(0), rssi(99), ber(0)
{
    memset(portName, 0, sizeof(portName));
    memset(smsNumber, 0, sizeof(smsNumber));
    memset(signal, 0, sizeof(signal));
    memset(serial, 0, sizeof(serial));
    memset(atiRsp, 0, sizeof(atiRsp));
}

int DeviceBaseComInfo::regetRssi()
{
    sscanf(signal, "%d,%d", &rssi, &ber);
    return rssi;
}
