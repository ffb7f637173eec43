// Test device interfaces through SetupAPI and the registry.
#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <vector>

#include "test_devices.h"

namespace {

GUID guid_of(const PlatformDeviceClass& c) {
  GUID g{c.data1, c.data2, c.data3, {}};
  std::copy(std::begin(c.data4), std::end(c.data4), g.Data4);
  return g;
}

std::string registry_name(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

}  // namespace

PlatformDeviceClass fresh_device_class() {
  std::random_device random;
  PlatformDeviceClass c;
  c.data1 = random();
  c.data2 = static_cast<std::uint16_t>(random());
  c.data3 = static_cast<std::uint16_t>(random());
  for (std::uint8_t& b : c.data4) b = static_cast<std::uint8_t>(random());
  return c;
}

struct TestDevices::Set {
  GUID guid;
  HDEVINFO info;
  std::vector<SP_DEVINFO_DATA> devices;
};

TestDevices::TestDevices(const PlatformDeviceClass& device_class) : set_(new Set) {
  set_->guid = guid_of(device_class);
  set_->info = SetupDiCreateDeviceInfoList(&set_->guid, nullptr);
}

TestDevices::~TestDevices() {
  if (set_->info == INVALID_HANDLE_VALUE) return;
  for (SP_DEVINFO_DATA& device : set_->devices) SetupDiRemoveDevice(set_->info, &device);
  SetupDiDestroyDeviceInfoList(set_->info);
}

std::string TestDevices::add() {
  if (set_->info == INVALID_HANDLE_VALUE) return "";
  SP_DEVINFO_DATA device;
  device.cbSize = sizeof device;
  if (!SetupDiCreateDeviceInfoA(set_->info, "KAVTESTDEVICE", &set_->guid, nullptr, nullptr,
                                DICD_GENERATE_ID, &device))
    return "";
  if (!SetupDiRegisterDeviceInfo(set_->info, &device, 0, nullptr, nullptr, nullptr)) {
    SetupDiDeleteDeviceInfo(set_->info, &device);
    return "";
  }
  set_->devices.push_back(device);
  SP_DEVICE_INTERFACE_DATA member;
  member.cbSize = sizeof member;
  if (!SetupDiCreateDeviceInterfaceA(set_->info, &device, &set_->guid, nullptr, 0, &member))
    return "";
  char buffer[1024];
  auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer);
  detail->cbSize = sizeof *detail;
  if (!SetupDiGetDeviceInterfaceDetailA(set_->info, &member, detail, sizeof buffer, nullptr,
                                        nullptr))
    return "";
  return detail->DevicePath;
}

bool TestDevices::make_present(const std::string& path) {
  if (path.compare(0, 4, "\\\\?\\") != 0) return false;
  std::string key = "System\\CurrentControlSet\\Control\\DeviceClasses\\" +
                    registry_name(set_->guid) + "\\##?#" + path.substr(4) + "\\#\\Control";
  HKEY control;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE, nullptr, &control, nullptr) != ERROR_SUCCESS)
    return false;
  DWORD linked = 1;
  bool set = RegSetValueExA(control, "Linked", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&linked), sizeof linked) == 0;
  RegCloseKey(control);
  return set;
}
