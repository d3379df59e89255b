// TPortControl's rules over a recording fake of the port services: result codes and
// texts, the order of the steps, what a failure leaves behind, SetNumPort and the FIFO
// settings of Windows NT and Windows 95/98. Runs on every platform.
#include "portcontrol/portcontrol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "fake_port_system.h"
#include "portcontrol/port_enumeration.h"

namespace tallowick {
namespace {

using testing::FakePortSystem;
using testing::FakeState;
using testing::Step;
using Bytes = std::vector<std::uint8_t>;

struct Fixture {
  std::shared_ptr<FakeState> state = std::make_shared<FakeState>();
  std::unique_ptr<TPortControl> port =
      std::make_unique<TPortControl>(std::make_unique<FakePortSystem>(state));

  Fixture() {
    port->Port = "COM3";
    port->EnableDescr = true;
  }
  TPortControl& operator*() { return *port; }
  TPortControl* operator->() { return port.get(); }

  void openWithSession() {
    ASSERT_EQ(port->OpenPort(), 0);
    ASSERT_EQ(port->StartSession(false), 0);
    state->calls.clear();
  }
};

RegistryData dword(std::uint32_t value) {
  RegistryData data{kRegDword, Bytes(4)};
  std::memcpy(data.bytes.data(), &value, 4);
  return data;
}

TEST(PortControlDefaults, PropertiesAndTimeoutsStartAsTheComponentDefines) {
  Fixture f;
  TPortControl& p = *f.port;
  const T1CommTimeouts t;
  EXPECT_EQ(t.ReadIntervalTimeout, 0);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0);
  EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 0);
  EXPECT_EQ(t.WriteTotalTimeoutConstant, 0);
  TPortControl fresh(std::make_unique<FakePortSystem>(std::make_shared<FakeState>()));
  EXPECT_EQ(fresh.Timeout, t);
  EXPECT_FALSE(fresh.Buffering);
  EXPECT_EQ(fresh.Port, "");
  EXPECT_EQ(fresh.DTR, TDtrControl::DTR_HANDSHAKE);
  EXPECT_EQ(fresh.RTS, TRtsControl::RTS_HANDSHAKE);
  EXPECT_EQ(fresh.DataBits, TDataBits::Bits8);
  EXPECT_EQ(fresh.BaudRate, TBaudRate::S009600);
  EXPECT_EQ(fresh.Parity, TParity::NO);
  EXPECT_EQ(fresh.StopBits, TStopBits::ONE);
  EXPECT_EQ(fresh.EndChar, 0);
  EXPECT_FALSE(fresh.WaitEndChar);
  EXPECT_FALSE(fresh.EnableDescr);
  EXPECT_FALSE(fresh.IsOpen());
  EXPECT_FALSE(fresh.InSession());

  // SetTimeout copies all five; the open port keeps its time-outs until SetPortTimeouts.
  ASSERT_EQ(p.OpenPort(), 0);
  const T1CommTimeouts other{1, 2, 3, 4, 5};
  p.SetTimeout(other);
  EXPECT_EQ(p.Timeout, other);
  EXPECT_EQ(f.state->timeouts, T1CommTimeouts{});
  EXPECT_EQ(p.SetPortTimeouts(), 0);
  EXPECT_EQ(f.state->timeouts, other);
}

