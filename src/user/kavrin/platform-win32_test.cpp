// The Windows backend against the system's own SetupAPI, files and pipes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform.h"
#include "test_devices.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

/// Every path of an enumeration of `device_class`, or the step that ended it otherwise.
Paths enumerate(const PlatformDeviceClass& device_class, PlatformStep* last = nullptr) {
  Paths paths;
  PlatformEnumeration* enumeration = platform_enumerate(device_class);
  EXPECT_NE(enumeration, nullptr);
  if (enumeration == nullptr) return paths;
  const char* path = nullptr;
  PlatformStep step;
  while ((step = platform_next_path(enumeration, &path)) == PLATFORM_PATH) paths.push_back(path);
  platform_end_enumeration(enumeration);
  if (last != nullptr) *last = step;
  return paths;
}

TEST(Win32Enumeration, ClassWithoutDevicesEnumeratesNothing) {
  PlatformStep last = PLATFORM_PATH;
  EXPECT_EQ(enumerate(fresh_device_class(), &last), Paths{});
  EXPECT_EQ(last, PLATFORM_END);
}

TEST(Win32Enumeration, PresentInterfacesOnlyWithTheirDevicePaths) {
  PlatformDeviceClass device_class = fresh_device_class();
  TestDevices devices(device_class);
  Paths present = {devices.add(), devices.add()};
  std::string absent = devices.add();
  if (present[0].empty() || present[1].empty() || absent.empty())
    GTEST_SKIP() << "devices cannot be registered here";
  EXPECT_EQ(enumerate(device_class), Paths{});  // registered, but not enabled by a driver
  for (const std::string& path : present)
    if (!devices.make_present(path)) GTEST_SKIP() << "interfaces cannot be enabled here";

  PlatformStep last = PLATFORM_PATH;
  Paths found = enumerate(device_class, &last);
  EXPECT_EQ(last, PLATFORM_END);
  std::sort(found.begin(), found.end());
  std::sort(present.begin(), present.end());
  EXPECT_EQ(found, present);
  EXPECT_EQ(enumerate(device_class), enumerate(device_class));  // in a stable order
}

/// The last failure is a failed CreateFile with `code`, for the library to report.
void expect_open_failure(DWORD code) {
  PlatformFailure f = platform_last_failure();
  EXPECT_EQ(f.step, PLATFORM_OPEN_FAILED);
  EXPECT_STREQ(f.call, "CreateFile");
  EXPECT_EQ(f.code, static_cast<unsigned long>(code));
  EXPECT_EQ(platform_last_error(), static_cast<unsigned long>(code));
}

TEST(Win32Device, OpenIsExclusiveUntilClosed) {
  test_support::ScratchDir dir;
  const std::string path = dir.write("device.bin", "");
  PlatformDevice* device = platform_open(path.c_str());
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(platform_open(path.c_str()), nullptr);
  expect_open_failure(ERROR_SHARING_VIOLATION);
  platform_close(device);
  device = platform_open(path.c_str());
  EXPECT_NE(device, nullptr);
  if (device != nullptr) platform_close(device);
}

TEST(Win32Device, MissingPathDoesNotOpen) {
  std::string missing = (fs::temp_directory_path() / "kavtest-win32-no-such-device").string();
  EXPECT_EQ(platform_open(missing.c_str()), nullptr);
  expect_open_failure(ERROR_FILE_NOT_FOUND);
}

TEST(Win32Device, ReadsAndWritesGoThroughTheHandle) {
  test_support::ScratchDir dir;
  const std::string path = dir.write("device.bin", "reply");
  PlatformDevice* device = platform_open(path.c_str());
  ASSERT_NE(device, nullptr);
  unsigned char buffer[16] = {};
  std::size_t count = 99;
  ASSERT_TRUE(platform_read(device, buffer, 0, &count));  // an empty reply: no transfer
  EXPECT_EQ(count, 0u);
  ASSERT_TRUE(platform_read(device, buffer, 3, &count));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(std::string(buffer, buffer + 3), "rep");
  const unsigned char report[] = {0x20, 0x00, 0x0d, 0x0a, 0xff};
  ASSERT_TRUE(platform_write(device, report, sizeof report));
  ASSERT_TRUE(platform_read(device, buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 0u);  // at the end of the file
  platform_close(device);
  EXPECT_EQ(test_support::file_bytes(path),
            std::string("rep") + std::string(reinterpret_cast<const char*>(report), sizeof report));
}

/// The server end of a message-mode pipe: a device whose reports and replies keep their
/// boundaries, as the box's driver keeps them.
struct PipeDevice {
  PipeDevice()
      : path("\\\\.\\pipe\\kavtest-win32-" + std::to_string(GetCurrentProcessId())),
        server(CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX,
                                PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                4096, 0, nullptr)) {}
  ~PipeDevice() { hang_up(); }
  void hang_up() {
    if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
    server = INVALID_HANDLE_VALUE;
  }
  std::string path;
  HANDLE server;
};

TEST(Win32Device, ReportsAndRepliesKeepTheirBoundaries) {
  PipeDevice pipe;
  ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
  PlatformDevice* device = platform_open(pipe.path.c_str());
  ASSERT_NE(device, nullptr);
  const unsigned char row[] = {0x00, 0x05}, input[] = {0x20, 0x01, 0x02, 0x03};
  ASSERT_TRUE(platform_write(device, row, sizeof row));
  ASSERT_TRUE(platform_write(device, input, sizeof input));
  unsigned char got[16];
  DWORD count = 0;
  ASSERT_TRUE(ReadFile(pipe.server, got, sizeof got, &count, nullptr));
  EXPECT_EQ(std::string(got, got + count), std::string(row, row + sizeof row));
  ASSERT_TRUE(ReadFile(pipe.server, got, sizeof got, &count, nullptr));
  EXPECT_EQ(std::string(got, got + count), std::string(input, input + sizeof input));

  const unsigned char reply[] = {0x0a, 0x0d, 0x1a};
  ASSERT_TRUE(WriteFile(pipe.server, reply, sizeof reply, &count, nullptr));
  std::size_t read = 0;
  ASSERT_TRUE(platform_read(device, got, sizeof got, &read));
  EXPECT_EQ(std::string(got, got + read), std::string(reply, reply + sizeof reply));
  platform_close(device);
}

TEST(Win32Device, TransfersWithAVanishedDeviceFail) {
  PipeDevice pipe;
  ASSERT_NE(pipe.server, INVALID_HANDLE_VALUE);
  PlatformDevice* device = platform_open(pipe.path.c_str());
  ASSERT_NE(device, nullptr);
  pipe.hang_up();
  const unsigned char block[] = {0x30};
  EXPECT_FALSE(platform_write(device, block, sizeof block));
  EXPECT_NE(platform_last_error(), 0ul);
  unsigned char got[4];
  std::size_t count = 99;
  EXPECT_FALSE(platform_read(device, got, sizeof got, &count));
  EXPECT_NE(platform_last_error(), 0ul);
  EXPECT_EQ(count, 0u);
  platform_close(device);
}

}  // namespace
