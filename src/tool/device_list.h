// The devices the tool opens: Kavrin0, Kavrin1, ... and the one a run keeps.
#ifndef KAVTEST_DEVICE_LIST_H
#define KAVTEST_DEVICE_LIST_H

#include "Kavrin.h"

/// One opened device; `dch` is null once the device has been closed again.
typedef struct _devList {
  HANDLE devHandle;
  PKAVRIN_CONTEXT_HEADER dch;
  struct _devList* next;
} DeviceList;

/// Opens Kavrin0, Kavrin1, ... until a name is refused; null when no device could be opened.
DeviceList* getDeviceList();
/// The names of the list's devices on standard output, or the no-device line.
void printDeviceList(DeviceList* list);
/// Keeps the device called `devName` (the first one when null) open and closes all others;
/// returns its node, or null when no device has that name.
DeviceList* activateDevice(DeviceList* list, char* devName);
/// Closes the devices still open and releases the list.
void freeDeviceList(DeviceList* list);

#endif
