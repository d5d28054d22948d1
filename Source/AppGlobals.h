#pragma once
#include <csignal>

// Detection's mode-setting steps print their trace lines only while this is true.
extern bool g_bShowExtend;
// Settings from set.ini: `def` and `time1`..`time10` of section `comm`.
extern int g_nWinUserSet;
extern int g_nWinUserValue[10];
// The longest read window `time1` can ask for, in polling passes (about 12 s): no setting makes one
// window last hours, and the passes a chunk adds cannot overflow the limit.
constexpr int MAX_WINDOW_PASSES = 20000;
// The stop signal an sms report mode has caught, 0 while none (see StopSignal.h).
extern volatile sig_atomic_t g_nStopSignal;
