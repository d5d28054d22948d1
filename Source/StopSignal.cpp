#include "StopSignal.h"

#include <csignal>

#include "AppGlobals.h"

namespace {

// The first signal asks the flow to stop; a second one acts as it would have without us.
void OnStopSignal(int signo)
{
    if (g_nStopSignal == 0) {
        g_nStopSignal = signo;
        return;
    }
    signal(signo, SIG_DFL);
    raise(signo);
}

} // namespace

void CatchStopSignals()
{
    const int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    // Restarted, so a signal during the report's write does not cut it short; the others
    // masked, so one arriving during the handler counts as the second.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    for (int signo : stopSignals)
        sigaddset(&sa.sa_mask, signo);
    for (int signo : stopSignals) {
        // A signal ignored on entry (nohup, a background job of a script) stays ignored.
        struct sigaction before {};
        if (sigaction(signo, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
            sigaction(signo, &sa, nullptr);
    }
}

bool StopRequested()
{
    return g_nStopSignal != 0;
}

int StopExitStatus()
{
    return g_nStopSignal == 0 ? 0 : 128 + g_nStopSignal;
}
