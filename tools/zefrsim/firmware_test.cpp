#include "firmware.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "memory_file_system.h"
#include "sim_harness.h"

namespace zefrsim {
namespace {

struct Kind {
  int kind;
  std::size_t offset;
  int count;
  int length;
};
constexpr Kind kKinds[] = {{1, 8, 12, 37}, {2, 452, 8, 14}, {3, 564, 8, 33}, {4, 828, 12, 43}, {5, 1344, 8, 80}};

// A well-formed payload with every entity disabled.
std::vector<std::uint8_t> Payload() {
  std::vector<std::uint8_t> p(kPayloadSize, 0);
  const std::uint8_t header[8] = {0x52, 0x46, 0x45, 0x5A, 1, 0, 0xC0, 0x07};
  std::copy(header, header + 8, p.begin());
  for (const Kind& k : kKinds) {
    for (int i = 0; i < k.count; ++i) {
      std::uint16_t word = static_cast<std::uint16_t>(k.kind | (i << 3) | (k.length << 9));
      p[k.offset + i * k.length] = static_cast<std::uint8_t>(word);
      p[k.offset + i * k.length + 1] = static_cast<std::uint8_t>(word >> 8);
    }
  }
  return p;
}

std::vector<std::uint8_t> Request(std::uint8_t command, std::uint16_t r, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> p = {command, static_cast<std::uint8_t>(data.size()),
                                 static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(r),
                                 static_cast<std::uint8_t>(r >> 8)};
  // (a plain insert of nothing trips a false bounds warning of GCC 12)
  for (std::uint8_t b : data) p.push_back(b);
  return p;
}

std::vector<std::uint8_t> ConnectRequest() {
  return {0x04, 0xE0, 0x00, 0x80, 0xB9, 0x05, 0x52, 0x6B, 0x85, 0x81,
          0x19, 0x45, 0xB8, 0x89, 0xD9, 0x87, 0x24, 0xB5, 0x86, 0x07};
}

TEST(CheckPayload, FindsTheFirstBadHeader) {
  struct Case {
    const char* name;
    std::size_t at;  // byte to change
    std::uint8_t value;
    std::size_t length;
    std::uint8_t code;
    std::uint16_t word;
  } cases[] = {
      {"well formed", 0, 0x52, kPayloadSize, 0, 0},
      {"signature", 0, 0x53, kPayloadSize, 4, 0x0001},
      {"version", 4, 2, kPayloadSize, 4, 0x0001},
      {"total length", 6, 0xBF, kPayloadSize, 4, 0x0001},
      {"payload cut short", 0, 0x52, 1000, 4, 0x0001},
      {"header only", 0, 0x52, 4, 4, 0x0001},
      // TemperatureMonitor1's kind bits
      {"kind", 8, 0x4A, kPayloadSize, 3, 0x0003},
      // VoltageMonitor3 (record at 564 + 2*33) says it is index 3
      {"index", 630, 0x1B, kPayloadSize, 3, 0x0027},
      // FanController8's length
      {"length", 1905, 0xA2, kPayloadSize, 3, 0x007B},
      // the enabled bit is free
      {"enabled", 1905, 0xA1, kPayloadSize, 0, 0},
  };
  for (const Case& c : cases) {
    auto p = Payload();
    p[c.at] = c.value;
    std::uint16_t word = 0;
    EXPECT_EQ(CheckPayload(p.data(), c.length, word), c.code) << c.name;
    EXPECT_EQ(word, c.word) << c.name;
  }
}

TEST(Settings, Apply) {
  struct Case {
    const char* setting;
    bool ok;
  } cases[] = {{"ccode=5", true},  {"ccode=256", false}, {"delay=1500@1", true}, {"delay", false},
               {"drop@0", false},  {"drop@2", true},     {"maxlen=16", true},    {"entity=0x1D27", true},
               {"entity=70000", false}, {"bogus", false}, {"short=x", false},    {"reset", true}};
  for (const Case& c : cases) {
    Settings s;
    std::string error;
    EXPECT_EQ(s.Apply(c.setting, &error), c.ok) << c.setting;
    EXPECT_EQ(error.empty(), c.ok) << c.setting;
  }
  Settings s;
  std::string error;
  ASSERT_TRUE(s.Apply("delay=1500@2", &error));
  EXPECT_EQ(s.delayMs.value, 1500);
  EXPECT_TRUE(s.delayMs.Take());
  EXPECT_TRUE(s.delayMs.Take());
  EXPECT_FALSE(s.delayMs.Take());
  ASSERT_TRUE(s.Apply("maxlen=99", &error));
  ASSERT_TRUE(s.Apply("close", &error));
  ASSERT_TRUE(s.Apply("reset", &error));
  EXPECT_FALSE(s.close.Armed());
  EXPECT_EQ(s.maxMessageLength, 99u);
}

class FirmwareTest : public ::testing::Test {
 protected:
  std::string Stored() const {
    const std::string* stored = files.Find("stored.bin");
    return stored ? *stored : std::string();
  }

