// The platform on Windows. The Kavrin class is the set of present device interfaces of the
// driver's interface class, in SetupAPI's order; a device path is the interface's detail path.
// A box is opened with CreateFileA for exclusive, synchronous reading and writing; one WriteFile
// sends one report, one ReadFile brings one reply. GetLastError gives the error codes.
#include <windows.h>

#include <setupapi.h>

#include <cstdlib>
#include <new>

#include "platform.h"

struct PlatformEnumeration {
  HDEVINFO set;
  GUID interface_class;
  DWORD next_index;
  /// The detail of the member last stepped to; its DevicePath is the path handed out.
  PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail;
};

struct PlatformDevice {
  HANDLE handle;
};

namespace {

PlatformFailure last_failure = {PLATFORM_NO_FAILURE, "", 0};
unsigned long last_error = 0;

/// Records the failed step of an enumeration or an open, with `code`, for the library's message.
void record_failure(PlatformFailedStep step, const char* call, DWORD code) {
  last_error = code;
  last_failure = {step, call, last_error};
}

void class_failed(DWORD code) {
  record_failure(PLATFORM_CLASS_FAILED, "SetupDiGetClassDevs", code);
}
void detail_failed(DWORD code) {
  record_failure(PLATFORM_DETAIL_FAILED, "SetupDiGetDeviceInterfaceDetail", code);
}
void open_failed(DWORD code) { record_failure(PLATFORM_OPEN_FAILED, "CreateFile", code); }

GUID windows_guid(const PlatformDeviceClass& c) {
  GUID guid;
  guid.Data1 = c.data1;
  guid.Data2 = c.data2;
  guid.Data3 = c.data3;
  for (int i = 0; i < 8; i++) guid.Data4[i] = c.data4[i];
  return guid;
}

void release_detail(PlatformEnumeration* enumeration) {
  std::free(enumeration->detail);
  enumeration->detail = nullptr;
}

/// Reads the detail of `member` into a buffer of its size; false with the failure recorded.
bool read_detail(PlatformEnumeration* enumeration, SP_DEVICE_INTERFACE_DATA* member) {
  DWORD required = 0;
  // Only the size is asked for: the call reports ERROR_INSUFFICIENT_BUFFER when it gives it.
  SetupDiGetDeviceInterfaceDetailA(enumeration->set, member, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
    detail_failed(GetLastError());  // no size, so no detail to read
    return false;
  }
  enumeration->detail = static_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(std::malloc(required));
  if (enumeration->detail == nullptr) {
    record_failure(PLATFORM_NO_MEMORY, "malloc", ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  // The size of the fixed part, which is not the buffer's size.
  enumeration->detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!SetupDiGetDeviceInterfaceDetailA(enumeration->set, member, enumeration->detail, required,
                                        nullptr, nullptr)) {
    detail_failed(GetLastError());
    release_detail(enumeration);
    return false;
  }
  return true;
}

}  // namespace

PlatformEnumeration* platform_enumerate(const PlatformDeviceClass& device_class) {
  PlatformEnumeration* enumeration = new (std::nothrow) PlatformEnumeration{};
  if (enumeration == nullptr) {
    class_failed(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  enumeration->interface_class = windows_guid(device_class);
  enumeration->set = SetupDiGetClassDevsA(&enumeration->interface_class, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (enumeration->set == INVALID_HANDLE_VALUE) {
    class_failed(GetLastError());
    delete enumeration;
    return nullptr;
  }
  return enumeration;
}

PlatformStep platform_next_path(PlatformEnumeration* enumeration, const char** path) {
  for (;;) {
    SP_DEVICE_INTERFACE_DATA member;
    member.cbSize = sizeof member;
    DWORD index = enumeration->next_index++;
    if (!SetupDiEnumDeviceInterfaces(enumeration->set, nullptr, &enumeration->interface_class,
                                     index, &member)) {
      if (GetLastError() == ERROR_NO_MORE_ITEMS) return PLATFORM_END;
      continue;  // a member that cannot be read: on with the next one
    }
    release_detail(enumeration);
    if (!read_detail(enumeration, &member)) return PLATFORM_FAILED;
    *path = enumeration->detail->DevicePath;
    return PLATFORM_PATH;
  }
}

void platform_end_enumeration(PlatformEnumeration* enumeration) {
  SetupDiDestroyDeviceInfoList(enumeration->set);
  release_detail(enumeration);
  delete enumeration;
}

PlatformDevice* platform_open(const char* path) {
  HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    open_failed(GetLastError());
    return nullptr;
  }
  PlatformDevice* device = new (std::nothrow) PlatformDevice{handle};
  if (device == nullptr) {
    CloseHandle(handle);
    open_failed(ERROR_NOT_ENOUGH_MEMORY);
  }
  return device;
}

bool platform_write(PlatformDevice* device, const unsigned char* report, std::size_t length) {
  DWORD written = 0;
  if (!WriteFile(device->handle, report, static_cast<DWORD>(length), &written, nullptr)) {
    last_error = GetLastError();
    return false;
  }
  // A report is one request: a device that takes only part of it did not take it.
  if (written != length) {
    last_error = ERROR_WRITE_FAULT;
    return false;
  }
  return true;
}

bool platform_read(PlatformDevice* device, unsigned char* buffer, std::size_t length,
                   std::size_t* count) {
  *count = 0;
  if (length == 0) return true;  // an empty reply is not transferred
  DWORD got = 0;
  if (!ReadFile(device->handle, buffer, static_cast<DWORD>(length), &got, nullptr)) {
    last_error = GetLastError();
    return false;
  }
  *count = got;
  return true;
}

// A real box learns of an exchange by its reports alone.
void platform_staged(PlatformDevice*, const PlatformStaging&) {}

void platform_close(PlatformDevice* device) {
  CloseHandle(device->handle);
  delete device;
}

unsigned long platform_last_error() { return last_error; }

PlatformFailure platform_last_failure() { return last_failure; }
