// Step lines, warnings and fatal errors of the file readers and writers, and a process timer.
#ifndef KAVTEST_MESSAGES_H
#define KAVTEST_MESSAGES_H

/// 0: informative text is printed; 1: quiet (set by -quiet).
extern int verbose_mode;
/// Process clock at StartTimer.
extern long StartTicks;

/// Opens a step line: "\n<Message>... ".
void BeginProcessing(const char* Message);
/// Closes the open step line with "OK".
void EndProcessing();
/// Non-fatal messages on standard output; LineNumber -1 means no line.
void Warning(const char* Message, int LineNumber);
void Warnings(const char* Message1, const char* Message2, int LineNumber);
/// Fatal messages on standard error; the process ends with status 14.
[[noreturn]] void Error(const char* Message, int LineNumber);
[[noreturn]] void Errors(const char* Message1, const char* Message2, int LineNumber);
void TextOut(const char* Message);
void StartTimer();
void EndTimer();
void PrintProgress(unsigned int X_curr, unsigned int X_max, unsigned int Y_curr,
                   unsigned int Y_max);

/// Exit status of Error and Errors.
constexpr int FATAL_ERROR_STATUS = 14;

#endif
