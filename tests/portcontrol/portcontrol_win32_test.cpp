// TPortControl over the Win32 calls: on the COM port named by TALLOWICK_TEST_COM, whose
// other end sends back every byte (scripts/test-windows links it to tallowick-pty-echo),
// and the FIFO settings written into a real registry key with their value types.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fake_port_system.h"
#include "portcontrol/port_enumeration.h"
#include "portcontrol/portcontrol.h"
#include "portcontrol/portcontrol_registry_win32.h"

namespace tallowick {
namespace {

using Bytes = std::vector<std::uint8_t>;

class PortControlCom : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* name = std::getenv("TALLOWICK_TEST_COM");
    if (name == nullptr || *name == '\0') {
      GTEST_SKIP() << "TALLOWICK_TEST_COM names no COM port with an echo at its other end";
    }
    port.Port = name;
    port.EnableDescr = true;
    port.RTS = TRtsControl::RTS_ENABLE;
    port.Timeout.ReadTotalTimeoutConstant = 300;
  }
  void TearDown() override {
    if (port.IsOpen()) port.ClosePort();
  }

  void openWithSession() {
    ASSERT_EQ(port.OpenPort(), 0) << port.Description();
    ASSERT_EQ(port.StartSession(true), 0) << port.Description();
  }

  void send(const Bytes& bytes) {
    std::uint32_t written = 0;
    ASSERT_EQ(port.WriteData(bytes.data(), static_cast<std::uint32_t>(bytes.size()), written), 0)
        << port.Description();
    ASSERT_EQ(written, bytes.size());
  }

  TPortControl port;
};

TEST_F(PortControlCom, OpenTwiceIsRefusedAndTheFirstHandleStaysUsable) {
  ASSERT_EQ(port.OpenPort(), 0) << port.Description();
  EXPECT_EQ(port.OpenPort(), -20);
  EXPECT_EQ(port.Description(), "Port was opened!\nError = -20");
  ASSERT_EQ(port.StartSession(true), 0) << port.Description();
  send({'o', 'k', '\r'});
  port.WaitEndChar = true;
  port.EndChar = '\r';
  std::uint8_t buffer[8] = {};
  std::uint32_t read = 0;
  EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0) << port.Description();
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(port.EndSession(true), 0);
  EXPECT_EQ(port.ClosePort(), 0) << port.Description();
  EXPECT_FALSE(port.IsOpen());
}

TEST_F(PortControlCom, ReadWithoutASessionIsRefusedOnAnOpenPort) {
  ASSERT_EQ(port.OpenPort(), 0) << port.Description();
  std::uint8_t buffer[8];
  std::uint32_t read = 5;
  EXPECT_EQ(port.ReadData(buffer, 8, read), -21);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(port.Description(), "Session was not opened!!\nError = -21");
}

TEST_F(PortControlCom, ReadUpToTheEndCharacterOrTheTimeout) {
  openWithSession();
  port.WaitEndChar = true;
  port.EndChar = 0x0D;
  std::uint8_t buffer[16] = {};
  std::uint32_t read = 0;
  for (const bool buffering : {false, true}) {
    SCOPED_TRACE(buffering);
    port.Buffering = buffering;
    send({0x41, 0x42, 0x0D});
    EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), 0) << port.Description();
    EXPECT_EQ(read, 3u);
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{0x41, 0x42, 0x0D}));

    send({0x41, 0x42});
    EXPECT_EQ(port.ReadData(buffer, sizeof buffer, read), -19);
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(port.Description(), "End character is absent.\nError = -19");
  }
}

TEST_F(PortControlCom, LineControlAndErrorState) {
  openWithSession();
  EXPECT_EQ(port.EscapeCommFunction(escape::kSetBreak), 0) << port.Description();
  EXPECT_EQ(port.EscapeCommFunction(escape::kClrBreak), 0) << port.Description();
  EXPECT_EQ(port.ClearError(), 0) << port.Description();
  EXPECT_EQ(port.ClearBuffers(purge::kAll), 0) << port.Description();
  port.SetTimeout({-1, 0, 0, 0, 0});
  EXPECT_EQ(port.SetPortTimeouts(), 0) << port.Description();
  EXPECT_EQ(port.EndSession(false), 0);
  EXPECT_EQ(port.EscapeCommFunction(escape::kSetBreak), -21);
  EXPECT_EQ(port.Description(), "Session was not opened.\nError = -21");
}

// The port list of the main window names the port the test command set up. Under Wine the
// device class "Ports" is empty and the port is found in the serial device map.
TEST(PortEnumerationWin32, TheTestPortIsListedOnceAfterTheSimulatedOne) {
  const char* name = std::getenv("TALLOWICK_TEST_COM");
  if (name == nullptr || *name == '\0') GTEST_SKIP() << "TALLOWICK_TEST_COM names no COM port";
  ASSERT_TRUE(LoadConfigManager());
  const std::vector<std::string> items = portSelectorItems(true);
  std::string listed;
  for (const std::string& item : items)
    listed += item + " ";
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items.front(), kSimulatedPortName);
  EXPECT_EQ(std::count(items.begin(), items.end(), std::string(name)), 1) << listed;
  // Every enumeration starts afresh.
  EXPECT_EQ(portSelectorItems(true), items);
  EXPECT_EQ(BeginEnumeratePorts(), 0);
  EXPECT_EQ(BeginEnumeratePorts(), kEnumerationRefused);
  EXPECT_EQ(EndEnumeratePorts(), 0);
}

