// The five entry points and the fault function of libCeFdll.so, as a host
// loads them, including what a careless caller passes.
#include <cstring>
#include <random>
#include <vector>

#include "library_support.h"
#include "sim_support.h"

namespace {

using namespace simtest;

class CefdllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.complete()) << dlerror();
    lib.closePort();
  }
  void TearDown() override { lib.closePort(); }

  // A status read through a descriptor of `elements` bytes over a larger buffer.
  int32_t readStatus(std::vector<unsigned char>& buffer, uint32_t elements, int32_t& length) {
    MeridByteArray array{};
    array.cDims = 1;
    array.cbElements = 1;
    array.cElements = elements;
    array.pvData = buffer.data();
    MeridByteArray* p = &array;
    int32_t status = 0;
    length = 0;
    return lib.read(&p, &length, &status);
  }

  Library lib;
  TempDir dir;
  SimDirectory sim{dir.path()};
};

TEST_F(CefdllTest, VersionText) {
  char* text = nullptr;
  int32_t status = 7;
  EXPECT_EQ(lib.version(&text, &status), 0);
  EXPECT_EQ(status, 0);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text).rfind("MERID-ECR-SIM", 0), 0u);
  EXPECT_NE(lib.version(nullptr, nullptr), 0);
}

TEST_F(CefdllTest, ClosedLinkRefusesEverything) {
  std::vector<unsigned char> buffer(MERID_REPLY_SIZE, 0);
  int32_t length;
  EXPECT_NE(lib.send("1109"), 0);
  EXPECT_NE(readStatus(buffer, MERID_REPLY_SIZE, length), 0);
  EXPECT_NE(lib.send(sale('1', 3, "PANE", 250)), 0);
  ASSERT_EQ(lib.openPort(), 0);
  EXPECT_EQ(lib.send(sale('1', 3, "PANE", 250)), 0);
  EXPECT_NE(readText(dir.path() + "/tape.txt").find("PANE"), std::string::npos);
  EXPECT_EQ(lib.closePort(), 0);
  EXPECT_NE(lib.send(payment("3004", "CONTANTE", 0)), 0);
}

TEST_F(CefdllTest, StatusReplyThroughRead) {
  ASSERT_EQ(lib.openPort(), 0);
  ASSERT_EQ(lib.setFaults("cover_open = 1\njournal = nearly_full\n"), 0);
  std::vector<unsigned char> buffer(MERID_REPLY_SIZE + 8, 0xAA);
  int32_t length;
  EXPECT_NE(readStatus(buffer, MERID_REPLY_SIZE, length), 0);  // nothing asked yet
  ASSERT_EQ(lib.send("1109"), 0);
  ASSERT_EQ(readStatus(buffer, MERID_REPLY_SIZE, length), 0);
  EXPECT_EQ(std::string(buffer.begin() + 1, buffer.begin() + 6), "10001");
  EXPECT_EQ(length, 6);
  EXPECT_EQ(buffer[MERID_REPLY_SIZE], 0xAA);
  // A short descriptor gets no more bytes than it holds.
  std::fill(buffer.begin(), buffer.end(), 0xAA);
  ASSERT_EQ(readStatus(buffer, 3, length), 0);
  EXPECT_EQ(length, 3);
  EXPECT_EQ(buffer[3], 0xAA);
  // Another command leaves nothing to read.
  ASSERT_EQ(lib.send("70081"), 0);
  EXPECT_NE(readStatus(buffer, MERID_REPLY_SIZE, length), 0);
}

TEST_F(CefdllTest, UnpluggedLinkCannotOpenOrWrite) {
  ASSERT_EQ(lib.openPort(), 0);
  ASSERT_EQ(lib.setFaults("link_unplugged = 1"), 0);
  EXPECT_NE(lib.send("1109"), 0);
  lib.closePort();
  EXPECT_NE(lib.openPort(), 0);
  ASSERT_EQ(lib.setFaults(nullptr), 0);
  EXPECT_EQ(lib.openPort(), 0);
  EXPECT_EQ(lib.send("1109"), 0);
}

TEST_F(CefdllTest, CarelessCallersGetErrorNumbers) {
  ASSERT_EQ(lib.openPort(), 0);
  int32_t status = 0;
  EXPECT_NE(lib.write(nullptr, &status), 0);
  char* null = nullptr;
  EXPECT_NE(lib.write(&null, nullptr), 0);
  ASSERT_EQ(lib.send("1109"), 0);
  int32_t length = 0;
  EXPECT_NE(lib.read(nullptr, &length, &status), 0);
  MeridByteArray* noArray = nullptr;
  EXPECT_NE(lib.read(&noArray, &length, &status), 0);
  MeridByteArray empty{};
  MeridByteArray* p = &empty;
  EXPECT_NE(lib.read(&p, nullptr, nullptr), 0);
  EXPECT_EQ(lib.open(1, 19200, 1, 7, 0, 1, nullptr), 0);
  EXPECT_EQ(lib.close(nullptr), 0);
}

TEST_F(CefdllTest, GarbageAndHugeCommands) {
  ASSERT_EQ(lib.openPort(), 0);
  EXPECT_EQ(lib.send(std::string(1 << 20, '3')), 24);
  EXPECT_EQ(lib.send("3101" + std::string(5000, 'x')), 24);
  std::mt19937 random(42);
  for (int i = 0; i < 2000; ++i) {
    std::string garbage(random() % 60, '\0');
    for (char& c : garbage) c = char(1 + random() % 255);
    // A known command code with random fields, or random bytes altogether.
    static const char* codes[] = {"3101", "3001", "3004", "4003", "3021", "8002", "2001", "7007", "3012"};
    if (i % 2) garbage = codes[random() % 9] + garbage;
    EXPECT_NE(lib.send(garbage), 67) << garbage;
  }
  EXPECT_EQ(lib.send("1109"), 0);
}

}  // namespace
