// For tests of the Windows backend: device interfaces of a class, registered on root-enumerated
// devices made for the test and removed afterwards. An interface counts as present once its
// "Control\Linked" value is set, as a driver's enabling of it sets it; Wine lets a test do that,
// Windows does not (tests then skip). Names no Windows type, so that tests of the library,
// which include Kavrin.h, can use it too.
#ifndef KAVRIN_TEST_DEVICES_H
#define KAVRIN_TEST_DEVICES_H

#include <memory>
#include <string>

#include "platform.h"

/// A device class that no one else uses.
PlatformDeviceClass fresh_device_class();

class TestDevices {
 public:
  explicit TestDevices(const PlatformDeviceClass& device_class);
  ~TestDevices();
  TestDevices(const TestDevices&) = delete;
  TestDevices& operator=(const TestDevices&) = delete;

  /// Registers a device with an interface of the class; its device path, or "" when the
  /// system does not let the test register one.
  std::string add();
  /// Marks the interface of `path` present. False when the system does not let the test.
  bool make_present(const std::string& path);

 private:
  struct Set;
  std::unique_ptr<Set> set_;
};

#endif