TEST(PortControlWin32, MissingPortGivesTheSystemText) {
  TPortControl port;
  port.EnableDescr = true;
  port.Port = "COM199";
  EXPECT_EQ(port.OpenPort(), -2);
  EXPECT_FALSE(port.IsOpen());
  const std::string& text = port.Description();
  const std::string code = "\nError = 0x" + [&] {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%lx", static_cast<unsigned long>(port.LastError()));
    return std::string(hex);
  }();
  ASSERT_GT(text.size(), code.size());
  EXPECT_EQ(text.substr(text.size() - code.size()), code);
  EXPECT_EQ(text.find('\r'), std::string::npos) << "the message's own line break is dropped";
}

TEST(PortControlWin32, NumPortOnWindowsNt) {
  TPortControl port;
  ASSERT_EQ(port.Platform(), PortPlatform::WindowsNT);
  EXPECT_TRUE(port.SetNumPort("com12"));
  EXPECT_EQ(port.Port, "COM12");
  EXPECT_FALSE(port.SetNumPort("com257"));
  EXPECT_EQ(port.Port, "COM12");
}

// A key of our own under HKEY_CURRENT_USER plays the port device's hardware key.
class RegistryKeySystem final : public testing::FakePortSystem {
 public:
  RegistryKeySystem(std::shared_ptr<testing::FakeState> state, const char* path)
      : FakePortSystem(std::move(state)), path_(path) {}
  std::unique_ptr<DeviceKey> deviceKey(std::string_view) override {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return adoptRegistryKey(key);
  }

 private:
  const char* path_;
};

class PortControlFifoRegistry : public ::testing::Test {
 protected:
  static constexpr const char* kPath = "Software\\Tallowick\\Tests\\FifoDevice";

  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kPath); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kPath); }

  std::unique_ptr<TPortControl> portOn(PortPlatform platform) {
    auto state = std::make_shared<testing::FakeState>();
    state->platform = platform;
    auto port = std::make_unique<TPortControl>(std::make_unique<RegistryKeySystem>(state, kPath));
    port->Port = "COM3";
    return port;
  }

  // The value's type and bytes as the registry has them; type 0 when it is missing.
  static RegistryData value(const char* name) {
    RegistryData data;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
    DWORD type = 0;
    BYTE bytes[64];
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key, name, nullptr, &type, bytes, &size) == ERROR_SUCCESS) {
      data = {type, Bytes(bytes, bytes + size)};
    }
    RegCloseKey(key);
    return data;
  }

  static void put(const char* name, DWORD type, const Bytes& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
  }
};

TEST_F(PortControlFifoRegistry, WindowsNtWritesDwordValues) {
  auto port = portOn(PortPlatform::WindowsNT);
  EXPECT_EQ(port->SetFIFOSize(true, 16), -26);
  EXPECT_EQ(value("RxFIFO").type, 0u) << "nothing written for a size not allowed";
  EXPECT_EQ(port->SetFIFOSize(false, 16), 0);
  EXPECT_EQ(value("TxFIFO"), (RegistryData{REG_DWORD, {16, 0, 0, 0}}));
  EXPECT_EQ(port->SetFIFOSize(true, 14), 0);
  EXPECT_EQ(value("RxFIFO"), (RegistryData{REG_DWORD, {14, 0, 0, 0}}));
  EXPECT_EQ(port->EnableFIFO(true), 0);
  EXPECT_EQ(value("ForceFifoEnable"), (RegistryData{REG_DWORD, {1, 0, 0, 0}}));
  EXPECT_EQ(port->IsFIFOEnable(), 1);
  EXPECT_EQ(port->GetFIFOSize(false), 16);
  EXPECT_EQ(port->GetFIFOSize(true), 14);
  EXPECT_EQ(port->EnableFIFO(false), 0);
  EXPECT_EQ(port->IsFIFOEnable(), 0);
}

TEST_F(PortControlFifoRegistry, Windows9xKeepsTheBinarySettingsTypeAndLength) {
  put("settings", REG_BINARY, {0x00, 0x01, 0x5A, 0x00, 0x33});
  auto port = portOn(PortPlatform::Windows9x);
  EXPECT_EQ(port->EnableFIFO(true), 0);
  EXPECT_EQ(port->SetFIFOSize(true, 14), 0);
  EXPECT_EQ(port->SetFIFOSize(false, 16), 0);
  EXPECT_EQ(value("settings"), (RegistryData{REG_BINARY, {0x02, 0x10, 0x5A, 0xC0, 0x33}}));
  EXPECT_EQ(port->IsFIFOEnable(), 1);
  EXPECT_EQ(port->GetFIFOSize(true), 14);
  EXPECT_EQ(port->GetFIFOSize(false), 16);
  EXPECT_EQ(value("TxFIFO").type, 0u) << "no NT values on 95/98";
}

}  // namespace
}  // namespace tallowick