TEST(PortControlDefaults, EnumeratedSettingsMapToTheirWindowsValues) {
  const std::pair<TBaudRate, std::int32_t> rates[] = {
      {TBaudRate::S256000, 256000}, {TBaudRate::S128000, 128000}, {TBaudRate::S115200, 115200},
      {TBaudRate::S057600, 57600},  {TBaudRate::S056000, 56000},  {TBaudRate::S038400, 38400},
      {TBaudRate::S019200, 19200},  {TBaudRate::S011400, 11400},  {TBaudRate::S009600, 9600},
      {TBaudRate::S004800, 4800},   {TBaudRate::S002400, 2400},   {TBaudRate::S001200, 1200},
      {TBaudRate::S000600, 600},    {TBaudRate::S000300, 300},    {TBaudRate::S000110, 110},
  };
  for (const auto& [rate, bps] : rates)
    EXPECT_EQ(baudRateValue(rate), bps);
  EXPECT_EQ(parityValue(TParity::NO), 0);
  EXPECT_EQ(parityValue(TParity::ODD), 1);
  EXPECT_EQ(parityValue(TParity::EVEN), 2);
  EXPECT_EQ(parityValue(TParity::MARK), 3);
  EXPECT_EQ(stopBitsValue(TStopBits::ONE), 0);
  EXPECT_EQ(stopBitsValue(TStopBits::ONE5), 1);
  EXPECT_EQ(stopBitsValue(TStopBits::TWO), 2);
  EXPECT_EQ(dataBitsValue(TDataBits::Bits5), 5);
  EXPECT_EQ(dataBitsValue(TDataBits::Bits8), 8);

  // What OpenPort hands to the driver.
  Fixture f;
  f->BaudRate = TBaudRate::S011400;
  f->DataBits = TDataBits::Bits7;
  f->Parity = TParity::MARK;
  f->StopBits = TStopBits::TWO;
  f->DTR = TDtrControl::DTR_ENABLE;
  f->RTS = TRtsControl::RTS_DISABLE;
  ASSERT_EQ(f->OpenPort(), 0);
  EXPECT_EQ(f.state->written, (LineSettings{11400, 7, 3, 2, 1, 0}));
}

TEST(PortControlResults, EveryCodeFromZeroToMinus27HasItsMeaning) {
  const auto results = portResults();
  ASSERT_EQ(results.size(), 28u);
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].code, -static_cast<std::int32_t>(i));
    EXPECT_FALSE(results[i].meaning.empty());
    EXPECT_EQ(portResultMeaning(results[i].code), results[i].meaning);
  }
  EXPECT_TRUE(portResultMeaning(-28).empty());
  EXPECT_EQ(portResultMeaning(port_result::kEnumerationFailed), results[27].meaning);
  EXPECT_EQ(kEnumerationRefused, port_result::kEnumerationFailed);
}

// Each operation that needs an open port, on a closed one, with its own wording.
TEST(PortControlRefusals, OperationsOnAClosedPortGiveMinus1WithTheirText) {
  const std::string bang = "Port was not opened!\nError = -1";
  const std::string dot = "Port was not opened.\nError = -1";
  std::uint8_t buffer[4] = {};
  std::uint32_t count = 99;
  const struct {
    const char* name;
    std::function<std::int32_t(TPortControl&)> call;
    std::string text;
  } cases[] = {
      {"ClosePort", [](TPortControl& p) { return p.ClosePort(); }, bang},
      {"StartSession", [](TPortControl& p) { return p.StartSession(true); }, bang},
      {"EndSession", [](TPortControl& p) { return p.EndSession(true); }, bang},
      {"WriteData", [&](TPortControl& p) { return p.WriteData(buffer, 4, count); }, dot},
      {"ReadData", [&](TPortControl& p) { return p.ReadData(buffer, 4, count); }, bang},
      {"ClearError", [](TPortControl& p) { return p.ClearError(); }, bang},
      {"SetPortTimeouts", [](TPortControl& p) { return p.SetPortTimeouts(); }, bang},
      {"EscapeCommFunction", [](TPortControl& p) { return p.EscapeCommFunction(5); }, bang},
      {"ClearBuffers", [](TPortControl& p) { return p.ClearBuffers(15); }, bang},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    count = 99;
    EXPECT_EQ(c.call(*f), -1);
    EXPECT_EQ(f->Description(), c.text);
    EXPECT_EQ(f->LastError(), -1);
    EXPECT_TRUE(count == 0 || count == 99) << "a read or write counts nothing";
    EXPECT_TRUE(f.state->calls.empty());
    // Without EnableDescr no text is kept.
    f->EnableDescr = false;
    EXPECT_EQ(c.call(*f), -1);
    EXPECT_EQ(f->Description(), "");
  }
  Fixture f;
  EXPECT_EQ(f->ReadData(buffer, 4, count), -1);
  EXPECT_EQ(count, 0u);
  count = 99;
  EXPECT_EQ(f->WriteData(buffer, 4, count), -1);
  EXPECT_EQ(count, 0u);
}

