// The window readings of a transient: linear interpolation between the simulator's time
// points, minimum and swing of node voltages, trapezoidal mean of the supply currents.
#include "analog_readout.h"

#include <algorithm>

#include "analog_deck.h"

namespace {

/// The samples of one waveform inside [start, end], with the interpolated values at both ends.
struct Window {
  std::size_t first;  ///< first time point strictly inside the window
  std::size_t last;   ///< one past the last time point strictly inside it
  double start, end;
};

double interpolate(const std::vector<double>& t, const std::vector<double>& y, double at) {
  auto it = std::lower_bound(t.begin(), t.end(), at);
  if (it == t.begin()) return y.front();
  if (it == t.end()) return y.back();
  std::size_t j = static_cast<std::size_t>(it - t.begin());
  double span = t[j] - t[j - 1];
  if (span <= 0.0) return y[j];
  return y[j - 1] + (y[j] - y[j - 1]) * (at - t[j - 1]) / span;
}

Window window_of(const std::vector<double>& t, std::size_t k) {
  Window w;
  w.end = static_cast<double>((static_cast<long long>(k) + 1) * ANALOG_VECTOR_PS) * 1e-12;
  w.start = w.end - static_cast<double>(ANALOG_WINDOW_PS) * 1e-12;
  w.first = static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), w.start) - t.begin());
  w.last = static_cast<std::size_t>(std::lower_bound(t.begin(), t.end(), w.end) - t.begin());
  if (w.last < w.first) w.last = w.first;
  return w;
}

/// Lowest and highest value of `y` over the window.
void extremes(const std::vector<double>& t, const std::vector<double>& y, const Window& w,
              double* low, double* high) {
  double a = interpolate(t, y, w.start), b = interpolate(t, y, w.end);
  *low = std::min(a, b);
  *high = std::max(a, b);
  for (std::size_t j = w.first; j < w.last; ++j) {
    *low = std::min(*low, y[j]);
    *high = std::max(*high, y[j]);
  }
}

/// Mean of `y` over the window, the waveform linear between time points.
double mean(const std::vector<double>& t, const std::vector<double>& y, const Window& w) {
  double area = 0.0, t0 = w.start, y0 = interpolate(t, y, w.start);
  for (std::size_t j = w.first; j <= w.last; ++j) {
    double t1 = j < w.last ? t[j] : w.end;
    double y1 = j < w.last ? y[j] : interpolate(t, y, w.end);
    area += 0.5 * (y0 + y1) * (t1 - t0);
    t0 = t1;
    y0 = y1;
  }
  return area / (w.end - w.start);
}

}  // namespace

AnalogVector read_vector(const Netlist& net, const Waveforms& w, std::size_t k) {
  AnalogVector r;
  Window win = window_of(w.time, k);
  for (std::size_t i = 0; i < net.outputs.size(); ++i) {
    double low, high;
    extremes(w.time, w.node[net.outputs[i].node], win, &low, &high);
    if (low > ANALOG_V_LOGIC) r.outputs |= 1u << i;
  }
  for (std::size_t n = 2; n < net.nodes.size(); ++n) {
    double low, high;
    extremes(w.time, w.node[n], win, &low, &high);
    if (high - low > ANALOG_SETTLE_SWING) r.settled = false;
  }
  r.iddq = std::max(mean(w.time, w.vdd_current, win), mean(w.time, w.gnd_current, win));
  return r;
}

std::vector<double> final_voltages(const Waveforms& w, const std::vector<double>& start) {
  std::vector<double> v(start);
  for (std::size_t n = 2; n < w.node.size() && n < v.size(); ++n)
    if (!w.node[n].empty()) v[n] = w.node[n].back();
  return v;
}
