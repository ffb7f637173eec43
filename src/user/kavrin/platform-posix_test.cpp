// The POSIX backend against real operating-system objects: device servers on SOCK_SEQPACKET
// sockets (threads serving emulated boxes) and character devices, in a device directory of
// the tests' own, with a short transfer time-out.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Kavrin.h"
#include "box.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

const fs::path kDeviceDir = KAVRIN_TEST_DEVICE_DIR;

LPSTR name_of(const char* name) { return const_cast<LPSTR>(name); }

/// Waits up to two seconds for `condition`.
template <typename Condition>
bool eventually(Condition condition) {
  auto end = Clock::now() + std::chrono::seconds(2);
  while (!condition()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

/// A device server in the device directory, serving an emulated box to one client at a time.
/// It stops listening while it has a client, so a second connection is refused.
class BoxServer {
 public:
  enum Behaviour { kAnswers, kGoesSilent, kHangsUp };

  /// `after` reports into a connection, a silent server stops answering and a hanging-up one
  /// closes the connection.
  BoxServer(const std::string& name, Behaviour behaviour = kAnswers, unsigned after = 0)
      : path_((kDeviceDir / name).string()), behaviour_(behaviour), after_(after) {
    box = box_power_up();
    listen_fd_ = listen_at();
    thread_ = std::thread([this] { run(); });
  }
  ~BoxServer() {
    stop();
    EXPECT_EQ(box->violations, 0u) << path_;
    box_power_down(box);
  }
  void stop() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
  }
  bool has_client() const { return has_client_; }
  bool listening() const { return listening_; }

  Box* box;

 private:
  int listen_at() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
    unlink(path_.c_str());
    int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path_;
    EXPECT_EQ(listen(fd, 4), 0);
    listening_ = true;
    return fd;
  }

  bool readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 20) > 0;
  }

  void run() {
    while (!stopping_) {
      if (!readable(listen_fd_)) continue;
      int client = accept(listen_fd_, nullptr, nullptr);
      close(listen_fd_);
      listening_ = false;
      has_client_ = true;
      serve(client);
      has_client_ = false;
      listen_fd_ = listen_at();
    }
    close(listen_fd_);
  }

  void serve(int client) {
    unsigned long error = 0;
    EXPECT_TRUE(box_open(box, &error));
    unsigned reports = 0;
    unsigned char report[64];
    while (!stopping_) {
      if (!readable(client)) continue;
      ssize_t n = recv(client, report, sizeof report, 0);
      if (n <= 0) break;  // the client has gone
      box_write(box, report, static_cast<std::size_t>(n), &error);
      reports++;
      if (behaviour_ == kHangsUp && reports == after_) break;
      if (behaviour_ == kGoesSilent && reports >= after_) continue;
      if (box->state != BoxState::ReplyPending) continue;
      Bytes reply(box->reply.size());
      std::size_t count = 0;
      box_read(box, reply.data(), reply.size(), &count, &error);
      if (count != 0) send(client, reply.data(), count, MSG_NOSIGNAL);
    }
    close(client);
    box_close(box);
  }

  std::string path_;
  Behaviour behaviour_;
  unsigned after_;
  int listen_fd_ = -1;
  std::thread thread_;
  std::atomic<bool> stopping_{false}, has_client_{false}, listening_{false};
};

struct PosixTest : testing::Test {
  void SetUp() override {
    fs::remove_all(kDeviceDir);
    fs::create_directories(kDeviceDir);
  }
  void TearDown() override { fs::remove_all(kDeviceDir); }

  HANDLE open(const char* name) {
    HANDLE handle = 0;
    EXPECT_EQ(kavOpen(&handle, name_of(name)), KAVRIN_SUCCESS) << name;
    return handle;
  }

  /// Stages one pair and `inputs`, exchanges, and returns the status; replies into `reply`.
  BYTE exchange(HANDLE h, Bytes inputs, Bytes* reply = nullptr, DWORD* count = nullptr) {
    BYTE row = 8, column = 9;  // NA2's reference cell
    kavSetRow(h, 0x00, &row, 1);
    kavSetColumn(h, 0x00, &column, 1);
    kavSetInput(h, 0x00, inputs.data(), DWORD(inputs.size()));
    Bytes buffer(inputs.size() + 1, 0xee);
    DWORD got = 999;
    BYTE status = kavGetOutput(h, 0x00, buffer.data(), DWORD(buffer.size()), &got);
    if (reply) *reply = Bytes(buffer.begin(), buffer.begin() + std::min<DWORD>(got, inputs.size()));
    if (count) *count = got;
    return status;
  }
};

std::string basename_of(HANDLE h) {
  return fs::path(kavGetDeviceInformation(h)->DevicePath).filename().string();
}

TEST_F(PosixTest, NoDirectoryMeansNoDevice) {
  fs::remove_all(kDeviceDir);
  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(h, 0u);
}

TEST_F(PosixTest, EmptyDirectoryMeansNoDevice) {
  std::ofstream(kDeviceDir / ".hidden") << "not a device";
  HANDLE h = 0x1234;
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(h, 0u);
}

TEST_F(PosixTest, UnreadableDirectoryIsASystemError) {
  fs::remove_all(kDeviceDir);
  std::ofstream(kDeviceDir) << "a file where the directory should be";
  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_SYSTEM_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "opendir - failed: (14)\n");  // ENOTDIR
  EXPECT_EQ(h, 0x1234u);
}

