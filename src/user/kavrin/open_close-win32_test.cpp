// The device library on the Windows backend: boxes are the present interfaces of the driver's
// class, GUID_DEVINTERFACE_KAVRIN, as SetupAPI enumerates them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Kavrin.h"
#include "test_devices.h"

namespace {

PlatformDeviceClass kavrin_class() {
  PlatformDeviceClass c{GUID_DEVINTERFACE_KAVRIN.Data1, GUID_DEVINTERFACE_KAVRIN.Data2,
                        GUID_DEVINTERFACE_KAVRIN.Data3, {}};
  std::memcpy(c.data4, GUID_DEVINTERFACE_KAVRIN.Data4, sizeof c.data4);
  return c;
}

LPSTR name_of(const char* name) { return const_cast<LPSTR>(name); }

TEST(Win32Library, WithoutABoxNothingOpensAndNothingIsPrinted) {
  HANDLE handle = 7;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&handle, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(kavGetDeviceInformation(1), nullptr);
}

TEST(Win32Library, InterfaceOfTheDriversClassIsTheBoxToOpen) {
  TestDevices devices(kavrin_class());
  const std::string path = devices.add();
  if (path.empty() || !devices.make_present(path))
    GTEST_SKIP() << "interfaces cannot be registered and enabled here";
  // The interface has no driver behind it: the library finds it, and its open fails.
  HANDLE handle = 7;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&handle, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(handle, 7u);
  EXPECT_EQ(printed.rfind("CreateFile - failed: ", 0), 0u) << printed;
  const std::string code = printed.substr(std::strlen("CreateFile - failed: "));
  EXPECT_FALSE(code.empty());
  EXPECT_EQ(code.find_first_not_of("0123456789abcdef"), std::string::npos) << code;
  EXPECT_NE(code, "0");
  EXPECT_EQ(kavGetDeviceInformation(1), nullptr);  // nothing stays open
}

}  // namespace
