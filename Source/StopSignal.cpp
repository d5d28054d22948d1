#include "StopSignal.h"

#include <csignal>

#include "AppGlobals.h"

namespace {

const int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

void RecordStopSignal(int signo)
{
    if (g_nStopSignal == 0)
        g_nStopSignal = signo;
}

void SetStopSignalAction(void (*action)(int))
{
    struct sigaction sa {};
    sa.sa_handler = action;
    sigemptyset(&sa.sa_mask);
    // The same signal twice ends the process even before the flow has seen the first.
    sa.sa_flags = action == SIG_DFL ? 0 : SA_RESETHAND;
    for (int signo : STOP_SIGNALS)
        sigaction(signo, &sa, nullptr);
}

} // namespace

void CatchStopSignals()
{
    SetStopSignalAction(RecordStopSignal);
}

bool StopRequested()
{
    static bool defaultsBack = false;
    if (g_nStopSignal == 0)
        return false;
    if (!defaultsBack) {
        SetStopSignalAction(SIG_DFL);
        defaultsBack = true;
    }
    return true;
}

int StopExitStatus()
{
    return g_nStopSignal == 0 ? 0 : 128 + g_nStopSignal;
}
