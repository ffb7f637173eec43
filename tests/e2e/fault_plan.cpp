// The emulated box of kavtest-sim-faults, a test build of the tool that breaks one transfer the
// way real hardware can. The environment sets the fault before the tool starts:
//   KAVTEST_BOX_FAULTS      "write=N" (the N-th write fails), "read=N" (the N-th read fails),
//                           "short=N" (the N-th read delivers one byte) or "unplug=N" (the box
//                           is gone from transfer N on; transfers count writes and reads)
//   KAVTEST_BOX_TRANSCRIPT  a file that gets one letter per transfer when the tool ends:
//                           W a write, R a read; lower case when the transfer failed
//   KAVTEST_BOX_SIGNAL      "S@N": the process raises signal number S as transfer N starts
//   KAVTEST_BOX_FAULTY      with KAVTEST_SIM_BOXES boxes, the index of the one the plan breaks
//                           (default 0)
// A worker process forked from the program (kavlab-sim's -j) has a copy of the box and of its
// plan, and counts its own transfers from the count it was forked with: the planned fault
// breaks its N-th transfer too, and its planned signal goes to the program as well as to
// itself, as a terminal's Ctrl-C reaches every process of the job. The transcript is the
// program's own transfers.
#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform-sim.h"

namespace {

Box* planned_box = nullptr;

void write_transcript() {
  const char* path = std::getenv("KAVTEST_BOX_TRANSCRIPT");
  if (path == nullptr || planned_box == nullptr) return;
  std::string letters;
  for (const BoxTransfer& t : planned_box->transcript)
    letters += t.error == 0 ? (t.is_read ? 'R' : 'W') : (t.is_read ? 'r' : 'w');
  if (FILE* f = std::fopen(path, "w")) {
    std::fputs(letters.c_str(), f);
    std::fclose(f);
  }
}

void apply(BoxFaults* faults, const char* plan) {
  unsigned long n = 0;
  char kind[16] = "";
  if (std::sscanf(plan, "%15[a-z]=%lu", kind, &n) != 2 || n == 0) {
    std::fprintf(stderr, "KAVTEST_BOX_FAULTS: bad plan '%s'\n", plan);
    std::exit(125);
  }
  if (std::strcmp(kind, "write") == 0) {
    faults->fail_write = n;
  } else if (std::strcmp(kind, "read") == 0) {
    faults->fail_read = n;
  } else if (std::strcmp(kind, "short") == 0) {
    faults->short_read = n;
    faults->short_read_bytes = 1;
  } else if (std::strcmp(kind, "unplug") == 0) {
    faults->unplug_at = n;
  } else {
    std::fprintf(stderr, "KAVTEST_BOX_FAULTS: unknown fault '%s'\n", kind);
    std::exit(125);
  }
}

int planned_signal = 0;
unsigned long signal_transfer = 0;
pid_t program = 0;  ///< the process that installed the box; a worker's copy differs

void raise_planned_signal(unsigned long transfer) {
  if (transfer != signal_transfer) return;
  if (getpid() != program) kill(program, planned_signal);
  std::raise(planned_signal);
}

void plan_signal(BoxFaults* faults, const char* plan) {
  if (std::sscanf(plan, "%d@%lu", &planned_signal, &signal_transfer) != 2 || signal_transfer == 0) {
    std::fprintf(stderr, "KAVTEST_BOX_SIGNAL: bad plan '%s'\n", plan);
    std::exit(125);
  }
  faults->on_transfer = raise_planned_signal;
}

/// The index of the box that the plan breaks, of `count`.
unsigned faulty_box(unsigned count) {
  const char* text = std::getenv("KAVTEST_BOX_FAULTY");
  if (text == nullptr) return 0;
  char* end = nullptr;
  unsigned long index = std::strtoul(text, &end, 10);
  if (*text == '\0' || *end != '\0' || index >= count) {
    std::fprintf(stderr, "KAVTEST_BOX_FAULTY: no box %s of %u\n", text, count);
    std::exit(125);
  }
  return static_cast<unsigned>(index);
}

/// Attaches the boxes (KAVTEST_SIM_BOXES of them), one with the planned fault, before main runs.
struct FaultPlan {
  FaultPlan() {
    program = getpid();
    unsigned count = 1;
    std::string why;
    if (!sim_boxes_from_environment(&count, &why)) {
      std::fprintf(stderr, "%s\n", why.c_str());
      std::exit(125);
    }
    planned_box = sim_install_boxes(count)[faulty_box(count)];
    if (const char* plan = std::getenv("KAVTEST_BOX_FAULTS")) apply(&planned_box->faults, plan);
    if (const char* plan = std::getenv("KAVTEST_BOX_SIGNAL"))
      plan_signal(&planned_box->faults, plan);
    std::atexit(write_transcript);
  }
} fault_plan;

}  // namespace
