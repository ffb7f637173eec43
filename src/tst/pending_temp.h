// The temporary file of a pending replacement, removed when the process ends before the file is
// committed: at a normal end, and at the signals (or console events) that end a run.
#ifndef KAVTEST_PENDING_TEMP_H
#define KAVTEST_PENDING_TEMP_H

/// Remembers `path` as the pending temporary file and arms its removal. One at a time. A null
/// `path` is an unnamed temporary file, which the system removes itself: only the signal
/// settings are armed.
void hold_temp(const char* path);
/// Forgets the pending temporary file (committed or removed by the caller) and disarms.
void release_temp();
/// Holds back the signals that end a run (true) until they are let through again (false), so
/// that committing a file is not cut short.
void hold_signals(bool held);

#endif
