#pragma once

// SIGINT, SIGTERM and SIGHUP during the sms report modes. Once the first port's turn has
// begun, a stopped run must still print what it deleted: the handler only records the signal,
// and the flow writes no new command, leaves the read window in progress at its next polling
// pass and a port-lock wait at its next poll, then prints its report.

// From now on the first of the three signals is recorded instead of ending the process; a
// second one ends it as it would have.
void CatchStopSignals();
// A recorded signal asks the run to stop.
bool StopRequested();
// The process's exit status: 128 + the recorded signal's number, or 0.
int StopExitStatus();
