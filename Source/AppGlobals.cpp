#include "AppGlobals.h"

bool g_bShowExtend = true;
int g_nWinUserSet = 0;
int g_nWinUserValue[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
volatile sig_atomic_t g_nStopSignal = 0;
