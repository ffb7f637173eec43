// The device list against emulated boxes.
#include "device_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages.h"
#include "platform-sim.h"

namespace {

struct DeviceListTest : testing::Test {
  std::vector<Box*> boxes;

  void TearDown() override {
    verbose_mode = 0;
    for (Box* box : boxes) {
      EXPECT_FALSE(box->is_open) << "a device was left open";
      EXPECT_EQ(box->violations, 0u);
    }
  }

  std::vector<std::string> names(DeviceList* list) {
    std::vector<std::string> found;
    for (DeviceList* node = list; node != nullptr; node = node->next)
      found.push_back(node->dch != nullptr ? node->dch->DeviceName : "(closed)");
    return found;
  }

  struct Printed {
    std::string out, err;
  };
  Printed print(DeviceList* list) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    printDeviceList(list);
    Printed p;
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    return p;
  }
};

const char* const kNoDevices =
    "No Kavrin devices found. Check cables, software installation, hardware, etc\n";

TEST_F(DeviceListTest, NoDeviceGivesTheEmptyListAndTheNoDeviceLine) {
  boxes = sim_install_boxes(0);
  DeviceList* list = getDeviceList();
  EXPECT_EQ(list, nullptr);
  Printed p = print(list);
  EXPECT_EQ(p.out, "");
  EXPECT_EQ(p.err, kNoDevices);
  verbose_mode = 1;
  p = print(list);
  EXPECT_EQ(p.out + p.err, "");
  freeDeviceList(list);
}

TEST_F(DeviceListTest, OneDeviceIsListedAsKavrin0EvenWhenQuiet) {
  boxes = sim_install_boxes(1);
  DeviceList* list = getDeviceList();
  EXPECT_EQ(names(list), std::vector<std::string>{"Kavrin0"});
  EXPECT_TRUE(boxes[0]->is_open);
  Printed p = print(list);
  EXPECT_EQ(p.out, "Kavrin0\n");
  EXPECT_EQ(p.err, "");
  verbose_mode = 1;
  EXPECT_EQ(print(list).out, "Kavrin0\n");
  freeDeviceList(list);
}

TEST_F(DeviceListTest, TwoDevicesAreListedInOrderAndNothingElse) {
  boxes = sim_install_boxes(2);
  DeviceList* list = getDeviceList();
  EXPECT_EQ(names(list), (std::vector<std::string>{"Kavrin0", "Kavrin1"}));
  EXPECT_STREQ(list->next->dch->DevicePath, "sim:kavrin1");
  Printed p = print(list);
  EXPECT_EQ(p.out, "Kavrin0\nKavrin1\n");
  EXPECT_EQ(p.err, "");
  freeDeviceList(list);
}

TEST_F(DeviceListTest, TheDeviceOptionKeepsTheSecondAndClosesTheFirst) {
  boxes = sim_install_boxes(2);
  DeviceList* list = getDeviceList();
  char name[] = "Kavrin1";
  DeviceList* chosen = activateDevice(list, name);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen, list->next);
  EXPECT_EQ(names(list), (std::vector<std::string>{"(closed)", "Kavrin1"}));
  EXPECT_FALSE(boxes[0]->is_open);
  EXPECT_TRUE(boxes[1]->is_open);
  EXPECT_EQ(kavGetDeviceInformation(list->devHandle), nullptr);
  EXPECT_EQ(print(list).out, "Kavrin1\n");  // closed devices are not listed
  freeDeviceList(list);
  EXPECT_FALSE(boxes[1]->is_open);
}

TEST_F(DeviceListTest, WithoutADeviceOptionTheFirstIsKept) {
  boxes = sim_install_boxes(3);
  DeviceList* list = getDeviceList();
  EXPECT_EQ(activateDevice(list, nullptr), list);
  EXPECT_EQ(names(list), (std::vector<std::string>{"Kavrin0", "(closed)", "(closed)"}));
  EXPECT_TRUE(boxes[0]->is_open);
  EXPECT_FALSE(boxes[1]->is_open || boxes[2]->is_open);
  freeDeviceList(list);
}

TEST_F(DeviceListTest, ANameInOtherCaseMatchesNothingAndClosesEverything) {
  boxes = sim_install_boxes(2);
  DeviceList* list = getDeviceList();
  char name[] = "kavrin0";
  EXPECT_EQ(activateDevice(list, name), nullptr);
  EXPECT_EQ(names(list), (std::vector<std::string>{"(closed)", "(closed)"}));
  EXPECT_FALSE(boxes[0]->is_open || boxes[1]->is_open);
  freeDeviceList(list);
}

TEST_F(DeviceListTest, ADeviceThatCannotBeOpenedEndsTheList) {
  boxes = sim_install_boxes(3);
  boxes[1]->faults.refuse_open = true;
  testing::internal::CaptureStdout();
  DeviceList* list = getDeviceList();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open - failed: b06");
  EXPECT_EQ(names(list), std::vector<std::string>{"Kavrin0"});
  EXPECT_EQ(boxes[2]->opens, 0u);
  freeDeviceList(list);
}

TEST_F(DeviceListTest, AtMostAHundredDevicesAreNamed) {
  boxes = sim_install_boxes(101);
  DeviceList* list = getDeviceList();
  std::vector<std::string> found = names(list);
  ASSERT_EQ(found.size(), 100u);
  EXPECT_EQ(found.back(), "Kavrin99");
  EXPECT_FALSE(boxes[100]->is_open);
  freeDeviceList(list);
}

}  // namespace
