// Removal of a pending temporary file at exit and at the console events that end a run (Ctrl-C,
// Ctrl-Break, closing the console, logging off, shutting down). Windows runs the handler on a
// thread of its own: it waits while a file is being committed, removes the temporary file and
// lets the default handler end the process.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "pending_temp.h"

namespace {

char pending[4 * MAX_PATH];
volatile LONG is_pending = 0;
volatile LONG committing = 0;

void remove_pending() {
  if (InterlockedExchange(&is_pending, 0) != 0 && pending[0] != '\0') DeleteFileA(pending);
}

BOOL WINAPI on_console_event(DWORD) {
  while (committing != 0) Sleep(10);
  remove_pending();
  return FALSE;  // on to the default handler, which ends the process
}

}  // namespace

void hold_temp(const char* path) {
  static bool at_exit = false;
  if (!at_exit) at_exit = std::atexit(remove_pending) == 0;
  if (path != nullptr && std::strlen(path) >= sizeof pending) return;
  std::strcpy(pending, path != nullptr ? path : "");
  InterlockedExchange(&is_pending, 1);
  SetConsoleCtrlHandler(on_console_event, TRUE);
}

void release_temp() {
  InterlockedExchange(&is_pending, 0);
  SetConsoleCtrlHandler(on_console_event, FALSE);
}

void hold_signals(bool held) { InterlockedExchange(&committing, held ? 1 : 0); }
