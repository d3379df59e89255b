#include "portcontrol/port_enumeration.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "portcontrol/port_enumeration_sysfs.h"
#include "sim/loopback_line.h"
#include "support/temp_dir.h"

namespace tallowick {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A sysfs of our own in a temporary directory; the enumeration looks there while it lives.
class FakeSysfs {
 public:
  FakeSysfs() {
    fs::create_directories(root_ / "class" / "tty");
    setSysfsRoot(root_);
  }
  ~FakeSysfs() {
    EndEnumeratePorts();
    setSysfsRoot("/sys");
  }

  // A tty as the kernel links it: class/tty/NAME -> devices/.../NAME, with a `device` link
  // to the hardware when there is some, and a `type` attribute when given.
  void tty(const std::string& name, bool device, const char* type = nullptr) {
    const fs::path dir = root_ / "devices" / (device ? "platform" : "virtual") / "tty" / name;
    fs::create_directories(dir);
    if (device) {
      fs::create_directories(root_ / "devices" / "hw" / name);
      fs::create_directory_symlink(root_ / "devices" / "hw" / name, dir / "device");
    }
    if (type) std::ofstream(dir / "type") << type << "\n";
    fs::create_directory_symlink(dir, root_ / "class" / "tty" / name);
  }
  const fs::path& root() const { return dir_.path; }

 private:
  test::TempDir dir_{"tallowick-sysfs"};
  const fs::path& root_ = dir_.path;
};

Names enumerateAll() {
  Names out;
  for (std::string name = EnumeratePorts(); !name.empty(); name = EnumeratePorts()) {
    out.push_back(name);
  }
  return out;
}

TEST(PortEnumeration, ListsOnlyTtysWithHardwareInNaturalOrder) {
  FakeSysfs sys;
  sys.tty("console", false);
  sys.tty("ptmx", false);
  sys.tty("tty0", false);
  sys.tty("tty12", false);
  sys.tty("ttyS0", true, "4");
  sys.tty("ttyS1", true, "0");  // no UART answered there
  sys.tty("ttyS10", true, "4");
  sys.tty("ttyS2", true, "4");
  sys.tty("ttyS3", true, "nonsense");
  sys.tty("ttyUSB0", true);
  sys.tty("ttyACM1", true);
  sys.tty("ttyAMA0", true, "0x5");
  ASSERT_EQ(BeginEnumeratePorts(), 0);
  EXPECT_EQ(enumerateAll(), (Names{"/dev/ttyACM1", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyS2",
                                   "/dev/ttyS10", "/dev/ttyUSB0"}));
  EXPECT_EQ(EnumeratePorts(), "");
  EXPECT_EQ(EndEnumeratePorts(), 0);
}

TEST(PortEnumeration, OneEnumerationAtATime) {
  FakeSysfs sys;
  sys.tty("ttyUSB0", true);
  ASSERT_EQ(BeginEnumeratePorts(), 0);
  EXPECT_EQ(BeginEnumeratePorts(), kEnumerationRefused);
  // The refused begin leaves the running enumeration as it was.
  EXPECT_EQ(EnumeratePorts(), "/dev/ttyUSB0");
  EXPECT_EQ(EnumeratePorts(), "");
  EXPECT_EQ(EndEnumeratePorts(), 0);
  // After the end, a new one starts from the first port again.
  ASSERT_EQ(BeginEnumeratePorts(), 0);
  EXPECT_EQ(EnumeratePorts(), "/dev/ttyUSB0");
  EXPECT_EQ(EndEnumeratePorts(), 0);
  EXPECT_EQ(EndEnumeratePorts(), 0);
}

TEST(PortEnumeration, WithoutTheTtyClassTheBeginIsRefusedAndNothingIsListed) {
  FakeSysfs sys;
  fs::remove_all(sys.root() / "class");
  EXPECT_EQ(BeginEnumeratePorts(), kEnumerationRefused);
  EXPECT_EQ(EnumeratePorts(), "");
  // A refused begin does not count as running.
  fs::create_directories(sys.root() / "class" / "tty");
  EXPECT_EQ(BeginEnumeratePorts(), 0);
  EXPECT_EQ(EnumeratePorts(), "");
  EXPECT_EQ(EndEnumeratePorts(), 0);
}

TEST(PortEnumeration, SelectorItemsPutTheBuiltInPrinterFirstWhenAsked) {
  FakeSysfs sys;
  sys.tty("ttyS0", true, "4");
  sys.tty("ttyUSB1", true);
  EXPECT_EQ(portSelectorItems(false), (Names{"/dev/ttyS0", "/dev/ttyUSB1"}));
  EXPECT_EQ(portSelectorItems(true), (Names{"sim", "/dev/ttyS0", "/dev/ttyUSB1"}));
  EXPECT_EQ(std::string_view(kSimulatedPortName), sim::SimulatedPort::kPortName);
  // Each fill ends its enumeration, so the next one may begin.
  EXPECT_EQ(BeginEnumeratePorts(), 0);
  EndEnumeratePorts();

  FakeSysfs none;
  EXPECT_EQ(portSelectorItems(false), Names{});
  EXPECT_EQ(portSelectorItems(true), Names{"sim"});
}

TEST(PortEnumeration, NaturalOrder) {
  const std::pair<const char*, const char*> ordered[] = {
      {"ttyS2", "ttyS10"}, {"ttyS9", "ttyS10"},   {"ttyACM0", "ttyS0"}, {"ttyS0", "ttyUSB0"},
      {"ttyS", "ttyS0"},   {"ttyS1", "ttyS01"},   {"ttyS01", "ttyS2"},  {"a1b2", "a1b10"},
      {"", "a"},           {"ttyS007", "ttyS10"},
  };
  for (const auto& [a, b] : ordered) {
    EXPECT_TRUE(naturalLess(a, b)) << a << " < " << b;
    EXPECT_FALSE(naturalLess(b, a)) << b << " !< " << a;
  }
  EXPECT_FALSE(naturalLess("ttyS3", "ttyS3"));
}

// The links by id, each with the device it points to; a link whose device is gone and a
// folder that does not exist give nothing.
TEST(PortEnumeration, StableNamesWithTheirDevices) {
  FakeSysfs scratch;
  const fs::path dev = scratch.root() / "dev";
  const fs::path byId = dev / "serial" / "by-id";
  fs::create_directories(byId);
  std::ofstream(dev / "ttyUSB0").put('\n');
  std::ofstream(dev / "ttyACM1").put('\n');
  fs::create_symlink("../../ttyUSB0", byId / "usb-FTDI_FT232R_A1-if00-port0");
  fs::create_symlink("../../ttyACM1", byId / "usb-Arduino_01-if00");
  fs::create_symlink("../../ttyUSB9", byId / "usb-gone-if00-port0");
  const std::vector<StablePortName> expected = {
      {(byId / "usb-Arduino_01-if00").string(), fs::canonical(dev / "ttyACM1").string()},
      {(byId / "usb-FTDI_FT232R_A1-if00-port0").string(), fs::canonical(dev / "ttyUSB0").string()},
  };
  EXPECT_EQ(stablePortNames(byId.string()), expected);
  EXPECT_TRUE(stablePortNames((dev / "missing").string()).empty());
}

}  // namespace
}  // namespace tallowick
