// The platform of kavtest-sim: emulated boxes in this process. One box, sim:kavrin0, is
// attached from the first use on, or as many as KAVTEST_SIM_BOXES says (sim:kavrin0,
// sim:kavrin1, ...); their paths begin with "sim:" so that no emulated result can pass for a
// measured one.
#include "platform-sim.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "exit.h"
#include "platform.h"
#include "variation.h"

struct PlatformDevice {
  Box* box;
};

struct PlatformEnumeration {
  std::size_t next;
};

namespace {

struct AttachedBox {
  std::string path;
  Box* box;
};

/// The attached boxes, in enumeration order, and the engine of their chips; powered down when
/// the process ends.
struct Attached {
  std::vector<AttachedBox> boxes;
  EngineChoice engine;
  bool compute_ahead = true;
  Attached() {
    unsigned count = 1;
    std::string error;
    if (!sim_boxes_from_environment(&count, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      end_process(255);
    }
    attach(count);
  }
  ~Attached() { detach(); }
  void attach(unsigned count) {
    for (unsigned i = 0; i < count; i++) {
      std::string error;
      Box* box = box_power_up_with(kavtest::engine_for_box(engine, i), &error);
      if (box == nullptr) {
        // sim_use_engine made this engine once already: it cannot fail to be made again.
        std::fprintf(stderr, "emulated box: %s\n", error.c_str());
        std::abort();
      }
      boxes.push_back({"sim:kavrin" + std::to_string(i), box});
    }
  }
  void detach() {
    for (AttachedBox& b : boxes) box_power_down(b.box);
    boxes.clear();
  }
};

Attached& attached() {
  static Attached all;
  return all;
}

unsigned long last_error = 0;
PlatformFailure last_failure = {PLATFORM_NO_FAILURE, "", 0};

/// Records a failed open with `code` for the library's message; null for the caller.
PlatformDevice* open_failed(unsigned long code) {
  last_error = code;
  last_failure = {PLATFORM_OPEN_FAILED, "open", code};
  return nullptr;
}

}  // namespace

bool sim_boxes_from_environment(unsigned* count, std::string* error) {
  const char* text = std::getenv("KAVTEST_SIM_BOXES");
  if (text == nullptr) {
    *count = 1;
    return true;
  }
  std::string digits = text;
  unsigned long value = 0;
  bool ok = !digits.empty() && digits.size() <= 3 &&
            digits.find_first_not_of("0123456789") == std::string::npos;
  if (ok) value = std::strtoul(text, nullptr, 10);
  if (!ok || value < 1 || value > SIM_MOST_BOXES) {
    *error = "KAVTEST_SIM_BOXES=" + digits + ": not a number of emulated boxes (an integer from " +
             "1 to " + std::to_string(SIM_MOST_BOXES) + ")";
    return false;
  }
  *count = static_cast<unsigned>(value);
  return true;
}

std::vector<Box*> sim_install_boxes(unsigned count) {
  Attached& all = attached();
  for (const AttachedBox& b : all.boxes)
    if (b.box->is_open) {
      std::fprintf(stderr, "sim_install_boxes: %s is still open\n", b.path.c_str());
      std::abort();
    }
  all.detach();
  all.attach(count);
  std::vector<Box*> boxes;
  for (const AttachedBox& b : all.boxes) boxes.push_back(b.box);
  return boxes;
}

std::vector<Box*> sim_attached_boxes() {
  std::vector<Box*> boxes;
  for (const AttachedBox& b : attached().boxes) boxes.push_back(b.box);
  return boxes;
}

bool sim_use_engine(const EngineChoice& choice, std::string* error) {
  // Made once first, so that a choice that cannot be made changes no box.
  if (!make_engine(choice, error)) return false;
  Attached& all = attached();
  for (std::size_t i = 0; i < all.boxes.size(); ++i)
    if (!box_change_engine(all.boxes[i].box,
                           kavtest::engine_for_box(choice, static_cast<unsigned>(i)), error))
      return false;
  all.engine = choice;
  return true;
}

EngineChoice sim_engine() { return attached().engine; }

void sim_compute_ahead(bool on) { attached().compute_ahead = on; }

PlatformEnumeration* platform_enumerate(const PlatformDeviceClass&) {
  return new PlatformEnumeration{0};
}

PlatformStep platform_next_path(PlatformEnumeration* enumeration, const char** path) {
  const std::vector<AttachedBox>& boxes = attached().boxes;
  if (enumeration->next >= boxes.size()) return PLATFORM_END;
  *path = boxes[enumeration->next++].path.c_str();
  return PLATFORM_PATH;
}

void platform_end_enumeration(PlatformEnumeration* enumeration) { delete enumeration; }

PlatformDevice* platform_open(const char* path) {
  for (const AttachedBox& b : attached().boxes) {
    if (b.path != path) continue;
    unsigned long error = 0;
    if (!box_open(b.box, &error)) return open_failed(error);
    return new PlatformDevice{b.box};
  }
  return open_failed(BOX_ERROR_UNPLUGGED);
}

bool platform_write(PlatformDevice* device, const unsigned char* report, std::size_t length) {
  unsigned long error = 0;
  if (box_write(device->box, report, length, &error)) return true;
  last_error = error;
  // The library words a failed write by its code alone; the engine's reason is said here.
  if (error == BOX_ERROR_ENGINE)
    std::fprintf(stderr, "emulated box: %s\n", device->box->engine_error.c_str());
  return false;
}

bool platform_read(PlatformDevice* device, unsigned char* buffer, std::size_t length,
                   std::size_t* count) {
  unsigned long error = 0;
  if (box_read(device->box, buffer, length, count, &error)) return true;
  last_error = error;
  return false;
}

void platform_staged(PlatformDevice* device, const PlatformStaging& staging) {
  if (attached().compute_ahead)
    box_expect_exchange(device->box, staging.block, staging.rows, staging.columns, staging.pairs,
                        staging.inputs, staging.inputs_count);
}

void platform_close(PlatformDevice* device) {
  box_close(device->box);
  delete device;
}

unsigned long platform_last_error() { return last_error; }

PlatformFailure platform_last_failure() { return last_failure; }
