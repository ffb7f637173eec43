// Stop signals on Windows: the console's control events. Ctrl-C and Ctrl-Break stop the run; a
// console that closes ends the process once its handler returns, so the handler waits (within
// the few seconds Windows allows) until what was measured is saved.
#include <windows.h>

#include <csignal>

#include "run/stop_signals.h"

namespace kavlab {

namespace {

volatile LONG caught = 0;  ///< the control event caught, plus one; 0 when none
volatile LONG saved = 0;   ///< release_stop_signals ran: the handler may return

/// The longest a closing console's handler waits for the save, below Windows's own limit.
constexpr DWORD kCloseWaitMs = 4500;

BOOL WINAPI on_control(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  InterlockedExchange(&caught, static_cast<LONG>(event) + 1);
  request_stop();
  if (event == CTRL_CLOSE_EVENT)
    for (DWORD waited = 0; waited < kCloseWaitMs && saved == 0; waited += 50) Sleep(50);
  return TRUE;
}

}  // namespace

void catch_stop_signals() {
  InterlockedExchange(&caught, 0);
  InterlockedExchange(&saved, 0);
  clear_stop_request();
  SetConsoleCtrlHandler(on_control, TRUE);
}

void release_stop_signals() {
  InterlockedExchange(&saved, 1);
  SetConsoleCtrlHandler(on_control, FALSE);
}

ExitStatus caught_stop() {
  switch (caught) {
    case CTRL_C_EVENT + 1:
    case CTRL_BREAK_EVENT + 1:
      return ExitStatus::Interrupted;
    case CTRL_CLOSE_EVENT + 1:
      return ExitStatus::HungUp;
    default:
      return ExitStatus::Done;
  }
}

}  // namespace kavlab
