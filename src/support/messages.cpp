#include "messages.h"

#include <cstdio>
#include <ctime>

#include "exit.h"

int verbose_mode = 0;
long StartTicks = 0;

static bool chatty() { return verbose_mode == 0; }

void BeginProcessing(const char* Message) {
  if (!chatty()) return;
  std::printf("\n%s... ", Message);
  std::fflush(stdout);
}

void EndProcessing() {
  if (!chatty()) return;
  std::printf("OK\n");
  std::fflush(stdout);
}

void Warning(const char* Message, int LineNumber) {
  if (!chatty()) return;
  if (LineNumber == -1)
    std::printf("\nWarning: %s\n", Message);
  else
    std::printf("\nWarning at line %d: %s\n", LineNumber, Message);
  std::fflush(stdout);
}

void Warnings(const char* Message1, const char* Message2, int LineNumber) {
  if (!chatty()) return;
  if (LineNumber == -1)
    std::printf("\nWarning: %s : %s\n", Message1, Message2);
  else
    std::printf("\nWarning at line %d: %s : %s\n", LineNumber, Message1, Message2);
  std::fflush(stdout);
}

void Error(const char* Message, int LineNumber) {
  if (LineNumber == -1)
    std::fprintf(stderr, "\nError: %s!\n", Message);
  else
    std::fprintf(stderr, "\nError at line %d: %s!\n", LineNumber, Message);
  end_process(FATAL_ERROR_STATUS);
}

void Errors(const char* Message1, const char* Message2, int LineNumber) {
  if (LineNumber == -1)
    std::fprintf(stderr, "\nError: %s : %s!\n", Message1, Message2);
  else
    std::fprintf(stderr, "\nError at line %d: %s : %s!\n", LineNumber, Message1, Message2);
  end_process(FATAL_ERROR_STATUS);
}

void TextOut(const char* Message) {
  if (!chatty()) return;
  std::fputs(Message, stdout);
  std::fflush(stdout);
}

void StartTimer() { StartTicks = static_cast<long>(std::clock()); }

void EndTimer() {
  long EndTicks = static_cast<long>(std::clock());
  double fin_time = static_cast<double>(EndTicks - StartTicks) / CLOCKS_PER_SEC;
  if (!chatty()) return;
  std::printf("Time, used by process: %f \n", fin_time);
  std::fflush(stdout);
}

void PrintProgress(unsigned int X_curr, unsigned int X_max, unsigned int Y_curr,
                   unsigned int Y_max) {
  std::printf("\n%d %d %d %d ", static_cast<int>(X_curr), static_cast<int>(X_max),
              static_cast<int>(Y_curr), static_cast<int>(Y_max));
  std::fflush(stdout);
}