  zefr::files::MemoryFileSystem files;
  Firmware fw{"stored.bin", files};
};

TEST_F(FirmwareTest, ConnectRequest) {
  Reply r = fw.Connect(ConnectRequest());
  EXPECT_EQ(r.action, Reply::Action::kSend);
  EXPECT_EQ(r.bytes, (std::vector<std::uint8_t>{0x00, 0x10, 0, 0, 0}));
  auto wrongClient = ConnectRequest();
  wrongClient[19] ^= 1;
  EXPECT_EQ(fw.Connect(wrongClient).action, Reply::Action::kClose);
  EXPECT_EQ(fw.Connect(Request(3, 1, {})).action, Reply::Action::kClose);
  std::string error;
  ASSERT_TRUE(fw.settings().Apply("refuse@1", &error));
  EXPECT_EQ(fw.Connect(ConnectRequest()).action, Reply::Action::kClose);
  EXPECT_EQ(fw.Connect(ConnectRequest()).action, Reply::Action::kSend);
  EXPECT_EQ(fw.stats().connects, 2);
}

TEST_F(FirmwareTest, PayloadAcceptedIsStored) {
  auto p = Payload();
  Reply r = fw.Request(Request(3, 1, p));
  EXPECT_EQ(r.bytes, std::vector<std::uint8_t>{0});
  EXPECT_EQ(Stored(), std::string(p.begin(), p.end()));
  EXPECT_NE(r.log.find(", stored in stored.bin"), std::string::npos) << r.log;
  EXPECT_EQ(fw.stats().accepted, 1);
}

// The board would have taken it: a store that fails is logged, not refused.
TEST_F(FirmwareTest, AStoreThatFailsStillAccepts) {
  files.Add("stored.bin", "earlier");
  files.Fail(zefr::files::MemoryFileSystem::Step::kCommit, "stored.bin", ENOSPC);
  Reply r = fw.Request(Request(3, 1, Payload()));
  EXPECT_EQ(r.bytes, std::vector<std::uint8_t>{0});
  EXPECT_NE(r.log.find(", could not store stored.bin"), std::string::npos) << r.log;
  EXPECT_EQ(Stored(), "earlier");
  EXPECT_EQ(fw.stats().accepted, 1);
}

TEST_F(FirmwareTest, RefusalThenFailureQuery) {
  auto p = Payload();
  p[630] = 0x1B;
  EXPECT_EQ(fw.Request(Request(3, 1, p)).bytes, std::vector<std::uint8_t>{3});
  EXPECT_EQ(fw.Request(Request(0, 6, {})).bytes, (std::vector<std::uint8_t>{0, 0, 0, 0, 0x27, 0x00}));
  EXPECT_EQ(files.Find("stored.bin"), nullptr);

  std::string error;
  ASSERT_TRUE(fw.settings().Apply("ccode=12@1", &error));
  ASSERT_TRUE(fw.settings().Apply("entity=0x1D27", &error));
  EXPECT_EQ(fw.Request(Request(3, 1, Payload())).bytes, std::vector<std::uint8_t>{12});
  EXPECT_EQ(fw.Request(Request(0, 6, {})).bytes, (std::vector<std::uint8_t>{0, 0, 0, 0, 0x27, 0x1D}));
  // The injected code was for one payload only.
  EXPECT_EQ(fw.Request(Request(3, 1, Payload())).bytes, std::vector<std::uint8_t>{0});
}

TEST_F(FirmwareTest, AnswersAsLongAsAskedAndNotAtAllForNothing) {
  EXPECT_EQ(fw.Request(Request(9, 3, {1, 2})).bytes, (std::vector<std::uint8_t>{1, 0, 0}));
  EXPECT_EQ(fw.Request(Request(9, 0, {1, 2})).action, Reply::Action::kNone);
  std::string error;
  ASSERT_TRUE(fw.settings().Apply("echo", &error));
  EXPECT_EQ(fw.Request(Request(9, 3, {1, 2})).bytes, (std::vector<std::uint8_t>{1, 1, 2}));
}

TEST_F(FirmwareTest, InjectedFaults) {
  struct Case {
    const char* setting;
    Reply::Action action;
    std::size_t length;
    long delay;
  } cases[] = {
      {"close@1", Reply::Action::kClose, 0, 0},
      {"drop@1", Reply::Action::kNone, 0, 0},
      {"short=2@1", Reply::Action::kSend, 4, 0},
      {"short=9@1", Reply::Action::kSend, 1, 0},
      {"long=3@1", Reply::Action::kSend, 9, 0},
      {"delay=1200@1", Reply::Action::kSend, 6, 1200},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(fw.settings().Apply(c.setting, &error)) << c.setting;
    Reply r = fw.Request(Request(0, 6, {}));
    EXPECT_EQ(r.action, c.action) << c.setting;
    if (c.action == Reply::Action::kSend) {
      EXPECT_EQ(r.bytes.size(), c.length) << c.setting;
    }
    EXPECT_EQ(r.delayMs, c.delay) << c.setting;
    // One occasion only: the next answer is plain.
    Reply next = fw.Request(Request(0, 6, {}));
    EXPECT_EQ(next.action, Reply::Action::kSend) << c.setting;
    EXPECT_EQ(next.bytes.size(), 6u) << c.setting;
  }
}

TEST(SimProcess, StartsServesAndCleansUp) {
  TempDir dir;
  SimProcess sim;
  ASSERT_TRUE(sim.Start(dir.path(), {"--max-length", "100"}));
  EXPECT_EQ(sim.Stat("connects"), 0);
  EXPECT_EQ(sim.Control("bogus"), "error unknown setting \"bogus\"");
  // A second simulator refuses to take over a served interface.
  SimProcess second;
  EXPECT_FALSE(second.Start(dir.path()));
  EXPECT_EQ(sim.Stop(), 0);
  struct stat st;
  EXPECT_NE(::stat(sim.SocketPath().c_str(), &st), 0);
  EXPECT_NE(sim.Log().find("serving "), std::string::npos);
  EXPECT_NE(sim.Log().find("stopped"), std::string::npos);
}

}  // namespace
}  // namespace zefrsim