TEST(PortControlRefusals, OperationsWithoutASessionGiveMinus21WithTheirText) {
  std::uint8_t buffer[4] = {};
  std::uint32_t count = 99;
  const struct {
    const char* name;
    std::function<std::int32_t(TPortControl&)> call;
    std::string text;
  } cases[] = {
      {"WriteData", [&](TPortControl& p) { return p.WriteData(buffer, 4, count); },
       "Session was not opened.\nError = -21"},
      {"EscapeCommFunction", [](TPortControl& p) { return p.EscapeCommFunction(5); },
       "Session was not opened.\nError = -21"},
      {"ClearBuffers", [](TPortControl& p) { return p.ClearBuffers(15); },
       "Session was not opened.\nError = -21"},
      {"ReadData", [&](TPortControl& p) { return p.ReadData(buffer, 4, count); },
       "Session was not opened!!\nError = -21"},
      {"ClearError", [](TPortControl& p) { return p.ClearError(); },
       "Session was not opened\nError = -21"},
      {"EndSession", [](TPortControl& p) { return p.EndSession(false); },
       "Session was not opened!\nError = -21"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    ASSERT_EQ(f->OpenPort(), 0);
    f.state->calls.clear();
    count = 99;
    EXPECT_EQ(c.call(*f), -21);
    EXPECT_EQ(f->Description(), c.text);
    EXPECT_TRUE(f.state->calls.empty()) << "nothing reaches the port";
  }
}

TEST(PortControlOpen, SecondOpenIsRefusedAndKeepsTheFirstHandle) {
  Fixture f;
  ASSERT_EQ(f->OpenPort(), 0);
  EXPECT_EQ(f->Description(), "");
  EXPECT_EQ(f->OpenPort(), -20);
  EXPECT_EQ(f->Description(), "Port was opened!\nError = -20");
  EXPECT_TRUE(f->IsOpen());
  EXPECT_EQ(f.state->opens, 1);
  const std::vector<std::string> order = {"open COM3", "get settings", "set settings",
                                          "get settings", "set timeouts"};
  EXPECT_EQ(f.state->calls, order);
  // A success afterwards forgets the refusal.
  EXPECT_EQ(f->SetPortTimeouts(), 0);
  EXPECT_EQ(f->Description(), "");
  EXPECT_EQ(f->LastError(), 0);
}

TEST(PortControlOpen, EachFailingStepHasItsCodeAndOnlyAFailedOpenLeavesThePortClosed) {
  const struct {
    Step step;
    std::int32_t code;
    bool openAfter;
  } cases[] = {
      {Step::Open, -2, false},         {Step::ReadSettings, -3, true},
      {Step::WriteSettings, -4, true}, {Step::ReadSettingsAgain, -3, true},
      {Step::SetTimeouts, -5, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    Fixture f;
    f.state->failures[c.step] = 5;
    EXPECT_EQ(f->OpenPort(), c.code);
    EXPECT_EQ(f->IsOpen(), c.openAfter);
    EXPECT_EQ(f->LastError(), 5);
    EXPECT_EQ(f->Description(), "Fake error 5\nError = 0x5");
    if (c.openAfter) {
      // The port that stayed open is released by ClosePort as usual.
      f.state->failures.clear();
      EXPECT_EQ(f->ClosePort(), 0);
      EXPECT_FALSE(f->IsOpen());
    }
  }
}

TEST(PortControlClose, FlushesPurgesAndClosesAndStillReleasesAPortThatCannotDrain) {
  const struct {
    Step step;
    std::int32_t code;
    bool openAfter;
  } cases[] = {
      {Step::Flush, -6, false},
      {Step::Purge, -15, false},
      {Step::Close, -7, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    Fixture f;
    ASSERT_EQ(f->OpenPort(), 0);
    f.state->calls.clear();
    f.state->failures[c.step] = 31;
    EXPECT_EQ(f->ClosePort(), c.code);
    EXPECT_EQ(f->IsOpen(), c.openAfter);
    const std::vector<std::string> order = {"flush", "purge 15", "close"};
    EXPECT_EQ(f.state->calls, order);
    EXPECT_EQ(f->Description(), "Fake error 31\nError = 0x1f");
  }
  Fixture f;
  ASSERT_EQ(f->OpenPort(), 0);
  EXPECT_EQ(f->ClosePort(), 0);
  EXPECT_EQ(f->ClosePort(), -1);
}

TEST(PortControlSession, StartRaisesLocksAndPurgesOnlyWhenAsked) {
  for (const bool purge : {false, true}) {
    Fixture f;
    ASSERT_EQ(f->OpenPort(), 0);
    f.state->calls.clear();
    EXPECT_EQ(f->StartSession(purge), 0);
    EXPECT_TRUE(f->InSession());
    EXPECT_TRUE(f.state->processRaised && f.state->threadRaised && f.state->locked);
    EXPECT_EQ(f.state->calls,
              purge ? std::vector<std::string>{"purge 15"} : std::vector<std::string>{});
    EXPECT_EQ(f->StartSession(purge), -16);
    EXPECT_EQ(f->Description(), "Session was opened!\nError = -16");
    f.state->calls.clear();
    EXPECT_EQ(f->EndSession(purge), 0);
    EXPECT_FALSE(f->InSession());
    EXPECT_FALSE(f.state->processRaised || f.state->threadRaised || f.state->locked);
    EXPECT_EQ(f.state->calls,
              purge ? std::vector<std::string>{"purge 15"} : std::vector<std::string>{});
  }
}

TEST(PortControlSession, AStartThatFailsGivesBackEverythingItRaised) {
  const struct {
    Step step;
    std::int32_t code;
  } cases[] = {
      {Step::SaveProcess, -8},  {Step::SaveThread, -10}, {Step::RaiseProcess, -9},
      {Step::RaiseThread, -11}, {Step::Lock, -12},       {Step::Purge, -15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    Fixture f;
    ASSERT_EQ(f->OpenPort(), 0);
    f.state->failures[c.step] = 5;
    EXPECT_EQ(f->StartSession(true), c.code);
    EXPECT_FALSE(f->InSession());
    EXPECT_FALSE(f.state->processRaised);
    EXPECT_FALSE(f.state->threadRaised);
    EXPECT_FALSE(f.state->locked);
    EXPECT_EQ(f->Description(), "Fake error 5\nError = 0x5");
  }
}

TEST(PortControlSession, AnEndThatFailsKeepsTheSessionToBeEndedAgain) {
  const struct {
    Step step;
    std::int32_t code;
  } cases[] = {
      {Step::RestoreProcess, -9},
      {Step::RestoreThread, -11},
      {Step::Unlock, -13},
      {Step::Purge, -15},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.step));
    Fixture f;
    f.openWithSession();
    f.state->failures[c.step] = 5;
    EXPECT_EQ(f->EndSession(true), c.code);
    EXPECT_TRUE(f->InSession());
    f.state->failures.clear();
    EXPECT_EQ(f->EndSession(true), 0);
    EXPECT_FALSE(f->InSession());
  }
}

TEST(PortControlSession, ClosingOrDestroyingDuringASessionRestoresThePriorities) {
  Fixture f;
  f.openWithSession();
  EXPECT_EQ(f->ClosePort(), 0);
  EXPECT_FALSE(f->InSession());
  EXPECT_FALSE(f.state->processRaised || f.state->threadRaised || f.state->locked);

  Fixture g;
  g.openWithSession();
  g.port.reset();
  EXPECT_FALSE(g.state->open);
  EXPECT_FALSE(g.state->processRaised || g.state->threadRaised || g.state->locked);
}

TEST(PortControlWrite, BufferedInOneWriteOrByteByByteThenDrained) {
  const Bytes data = {0x41, 0x42, 0x0D};
  for (const bool buffering : {true, false}) {
    Fixture f;
    f.openWithSession();
    f->Buffering = buffering;
    std::uint32_t written = 99;
    EXPECT_EQ(f->WriteData(data.data(), 3, written), 0);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(f.state->sent, data);
    const std::vector<std::string> order =
        buffering ? std::vector<std::string>{"write 3", "flush"}
                  : std::vector<std::string>{"tx 41", "tx 42", "tx 0D", "flush"};
    EXPECT_EQ(f.state->calls, order);
  }
}

TEST(PortControlWrite, FailuresCountTheBytesThatWentOut) {
  const Bytes data = {1, 2, 3, 4, 5};
  const struct {
    const char* name;
    bool buffering;
    std::function<void(FakeState&)> arrange;
    std::int32_t code;
    std::uint32_t written;
  } cases[] = {
      {"immediate character fails at the third", false, [](FakeState& s) { s.transmitFailsAt = 2; },
       -18, 2},
      {"the write fails", true, [](FakeState& s) { s.failures[Step::Write] = 5; }, -18, 0},
      // A write time-out ends the write early; that is no success.
      {"the write times out after three", true, [](FakeState& s) { s.shortWriteBy = 2; }, -18, 3},
      {"the drain fails", true, [](FakeState& s) { s.failures[Step::Flush] = 5; }, -6, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.openWithSession();
    f->Buffering = c.buffering;
    c.arrange(*f.state);
    std::uint32_t written = 99;
    EXPECT_EQ(f->WriteData(data.data(), 5, written), c.code);
    EXPECT_EQ(written, c.written);
    EXPECT_FALSE(f->Description().empty());
  }
  Fixture f;
  f.openWithSession();
  std::uint32_t written = 99;
  EXPECT_EQ(f->WriteData(nullptr, 3, written), -18);
  EXPECT_EQ(f->LastError(), 87);
  EXPECT_TRUE(f.state->calls.empty());
  EXPECT_EQ(f->WriteData(nullptr, 0, written), 0);
  EXPECT_EQ(written, 0u);
}

TEST(PortControlRead, WaitForTheEndCharacter) {
  const struct {
    const char* name;
    Bytes incoming;
    char endChar;
    std::uint32_t count;
    std::int32_t code;
    std::uint32_t read;
    std::string description;
  } cases[] = {
      {"end character arrives", {0x41, 0x42, 0x0D}, 0x0D, 10, 0, 3, ""},
      {"time-out before it",
       {0x41, 0x42},
       0x0D,
       10,
       -19,
       2,
       "End character is absent.\nError = -19"},
      {"buffer full before it",
       {0x41, 0x42, 0x0D},
       0x0D,
       2,
       -19,
       2,
       "End character is absent.\nError = -19"},
      {"stops at the first of two", {0x41, 0x0D, 0x42, 0x0D}, 0x0D, 10, 0, 2, ""},
      {"NUL as the default end", {0x41, 0x00, 0x42}, 0, 10, 0, 2, ""},
      {"silence", {}, 0x0D, 10, -19, 0, "End character is absent.\nError = -19"},
      {"no room at all", {0x0D}, 0x0D, 0, -19, 0, "End character is absent.\nError = -19"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.openWithSession();
    f->WaitEndChar = true;
    f->EndChar = c.endChar;
    f.state->incoming.assign(c.incoming.begin(), c.incoming.end());
    std::uint8_t buffer[16] = {};
    std::uint32_t read = 99;
    EXPECT_EQ(f->ReadData(buffer, c.count, read), c.code);
    EXPECT_EQ(read, c.read);
    EXPECT_EQ(Bytes(buffer, buffer + read), Bytes(c.incoming.begin(), c.incoming.begin() + read));
    EXPECT_EQ(f->Description(), c.description);
    // One byte per read.
    for (const auto& call : f.state->calls)
      EXPECT_EQ(call, "read 1");
  }
}

TEST(PortControlRead, WithoutTheEndCharacterOneReadThatMayBeShort) {
  Fixture f;
  f.openWithSession();
  f.state->incoming = {1, 2, 3};
  std::uint8_t buffer[8] = {};
  std::uint32_t read = 99;
  EXPECT_EQ(f->ReadData(buffer, 8, read), 0);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(f.state->calls, std::vector<std::string>{"read 8"});

  f.state->failures[Step::Read] = 5;
  EXPECT_EQ(f->ReadData(buffer, 8, read), -17);
  EXPECT_EQ(read, 0u);
  f->WaitEndChar = true;
  EXPECT_EQ(f->ReadData(buffer, 8, read), -17);
  EXPECT_EQ(f->Description(), "Fake error 5\nError = 0x5");
  EXPECT_EQ(f->ReadData(nullptr, 8, read), -17);
}

TEST(PortControlLineControl, ClearErrorEscapeAndBuffers) {
  Fixture f;
  f.openWithSession();
  f.state->commErrors = 0x10;
  f.state->comStat = {1, 7, 2};
  EXPECT_EQ(f->ClearError(), 0);
  EXPECT_EQ(f->CommErrors(), 0x10u);
  EXPECT_EQ(f->CommStatus(), (TComStat{1, 7, 2}));
  EXPECT_EQ(f.state->calls, (std::vector<std::string>{"clear comm error", "purge 15"}));
  EXPECT_EQ(f->EscapeCommFunction(escape::kSetBreak), 0);
  EXPECT_EQ(f->ClearBuffers(purge::kRxClear), 0);
  EXPECT_EQ(f.state->calls.back(), "purge 8");

  const struct {
    Step step;
    std::function<std::int32_t(TPortControl&)> call;
    std::int32_t code;
  } failures[] = {
      {Step::ClearCommError, [](TPortControl& p) { return p.ClearError(); }, -14},
      {Step::Purge, [](TPortControl& p) { return p.ClearError(); }, -15},
      {Step::Escape, [](TPortControl& p) { return p.EscapeCommFunction(5); }, -22},
      {Step::Purge, [](TPortControl& p) { return p.ClearBuffers(4); }, -23},
      {Step::SetTimeouts, [](TPortControl& p) { return p.SetPortTimeouts(); }, -5},
  };
  for (const auto& c : failures) {
    SCOPED_TRACE(c.code);
    f.state->failures = {{c.step, 6}};
    EXPECT_EQ(c.call(*f), c.code);
    EXPECT_EQ(f->LastError(), 6);
    EXPECT_EQ(f->Description(), "Fake error 6\nError = 0x6");
  }
}

TEST(PortControlErrorString, SystemTextWithTheCodeInHex) {
  const struct {
    std::uint32_t code;
    std::string text;
  } cases[] = {
      {5, "Fake error 5\nError = 0x5"},
      {1121, "Fake error 1121\nError = 0x461"},
      // Bits 16 to 28 equal to 8: a Windows error wrapped as a result code.
      {0x80080005, "Fake error 5\nError = 0x5"},
      {0x00080002, "Fake error 2\nError = 0x2"},
      // Another facility is taken as it is.
      {0x80070005, "Fake error 2147942405\nError = 0x80070005"},
      {0xBAD, "Unknown error\nError = 0xbad"},
  };
  for (const auto& c : cases) {
    Fixture f;
    EXPECT_EQ(f->ErrorString(c.code), c.text);
    EXPECT_EQ(f->Description(), c.text);
    f->EnableDescr = false;
    TPortControl& p = *f;
    p.ErrorString(1);
    EXPECT_EQ(p.Description(), c.text) << "not kept without EnableDescr";
  }
}

TEST(PortControlNumPort, ComNamesByPlatform) {
  const struct {
    PortPlatform platform;
    const char* name;
    const char* port;  // afterwards; "old" when unchanged
  } cases[] = {
      {PortPlatform::WindowsNT, "com12", "COM12"},
      {PortPlatform::Windows9x, "com12", "old"},
      {PortPlatform::Windows9x, "com9", "COM9"},
      {PortPlatform::Windows9x, "Com1", "COM1"},
      {PortPlatform::WindowsNT, "cOm256", "COM256"},
      {PortPlatform::WindowsNT, "com257", "old"},
      {PortPlatform::WindowsNT, "com0", "old"},
      {PortPlatform::WindowsNT, "com", "old"},
      {PortPlatform::WindowsNT, "com5x", "old"},
      {PortPlatform::WindowsNT, "com-5", "old"},
      {PortPlatform::WindowsNT, " com5", "old"},
      {PortPlatform::WindowsNT, "lpt1", "old"},
      {PortPlatform::WindowsNT, "com99999999999", "old"},
      {PortPlatform::WindowsNT, "com007", "COM007"},
      {PortPlatform::Other, "com1", "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.state->platform = c.platform;
    f->Port = "old";
    EXPECT_EQ(f->SetNumPort(c.name), std::string(c.port) != "old");
    EXPECT_EQ(f->Port, c.port);
  }
  Fixture f;
  ASSERT_EQ(f->OpenPort(), 0);
  EXPECT_FALSE(f->SetNumPort("com4"));
  EXPECT_EQ(f->Port, "COM3");
}

// Windows NT keeps one DWORD per setting.
TEST(PortControlFifo, WindowsNtWritesAndReadsDwords) {
  const struct {
    const char* name;
    std::function<std::int32_t(TPortControl&)> call;
    std::int32_t code;
    const char* value;  // the value written, or nullptr
    std::uint32_t data;
  } cases[] = {
      {"receive 16 is not allowed", [](TPortControl& p) { return p.SetFIFOSize(true, 16); }, -26,
       nullptr, 0},
      {"transmit 16", [](TPortControl& p) { return p.SetFIFOSize(false, 16); }, 0, "TxFIFO", 16},
      {"transmit 5", [](TPortControl& p) { return p.SetFIFOSize(false, 5); }, 0, "TxFIFO", 5},
      {"transmit 0", [](TPortControl& p) { return p.SetFIFOSize(false, 0); }, -26, nullptr, 0},
      {"transmit 17", [](TPortControl& p) { return p.SetFIFOSize(false, 17); }, -26, nullptr, 0},
      {"receive 14", [](TPortControl& p) { return p.SetFIFOSize(true, 14); }, 0, "RxFIFO", 14},
      {"receive 4", [](TPortControl& p) { return p.SetFIFOSize(true, 4); }, 0, "RxFIFO", 4},
      {"receive 2", [](TPortControl& p) { return p.SetFIFOSize(true, 2); }, -26, nullptr, 0},
      {"enable", [](TPortControl& p) { return p.EnableFIFO(true); }, 0, "ForceFifoEnable", 1},
      {"disable", [](TPortControl& p) { return p.EnableFIFO(false); }, 0, "ForceFifoEnable", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.state->keys.devices["COM3"] = {};
    EXPECT_EQ(c.call(*f), c.code);
    const auto& values = f.state->keys.devices["COM3"];
    if (c.value) {
      ASSERT_EQ(values.size(), 1u);
      EXPECT_EQ(values.at(c.value), dword(c.data));
    } else {
      EXPECT_TRUE(values.empty());
    }
    EXPECT_EQ(f.state->keys.keysOpen, 0) << "the key is closed again";
  }

  Fixture f;
  f.state->keys.devices["COM3"] = {
      {"ForceFifoEnable", dword(1)}, {"RxFIFO", dword(8)}, {"TxFIFO", dword(14)}};
  EXPECT_EQ(f->IsFIFOEnable(), 1);
  EXPECT_EQ(f->GetFIFOSize(true), 8);
  EXPECT_EQ(f->GetFIFOSize(false), 14);
  f.state->keys.devices["COM3"]["RxFIFO"] = RegistryData{kRegBinary, {8}};
  EXPECT_EQ(f->GetFIFOSize(true), -25) << "a value that is no DWORD";
  f.state->keys.devices["COM3"]["TxFIFO"] = dword(0x80000000);
  EXPECT_EQ(f->GetFIFOSize(false), -25) << "too large to tell from a result code";
  f.state->keys.devices["COM3"].clear();
  EXPECT_EQ(f->IsFIFOEnable(), -25);
  f.state->keys.writeError = 5;
  EXPECT_EQ(f->EnableFIFO(true), -25);
  EXPECT_EQ(f->LastError(), 5);
  EXPECT_EQ(f->Description(), "");
}

// Windows 95/98 keeps bits and bytes of the binary value "settings".
TEST(PortControlFifo, Windows9xChangesBytesOfSettingsKeepingTypeAndLength) {
  const Bytes original = {0x01, 0x06, 0x55, 0x40, 0x99, 0x77};
  const struct {
    const char* name;
    std::function<std::int32_t(TPortControl&)> call;
    std::int32_t code;
    Bytes after;
  } cases[] = {
      {"enable sets bit 1",
       [](TPortControl& p) { return p.EnableFIFO(true); },
       0,
       {0x03, 0x06, 0x55, 0x40, 0x99, 0x77}},
      {"receive 14",
       [](TPortControl& p) { return p.SetFIFOSize(true, 14); },
       0,
       {0x01, 0x06, 0x55, 0xC0, 0x99, 0x77}},
      {"receive 1",
       [](TPortControl& p) { return p.SetFIFOSize(true, 1); },
       0,
       {0x01, 0x06, 0x55, 0x00, 0x99, 0x77}},
      {"receive 8",
       [](TPortControl& p) { return p.SetFIFOSize(true, 8); },
       0,
       {0x01, 0x06, 0x55, 0x80, 0x99, 0x77}},
      {"transmit 16",
       [](TPortControl& p) { return p.SetFIFOSize(false, 16); },
       0,
       {0x01, 0x10, 0x55, 0x40, 0x99, 0x77}},
      {"transmit 8",
       [](TPortControl& p) { return p.SetFIFOSize(false, 8); },
       0,
       {0x01, 0x0B, 0x55, 0x40, 0x99, 0x77}},
      {"transmit 1",
       [](TPortControl& p) { return p.SetFIFOSize(false, 1); },
       0,
       {0x01, 0x01, 0x55, 0x40, 0x99, 0x77}},
      {"transmit 5 only on NT", [](TPortControl& p) { return p.SetFIFOSize(false, 5); }, -26,
       original},
      {"receive 16", [](TPortControl& p) { return p.SetFIFOSize(true, 16); }, -26, original},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.state->platform = PortPlatform::Windows9x;
    f.state->keys.devices["COM3"]["settings"] = RegistryData{7, original};  // an odd type kept
    EXPECT_EQ(c.call(*f), c.code);
    EXPECT_EQ(f.state->keys.devices["COM3"]["settings"], (RegistryData{7, c.after}));
  }

  const struct {
    Bytes settings;
    std::int32_t enabled, receive, transmit;
  } reads[] = {
      {{0x02, 0x01, 0x00, 0x00}, 1, 1, 1},
      {{0x00, 0x06, 0x00, 0x40}, 0, 4, 4},
      {{0x03, 0x0B, 0x00, 0x80}, 1, 8, 8},  // other bits of byte 0 do not matter
      {{0xFD, 0x10, 0x00, 0xC0}, 0, 14, 16},
      {{0x02, 0x07, 0x00, 0x41}, 1, -25, -25},  // codes of no size
      {{0x02, 0x06, 0x00}, 1, -25, 4},          // too short for the receive byte
      {{}, -25, -25, -25},
  };
  for (const auto& r : reads) {
    Fixture f;
    f.state->platform = PortPlatform::Windows9x;
    f.state->keys.devices["COM3"]["settings"] = RegistryData{kRegBinary, r.settings};
    EXPECT_EQ(f->IsFIFOEnable(), r.enabled);
    EXPECT_EQ(f->GetFIFOSize(true), r.receive);
    EXPECT_EQ(f->GetFIFOSize(false), r.transmit);
  }

  // A value too short for the byte is not extended.
  Fixture f;
  f.state->platform = PortPlatform::Windows9x;
  f.state->keys.devices["COM3"]["settings"] = RegistryData{kRegBinary, {0x00, 0x01}};
  EXPECT_EQ(f->SetFIFOSize(true, 4), -25);
  EXPECT_EQ(f.state->keys.devices["COM3"]["settings"].bytes.size(), 2u);
}

TEST(PortControlFifo, KeyLookupAndOtherPlatforms) {
  Fixture f;
  f->Port = "\\\\.\\COM12";
  EXPECT_EQ(f->EnableFIFO(true), -25);
  EXPECT_EQ(f.state->keyLookups, std::vector<std::string>{"COM12"});

  Fixture other;
  other.state->platform = PortPlatform::Other;
  other.state->keys.devices["COM3"] = {};
  EXPECT_EQ(other->EnableFIFO(true), -24);
  EXPECT_EQ(other->SetFIFOSize(true, 16), -24);
  EXPECT_EQ(other->IsFIFOEnable(), -24);
  EXPECT_EQ(other->GetFIFOSize(false), -24);
  EXPECT_TRUE(other.state->keyLookups.empty());
  EXPECT_EQ(other->Description(), "");

  // -26 has no text either: an older failure's text is not left standing.
  Fixture nt;
  EXPECT_EQ(nt->ClosePort(), -1);
  EXPECT_EQ(nt->SetFIFOSize(true, 16), -26);
  EXPECT_EQ(nt->Description(), "");
}

TEST(PortControlDeviceKey, NoKeyWhileAnEnumerationRuns) {
  Fixture f;
  f.state->keys.devices["COM3"] = {};
  if (TPortControl::BeginEnumeratePorts() != 0) GTEST_SKIP() << "no port list on this machine";
  EXPECT_EQ(f->GetDeviceKey("COM3"), nullptr);
  EXPECT_EQ(f->EnableFIFO(true), -25);
  EXPECT_EQ(TPortControl::BeginEnumeratePorts(), -27);
  for (std::string name = TPortControl::EnumeratePorts(); !name.empty() && name != "0";
       name = TPortControl::EnumeratePorts()) {
  }
  EXPECT_EQ(f->GetDeviceKey("COM3"), nullptr) << "until the end, also after the last name";
  EXPECT_EQ(TPortControl::EndEnumeratePorts(), 0);
  EXPECT_NE(f->GetDeviceKey("COM3"), nullptr);
}

}  // namespace
}  // namespace tallowick
