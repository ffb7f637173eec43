// The devices the tool has opened: Kavrin0, Kavrin1, ... in the platform's order.
#include "device_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "exit.h"
#include "options.h"

/// Devices are named from this word and a number below kMaxDevices.
static const char* const kDeviceWord = "Kavrin";
static const int kMaxDevices = 100;

DeviceList* getDeviceList() {
  DeviceList* first = nullptr;
  DeviceList** tail = &first;
  for (int i = 0; i < kMaxDevices; i++) {
    char name[10];
    std::snprintf(name, sizeof name, "%s%d", kDeviceWord, i);
    DeviceList* node = static_cast<DeviceList*>(std::calloc(1, sizeof(DeviceList)));
    if (node == nullptr) {
      std::fprintf(stderr, "Not enough memory.\n");
      end_process(TOOL_FAILURE);
    }
    if (kavOpen(&node->devHandle, name) != KAVRIN_SUCCESS) {
      std::free(node);
      break;
    }
    node->dch = kavGetDeviceInformation(node->devHandle);
    *tail = node;
    tail = &node->next;
  }
  return first;
}

void printDeviceList(DeviceList* list) {
  if (list == nullptr) {
    vf_print(stderr, 0,
             "No Kavrin devices found. Check cables, software installation, hardware, etc\n");
    return;
  }
  for (DeviceList* node = list; node != nullptr; node = node->next)
    if (node->dch != nullptr) std::printf("%s\n", node->dch->DeviceName);
}

/// Closes the device of `node`; the node stays in the list without one.
static void closeDevice(DeviceList* node) {
  kavClose(node->devHandle);
  node->dch = nullptr;
}

DeviceList* activateDevice(DeviceList* list, char* devName) {
  DeviceList* chosen = nullptr;
  for (DeviceList* node = list; node != nullptr; node = node->next) {
    bool matches = node->dch != nullptr &&
                   (devName == nullptr || std::strcmp(node->dch->DeviceName, devName) == 0);
    if (chosen == nullptr && matches)
      chosen = node;
    else if (node->dch != nullptr)
      closeDevice(node);
  }
  return chosen;
}

void freeDeviceList(DeviceList* list) {
  while (list != nullptr) {
    DeviceList* next = list->next;
    if (list->dch != nullptr) kavClose(list->devHandle);
    std::free(list);
    list = next;
  }
}
