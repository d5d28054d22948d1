#pragma once
#include <string>

// Standard output carries the sms reports, the only record of what a run deleted.

// fd is open, and open for writing.
bool IsOpenForWriting(int fd);
// Opens /dev/null on each of descriptors 0 to 2 that is closed, so that no port opened later
// takes a standard stream's number and gets the report, or an error line, written into it.
// 0 when all three are open; else why /dev/null would not open, as an errno value.
int OpenNullOnClosedStandardStreams();
// Says on standard error, when it is open, that a closed standard stream could not be opened on
// /dev/null for the reason err; returns the run's exit status, EX_OSERR.
int StandardStreamsFailed(int err);
// 0 while fd can still take the report; else why not, as an errno value: its reader has gone
// (EPIPE), it has hung up (EIO), it is not open (EBADF), or it cannot be asked. A full disk
// does not show before the write.
int ReportOutputError(int fd);
// Says on standard error that the report cannot be written, for the reason err (an errno
// value, 0 when none is known), then writes report there, whole, when it is not empty: what a
// run deleted must not be lost with it. Returns the run's exit status, EX_IOERR.
int ReportWriteFailed(int err, const std::string& report = "");
