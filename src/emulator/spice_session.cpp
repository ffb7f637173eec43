// ngspice through its documented shared-library interface (sharedspice.h): ngSpice_Init with
// callbacks that keep its printing, ngSpice_Circ for a deck, ngSpice_Command for "run" and the
// clean-up, ngGet_Vec_Info for the results.
#include "spice_session.h"

#include <ngspice/sharedspice.h>

#include <cmath>
#include <deque>

namespace {

/// What ngspice printed lately, a line an entry, for error messages.
constexpr std::size_t kKeptLines = 12;

struct Session {
  bool started = false;
  bool ended = false;  ///< ngspice asked to exit: it cannot be used again in this process
  int exit_status = 0;
  std::deque<std::string> lines;
};

Session& session() {
  static Session s;
  return s;
}

int keep_printing(char* text, int, void*) {
  Session& s = session();
  s.lines.push_back(text != nullptr ? text : "");
  if (s.lines.size() > kKeptLines) s.lines.pop_front();
  return 0;
}

int ignore_status(char*, int, void*) { return 0; }

int note_exit(int status, NG_BOOL, NG_BOOL, int, void*) {
  session().ended = true;
  session().exit_status = status;
  return 0;
}

std::string last_lines() {
  std::string text;
  for (const std::string& line : session().lines) text += "\n  " + line;
  return text;
}

bool command(const char* text) {
  std::string copy(text);
  return ngSpice_Command(&copy[0]) == 0;
}

/// Removes the loaded circuit and every plot of results.
void clean_up() {
  command("remcirc");
  command("destroy all");
}

bool fetch(const std::string& name, std::vector<double>* out) {
  std::string copy(name);
  // The answer is a structure that the next call overwrites: copy its data at once.
  pvector_info info = ngGet_Vec_Info(&copy[0]);
  if (info == nullptr || info->v_realdata == nullptr || info->v_length <= 0) return false;
  out->assign(info->v_realdata, info->v_realdata + info->v_length);
  return true;
}

}  // namespace

bool spice_start(std::string* error) {
  Session& s = session();
  if (!s.started) {
    s.started = true;
    if (ngSpice_Init(keep_printing, ignore_status, note_exit, nullptr, nullptr, nullptr,
                     nullptr) != 0)
      s.ended = true;
  }
  if (s.ended) {
    *error = "ngspice could not be started or has ended (status " +
             std::to_string(s.exit_status) + ")" + last_lines();
    return false;
  }
  return true;
}

bool spice_transient(const std::vector<std::string>& deck, double stop,
                     const std::vector<std::string>& names,
                     std::vector<std::vector<double>>* values, std::string* error) {
  if (!spice_start(error)) return false;
  session().lines.clear();
  std::vector<std::string> text(deck);
  std::vector<char*> lines;
  for (std::string& line : text) lines.push_back(&line[0]);
  lines.push_back(nullptr);
  bool ok = ngSpice_Circ(lines.data()) == 0 && !session().ended;
  if (!ok) {
    *error = "ngspice refused the deck of " + deck.front() + last_lines();
  } else if (!command("run") || session().ended) {
    *error = "ngspice failed to run the deck of " + deck.front() + last_lines();
    ok = false;
  }
  values->assign(names.size(), {});
  for (std::size_t i = 0; ok && i < names.size(); ++i) {
    if (!fetch(names[i], &(*values)[i])) {
      *error = "ngspice gave no vector " + names[i] + " for " + deck.front() + last_lines();
      ok = false;
    }
  }
  // A run that ngspice gave up (time step too small, say) stops short of its end.
  if (ok && (names.empty() || names[0] != "time" || (*values)[0].back() < stop * (1 - 1e-9))) {
    *error = "ngspice's transient of " + deck.front() + " stopped short of its end" + last_lines();
    ok = false;
  }
  if (!session().ended) clean_up();
  return ok;
}
