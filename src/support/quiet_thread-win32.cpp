// No helper thread on Windows: the body runs in the caller (see quiet_thread.h for why).
#include "quiet_thread.h"

std::thread quiet_thread(std::function<void()> body) {
  body();
  return std::thread();
}
