// One cell run on the box and what a pass makes of it: the pieces that the measurement in the
// calling process (run_engine.cpp) and the one split over worker processes (run_in_workers.cpp)
// share, so that both measure and judge a cell alike.
#ifndef KAVLAB_CELL_RUN_H
#define KAVLAB_CELL_RUN_H

#include <cstddef>
#include <string>
#include <vector>

#include "device_list.h"
#include "results/results.h"
#include "run/run_engine.h"

namespace kavlab {

/// The input bytes of every vector of `c`, in order: what a cell run applies.
std::vector<unsigned char> input_bytes(const CircuitResult& c);
/// One cell's reply bytes (`n` of them) as a response: the outputs above bit 0, the monitor
/// verdict in bit 0 when the monitor was on.
Response response_of(const unsigned char* raw, std::size_t n, int outputs, bool monitor_on);
/// Applies `in` to the cell `cell_index` of circuit `c` on `dev` (kavtest's runTest) and keeps
/// its reply bytes in `*raw`, one per vector; false when the box failed.
bool run_cell(DeviceList* dev, const CircuitResult& c, int cell_index,
              std::vector<unsigned char>& in, std::string* raw);
/// Makes the box ready for pass `pass` of circuit `circuit` (`how.ready`, or before_pass) and
/// sets its monitor as the pass has it; false with `*error` set when either fails.
bool start_of_pass(DeviceList* dev, const Results& r, std::size_t circuit, std::size_t pass,
                   const MeasureHow& how, std::string* error);

/// "the box failed (<what>) in the <pass> pass of circuit N (NAME), cell K".
std::string box_failure(const CircuitResult& c, const Pass& p, int cell_index,
                        const std::string& what);
/// What ends a resumed pass whose reference cell answers otherwise than before.
std::string reference_differs(const CircuitResult& c, const Pass& p);
/// Whether two responses hold the same outputs and monitor verdicts.
bool same_answers(const Response& a, const Response& b);
/// Whether `p` holds the reference's and every cell's answers.
bool pass_complete(const CircuitResult& c, const Pass& p);
/// Whether some pass of `r` lacks its reference or cells.
bool lacks_cells(const Results& r);

}  // namespace kavlab

#endif
