// INI files: the profile functions, ReadINI and the lookups built on it, the
// same on every system (these run on Linux and, built with mingw, under Wine).

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "logging/logging.h"
#include "config/modIni.h"
#include "amount/modUtility.h"
#include "platform/failure.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::fileExists;
using test::get;
using test::put;
using test::readFile;
using test::writeFile;

// As the Windows functions give them; "" also when missing.
TEST(Profile, ReadsValuesTheWayTheWindowsFunctionsDo) {
  test::TempHome home;
  const std::string file = home.file("a.ini");
  writeFile(file,
            "\xEF\xBB\xBF[Fiscal]\r\nBuffer = 1 \r\n  Close=\" 0\"\r\nQuoted='x'\r\nMixed=\"a'\r\nEmpty=\r\n"
            "; Comment=9\r\n[ SkipError ]\r\nValue1=24\r\nValue1=99\r\n[fiscal]\r\nLate=1\r\n[Long]\r\nk=" +
                std::string(70000, 'v') + "\r\n");
  struct Row {
    const char* section;
    const char* key;
    std::string value;
  };
  const Row rows[] = {
      {"Fiscal", "Buffer", "1"},   {"FISCAL", "buffer", "1"},     {"Fiscal", "Close", " 0"},
      {"Fiscal", "Quoted", "x"},   {"Fiscal", "Mixed", "\"a'"},   {"Fiscal", "Empty", ""},
      {"Fiscal", "; Comment", ""}, {"SkipError", "Value1", "24"}, {"Fiscal", "Late", ""},
      {"Missing", "Buffer", ""},   {"Fiscal", "Missing", ""},     {"Long", "k", std::string(65534, 'v')}};
  for (const auto& [section, key, value] : rows) EXPECT_EQ(get(file, section, key), value) << section << key;
  EXPECT_EQ(get(file, "Long", "k", 10), "vvvvvvvvv");
  EXPECT_EQ(get(home.file("none.ini"), "Fiscal", "Buffer"), "");
}

// A write changes or adds one line; every other byte of the file survives.
TEST(Profile, AWriteKeepsEveryOtherLine) {
  test::TempHome home;
  const std::string file = home.file("MeridFiscal.ini"), longLine(100000, 'L'), bom = "\xEF\xBB\xBF";
  const std::string rest = "\r\n; c\r\n\r\njunk\r\n" + longLine +
                           std::string("\r\nn\0l=\0\r\n[fiscal]\r\nBuffer=5", 27) +
                           "\r\n[Other]\r\nlong=" + longLine;
  writeFile(file, bom + "[Fiscal]\r\nBuffer=0" + rest);
  EXPECT_TRUE(put(file, "fiscal", "BUFFER", "1"));
  EXPECT_TRUE(put(file, "Other", "k", "v"));
  EXPECT_EQ(readFile(file), bom + "[Fiscal]\r\nBuffer=1" + rest + "\r\nk=v\r\n");
  struct Row {
    const char* before;
    const char* key;
    std::string value;
    std::string after;
  };
  const Row rows[] = {
      {nullptr, "Buffer", "1", "[Fiscal]\nBuffer=1\n"},
      {"[Fiscal]\nx=1\n\n[B]\n", "z", "3", "[Fiscal]\nx=1\nz=3\n\n[B]\n"},
      {"[A]\nx=1", "z", "3", "[A]\nx=1\n[Fiscal]\nz=3\n"},
      {nullptr, "k", "one\r\ntwo=2", "[Fiscal]\nk=one  two=2\n"},
      {nullptr, "w", std::string(70000, 'w'), "[Fiscal]\nw=" + std::string(65534, 'w') + "\n"}};
  for (const auto& [before, key, value, after] : rows) {
    before ? writeFile(file, before) : (void)std::remove(file.c_str());
    EXPECT_TRUE(put(file, "Fiscal", key, value));
    EXPECT_EQ(readFile(file), after) << (before ? before : "no file");
  }
}