TEST_F(PosixTest, ServersAreTakenInNaturalOrderAndExchangeThroughTheirSockets) {
  BoxServer ten("kavrin10"), two("kavrin2"), one("kavrin1");
  HANDLE h0 = open("Kavrin0"), h1 = open("Kavrin1"), h2 = open("Kavrin2");
  EXPECT_EQ(basename_of(h0), "kavrin1");
  EXPECT_EQ(basename_of(h1), "kavrin2");
  EXPECT_EQ(basename_of(h2), "kavrin10");
  HANDLE none = 0x1234;
  EXPECT_EQ(kavOpen(&none, name_of("Kavrin3")), KAVRIN_NO_DEVICE);

  Bytes inputs(40), reply;
  for (std::size_t i = 0; i < inputs.size(); i++) inputs[i] = static_cast<unsigned char>(i & 3);
  DWORD count = 0;
  EXPECT_EQ(exchange(h1, inputs, &reply, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 40u);
  for (std::size_t i = 0; i < 40; i++)  // NAND(A, B) with the monitor off
    EXPECT_EQ(reply[i], (i & 3) == 3 ? 0x01 : 0x03) << i;
  EXPECT_EQ(exchange(h1, {}, &reply, &count), KAVRIN_SUCCESS);  // no inputs: nothing to read
  EXPECT_EQ(count, 0u);

  for (HANDLE h : {h0, h1, h2}) EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  // The server sees the client go only after it has taken every report sent before.
  EXPECT_TRUE(eventually([&] { return !two.has_client(); }));
  two.stop();
  ASSERT_EQ(two.box->transcript.size(), 8u + 6u);
  EXPECT_EQ(two.box->transcript[4].bytes.size(), 33u);
  EXPECT_EQ(two.box->transcript[5].asked, 32u);
  EXPECT_EQ(two.box->transcript[7].asked, 8u);
  EXPECT_EQ(two.box->violations, 0u);
  EXPECT_TRUE(one.box->transcript.empty());
}

TEST_F(PosixTest, AServerWithAClientRefusesTheNextOne) {
  BoxServer server("kavrin0");
  int other = socket(AF_UNIX, SOCK_SEQPACKET, 0);  // another process holds the box
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (kDeviceDir / "kavrin0").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(connect(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_TRUE(eventually([&] { return server.has_client(); }));

  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: 6f");  // ECONNREFUSED
  EXPECT_EQ(h, 0x1234u);

  close(other);
  ASSERT_TRUE(eventually([&] { return server.listening(); }));
  h = open("Kavrin0");
  EXPECT_EQ(exchange(h, {1, 2}), KAVRIN_SUCCESS);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  server.stop();
  EXPECT_EQ(server.box->violations, 0u);
}

TEST_F(PosixTest, AServerThatStopsAnsweringTimesOut) {
  BoxServer server("kavrin0", BoxServer::kGoesSilent, 5);
  HANDLE h = open("Kavrin0");
  DWORD count = 999;
  auto start = Clock::now();
  EXPECT_EQ(exchange(h, {1, 2, 3}, nullptr, &count), KAVRIN_SYSTEM_ERROR);
  auto waited = Clock::now() - start;
  EXPECT_EQ(count, 999u);
  EXPECT_GE(waited, std::chrono::milliseconds(KAVRIN_TEST_TIMEOUT_MS - 10));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(PosixTest, AServerThatHangsUpFailsTheTransferWithoutEndingTheProcess) {
  BoxServer server("kavrin0", BoxServer::kHangsUp, 5);  // instead of answering the inputs
  HANDLE h = open("Kavrin0");
  EXPECT_EQ(exchange(h, {1, 2, 3}), KAVRIN_SYSTEM_ERROR);
  ASSERT_TRUE(eventually([&] { return !server.has_client(); }));
  EXPECT_EQ(exchange(h, {1, 2, 3}), KAVRIN_SYSTEM_ERROR);  // writes to a closed connection
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

/// A character device in the device directory, through a symbolic link.
void link_device(const char* device, const char* name) {
  fs::create_symlink(device, kDeviceDir / name);
}

TEST_F(PosixTest, ACharacterDeviceIsHeldWithAnExclusiveLock) {
  link_device("/dev/null", "kavrin0");
  int other = ::open("/dev/null", O_RDWR);
  ASSERT_GE(other, 0);
  if (flock(other, LOCK_EX | LOCK_NB) != 0) GTEST_SKIP() << "/dev/null is locked elsewhere";

  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: b");  // EWOULDBLOCK
  EXPECT_EQ(h, 0x1234u);

  flock(other, LOCK_UN);
  h = open("Kavrin0");
  EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);  // now the library holds it
  // Writes go through; the reads deliver nothing, which is a transfer failure.
  EXPECT_EQ(exchange(h, {1, 2}), KAVRIN_SYSTEM_ERROR);
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);  // closing let it go
  close(other);
}

TEST_F(PosixTest, ACharacterDeviceThatAnswersCompletesTheExchange) {
  link_device("/dev/zero", "kavrin0");
  HANDLE h = open("Kavrin0");
  Bytes reply;
  DWORD count = 0;
  EXPECT_EQ(exchange(h, Bytes(40, 1), &reply, &count), KAVRIN_SUCCESS);
  EXPECT_EQ(count, 40u);
  EXPECT_EQ(reply, Bytes(40, 0));
  EXPECT_EQ(kavClose(h), KAVRIN_SUCCESS);
}

TEST_F(PosixTest, AnEntryThatCannotBeOpenedIsNoDevice) {
  link_device((kDeviceDir / "nowhere").c_str(), "kavrin0");
  HANDLE h = 0x1234;
  testing::internal::CaptureStdout();
  EXPECT_EQ(kavOpen(&h, name_of("Kavrin0")), KAVRIN_NO_DEVICE);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: 2");  // ENOENT
}

}  // namespace
