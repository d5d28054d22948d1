#pragma once

// Standard output carries the sms reports, the only record of what a run deleted.

// fd is open, and open for writing.
bool IsOpenForWriting(int fd);
// Opens /dev/null on each of descriptors 0 to 2 that is closed, so that no port opened later
// takes a standard stream's number and gets the report, or an error line, written into it.
void OpenNullOnClosedStandardStreams();
// 0 while standard output can still take the report; else why not, as an errno value: its
// reader has gone (EPIPE), it has hung up (EIO) or it is not open (EBADF). A full disk does
// not show before the write.
int ReportOutputError();
// Says on standard error that the report cannot be written, for the reason err (an errno
// value, 0 when none is known); returns the run's exit status, EX_IOERR.
int ReportWriteFailed(int err);
