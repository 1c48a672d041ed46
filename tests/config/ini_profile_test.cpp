// The built-in profile functions on real files: caching, edits by other
// processes, atomic writes under kill -9, and nothing lost by a write.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/ini_document.h"
#include "platform/platform.h"
#include "support/fakes.h"

namespace merid::platform {
namespace {

using test::readFile;
using test::TempHome;
using test::writeFile;

std::string get(const std::string& file, const std::string& section, const std::string& key,
                std::size_t buffer = 65535) {
  std::string out;
  builtinProfile().getString(section, key, out, buffer, file);
  return out;
}

void ageFile(const std::string& path, int seconds) {
  struct timeval tv[2];
  ::gettimeofday(&tv[0], nullptr);
  tv[0].tv_sec -= seconds;
  tv[1] = tv[0];
  ::utimes(path.c_str(), tv);
}

std::vector<std::string> splitLines(const std::string& s) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < s.size()) {
    auto nl = s.find('\n', start);
    if (nl == std::string::npos) nl = s.size();
    lines.push_back(s.substr(start, nl - start));
    start = nl + 1;
  }
  return lines;
}

TEST(Profile, MissingThingsReadAsNothingAndWritesFailQuietly) {
  TempHome home;
  const std::string file = home.file("MeridFiscal.ini");
  std::string out = "stale";
  EXPECT_EQ(builtinProfile().getString("Fiscal", "Buffer", out, 65535, file), 0u);
  EXPECT_EQ(out, "");
  EXPECT_FALSE(builtinProfile().writeString("Fiscal", "Buffer", "1", home.file("no/such/folder/x.ini")));
  EXPECT_FALSE(test::fileExists(home.file("no")));
  EXPECT_TRUE(builtinProfile().writeString("Fiscal", "Buffer", "1", file));
  EXPECT_EQ(readFile(file), "[Fiscal]\nBuffer=1\n");
  EXPECT_EQ(builtinProfile().getString("fiscal", "BUFFER", out, 65535, file), 1u);
}

TEST(Profile, ValuesAreCutAt65534Characters) {
  TempHome home;
  const std::string file = home.file("a.ini");
  writeFile(file, "[S]\nk=" + std::string(70000, 'v') + "\n");
  EXPECT_EQ(get(file, "S", "k").size(), 65534u);
  EXPECT_EQ(get(file, "S", "k", 10).size(), 9u);
  builtinProfile().writeString("S", "w", std::string(70000, 'w'), file);
  EXPECT_EQ(get(file, "S", "w").size(), 65534u);
}

TEST(Profile, AValueWithALineBreakStaysOnItsLine) {
  TempHome home;
  const std::string file = home.file("a.ini");
  builtinProfile().writeString("S", "k", "one\r\ntwo=2", file);
  EXPECT_EQ(get(file, "S", "k"), "one  two=2");
  EXPECT_EQ(get(file, "S", "two"), "");
}

TEST(Profile, AnEditByAnotherProcessIsSeenByTheNextRead) {
  TempHome home;
  const std::string file = home.file("big.ini");
  std::string content;
  for (int i = 0; i < 10000; ++i) content += "[Section" + std::to_string(i) + "]\nkey=value" + std::to_string(i % 10) + "\n";
  writeFile(file, content);
  ageFile(file, 5);
  for (int round = 0; round < 5; ++round) {
    const std::string before = get(file, "Section9999", "key");
    const char next = static_cast<char>('0' + (before.back() - '0' + 1) % 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pid_t child = ::fork();
    if (child == 0) {
      std::string edited = readFile(file);
      edited[edited.size() - 2] = next;  // same size, same inode
      FILE* f = std::fopen(file.c_str(), "r+b");
      std::fwrite(edited.data(), 1, edited.size(), f);
      std::fclose(f);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(get(file, "Section9999", "key"), "value" + std::string(1, next)) << "round " << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(150));  // let the copy settle, so it is cached
  }
}

TEST(Profile, AWriteKeepsEveryOtherLineOfTheFile) {
  TempHome home;
  const std::string longLine(100000, 'L');
  const std::string files[] = {
      "[Fiscal]\r\nBuffer=0\r\n; comment\r\n\r\n[Other]\r\nx=1\r\n",
      "\xEF\xBB\xBF[Fiscal]\nBuffer=0\nunknown line\n",
      std::string("[Fiscal]\nnul=a\0b\n\0\0\n[SkipError]\nValue1=24", 40),
      "[Fiscal]\n" + longLine + "\nlong=" + longLine + "\n",
      "[Fiscal]\nBuffer=0\n[Fiscal]\nBuffer=9\nExtra=1\n[fiscal]\n",
      "no section at all\nk=v\n",
  };
  for (const auto& original : files) {
    const std::string file = home.file("MeridFiscal.ini");
    writeFile(file, original);
    builtinProfile().writeString("Fiscal", "Buffer", "1", file);
    builtinProfile().writeString("Fiscal", "CloseConnEachDoc", "0", file);
    builtinProfile().writeString("NewSection", "Value", "7", file);
    const std::string after = readFile(file);
    auto kept = splitLines(after);
    std::size_t at = 0;
    for (const auto& line : splitLines(original)) {
      std::string bare = line;
      if (!bare.empty() && bare.back() == '\r') bare.pop_back();
      if (bare == "Buffer=0") continue;  // the one line that changes
      while (at < kept.size() && kept[at].rfind(bare, 0) != 0) ++at;
      ASSERT_LT(at, kept.size()) << "line lost: " << line.substr(0, 60);
      ++at;
    }
    EXPECT_EQ(get(file, "Fiscal", "Buffer"), "1");
    EXPECT_EQ(get(file, "Fiscal", "CloseConnEachDoc"), "0");
    EXPECT_EQ(get(file, "NewSection", "Value"), "7");
  }
}

TEST(Profile, AKilledWriterLeavesTheOldFileOrTheNewOneWhole) {
  TempHome home;
  const std::string file = home.file("MeridFiscal.ini");
  std::string base = "[Fiscal]\nCounter=0\n";
  for (int i = 0; i < 2000; ++i) base += "[Pad" + std::to_string(i) + "]\nvalue=" + std::string(40, 'p') + "\n";
  writeFile(file, base);
  std::mt19937 rng(12345);
  for (int round = 0; round < 60; ++round) {
    pid_t child = ::fork();
    if (child == 0) {
      for (long n = 1;; ++n) builtinProfile().writeString("Fiscal", "Counter", std::to_string(n), file);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200 + rng() % 5000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string after = readFile(file);
    IniDocument doc(after);
    auto counter = doc.find("Fiscal", "Counter");
    ASSERT_TRUE(counter.has_value()) << "round " << round;
    IniDocument expected(base);
    expected.set("Fiscal", "Counter", *counter);
    ASSERT_EQ(after, expected.bytes()) << "round " << round;
  }
}

}  // namespace
}  // namespace merid::platform