// A missing or empty key gives the default, written back unless the folder is missing.
TEST(ReadINI, MissingOrEmptyKeysGiveTheDefaultAndWriteItBack) {
  struct Row {
    const char* before;
    const char* fallback;
    const char* result;
    const char* after;
  };
  const Row rows[] = {{"", "3011", "3011", "code=3011\n"},
                      {"", "", "", "code=\n"},
                      {"CODE=\" 0\"\n", "3011", " 0", "CODE=\" 0\"\n"},
                      {"code=  \n", "3011", "3011", "code=3011\n"}};
  for (const auto& [before, fallback, result, after] : rows) {
    test::TempHome home;
    writeFile(meridFiscalIni(), std::string("[Merid_OperazioneChiusuraFiscale]\n") + before);
    EXPECT_EQ(ReadINI(meridFiscalIni(), "Merid_OperazioneChiusuraFiscale", "code", fallback), result);
    EXPECT_EQ(readFile(meridFiscalIni()), std::string("[Merid_OperazioneChiusuraFiscale]\n") + after);
  }
  test::TempHome home;
  EXPECT_EQ(ReadINI(home.file("gone/MeridFiscal.ini"), "Fiscal", "Buffer", "1"), "1");
  EXPECT_FALSE(fileExists(home.file("gone")));
}

// The euro character (id kEuro, from display.ini) and a host department's
// printer number: a missing or unusable value gives the default, written back;
// a code beyond 255 or a department beyond 16 bits fails, logged. The euro
// code is kept for the thread (but a stored 0), departments are read each time:
// "again" is the result once the file says 65.
TEST(IniLookups, EuroSymbolAndDepartment) {
  constexpr int32_t kEuro = INT32_MIN;
  struct Row {
    int32_t id;
    const char* value;
    std::string result;
    const char* after;
    std::string again;
    size_t failures;
  };
  const Row rows[] = {
      {kEuro, nullptr, "\x7F", "", "\x7F", 0},    {kEuro, "128", "\x80", "128", "\x80", 0},
      {kEuro, "euro", "\x7F", "euro", "\x7F", 0}, {kEuro, "0", std::string(1, 0), "0", "A", 0},
      {kEuro, "300", "", "300", "", 2},           {7, " 3 ", "03", " 3 ", "65", 0},
      {12, nullptr, "01", "1", "65", 0},          {5, "A", "01", "1", "65", 0},
      {-2, "2,5", "02", "2,5", "65", 0},          {4, "40000", "", "40000", "65", 1}};
  for (auto [id, value, result, after, again, failures] : rows) {
    test::TempHome home;
    test::LogRecorder logs;
    const bool euro = id == kEuro;
    const std::string file = euro ? displayIni() : meridFiscalIni(),
                      key = euro ? "[EuroAsciiCode]\nvalue="
                                 : "[RepartoVek" + std::to_string(id) + "]\nrepartoMerid=";
    if (value) writeFile(file, key + value + "\n");
    test::onFreshThread([&, &id = id, value = value, result = result, after = after, again = again] {
      SCOPED_TRACE(testing::Message() << id << " " << (value ? value : "no value"));
      InitErrorLog();
      EXPECT_EQ(euro ? getEurSymbolForECR() : Merid_GetRepartoFromIDReparto(id), result);
      EXPECT_EQ(readFile(file), key + after + "\n");
      writeFile(file, key + "65\n");
      EXPECT_EQ(euro ? getEurSymbolForECR() : Merid_GetRepartoFromIDReparto(id), again);
    });
    const char* failure = euro ? "modUtility-getEurSymbolForECR Invalid procedure call or argument"
                               : "modIni-Merid_GetRepartoFromIDReparto Overflow";
    EXPECT_EQ(logs.errors(), std::vector<std::string>(failures, failure));
  }
}

}  // namespace
}  // namespace merid
