// Windows delivers console events on threads of its own and no signals to a program's threads:
// a plain thread is quiet already.
#include "quiet_thread.h"

std::thread quiet_thread(std::function<void()> body) { return std::thread(std::move(body)); }
