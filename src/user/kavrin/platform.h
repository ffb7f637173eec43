// What the device library needs from the operating system, and nothing else. One backend
// (platform-posix, platform-sim, platform-win32) implements it per binary, chosen at link time.
// This header names no type of any operating system and none of Kavrin.h.
#ifndef KAVRIN_PLATFORM_H
#define KAVRIN_PLATFORM_H

#include <cstddef>
#include <cstdint>

/// The device class to enumerate, as a 128-bit identifier in its four fields. Windows finds the
/// class's device interfaces by it; other platforms know their class by other means.
struct PlatformDeviceClass {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

/// An ordered enumeration of the device paths of the Kavrin class.
struct PlatformEnumeration;
/// An open device; defined by the backend.
struct PlatformDevice;

enum PlatformStep {
  PLATFORM_PATH,    ///< the step gave the next device path
  PLATFORM_END,     ///< no further device
  PLATFORM_FAILED,  ///< the enumeration failed
};

/// Starts the enumeration of the present devices of `device_class`; null when it fails. A class
/// with no device enumerates nothing.
PlatformEnumeration* platform_enumerate(const PlatformDeviceClass& device_class);
/// The next device path, valid until the next step or the end of the enumeration.
PlatformStep platform_next_path(PlatformEnumeration* enumeration, const char** path);
void platform_end_enumeration(PlatformEnumeration* enumeration);

/// Opens `path` for this process alone, for blocking reads and writes; null when it fails.
PlatformDevice* platform_open(const char* path);
/// Writes one report of `length` bytes in one request.
bool platform_write(PlatformDevice* device, const unsigned char* report, std::size_t length);
/// Reads up to `length` bytes in one request; `*count` gets the number read.
bool platform_read(PlatformDevice* device, unsigned char* buffer, std::size_t length,
                   std::size_t* count);
void platform_close(PlatformDevice* device);

/// What a block of an open device has staged for its next exchange, as the library passes it
/// on when the block's inputs are staged (after its rows and columns, in the order the tool
/// stages them). Staging never talks to the device: a backend may only prepare the exchange's
/// answers meanwhile, as the emulated box does. The pointers are valid during the call.
struct PlatformStaging {
  unsigned char block;  ///< 0x00 or 0x80
  const unsigned char* rows;
  const unsigned char* columns;
  std::size_t pairs;  ///< rows and columns given, as many of each
  const unsigned char* inputs;
  std::size_t inputs_count;
};
/// Tells the backend of `device` what its staging holds. The native backends do nothing.
void platform_staged(PlatformDevice* device, const PlatformStaging& staging);

/// The error code of the last failed call above.
unsigned long platform_last_error();

/// The steps whose failure the library reports to the user, each in a message form of its own.
enum PlatformFailedStep {
  PLATFORM_NO_FAILURE,
  PLATFORM_CLASS_FAILED,   ///< the members of the device class could not be listed
  PLATFORM_DETAIL_FAILED,  ///< the path of a member could not be read
  PLATFORM_NO_MEMORY,      ///< a buffer for the path of a member could not be allocated
  PLATFORM_OPEN_FAILED,    ///< a device path could not be opened
};

/// The last failed enumeration, enumeration step or open, as data: the library words it.
struct PlatformFailure {
  PlatformFailedStep step;
  const char* call;    ///< the failing call, as this platform names it ("open", "CreateFile")
  unsigned long code;  ///< its error code, as platform_last_error() gives it
};
PlatformFailure platform_last_failure();

#endif
