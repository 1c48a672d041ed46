#include <gtest/gtest.h>

#include "config/logging.h"
#include "config/modIni.h"
#include "config/modUtility.h"
#include "support/fakes.h"

namespace merid {
namespace {

using test::readFile;
using test::TempHome;
using test::writeFile;

TEST(ReadINI, MissingOrEmptyKeysGiveTheDefaultAndWriteItBack) {
  struct Row {
    const char* before;  // nullptr: no file
    const char* fallback;
    const char* result;
    const char* after;
  };
  const Row rows[] = {
      {nullptr, "3011", "3011", "[Merid_OperazioneChiusuraFiscale]\ncode=3011\n"},
      {nullptr, "", "", "[Merid_OperazioneChiusuraFiscale]\ncode=\n"},
      {"[Merid_OperazioneChiusuraFiscale]\ncode=\n", "3011", "3011", "[Merid_OperazioneChiusuraFiscale]\ncode=3011\n"},
      {"[MERID_OPERAZIONECHIUSURAFISCALE]\nCODE=3012\n", "3011", "3012",
       "[MERID_OPERAZIONECHIUSURAFISCALE]\nCODE=3012\n"},
      {"[Merid_OperazioneChiusuraFiscale]\ncode=\" 0\"\n", "3011", " 0", "[Merid_OperazioneChiusuraFiscale]\ncode=\" 0\"\n"},
      {"[Other]\nx=1\n", "3011", "3011", "[Other]\nx=1\n[Merid_OperazioneChiusuraFiscale]\ncode=3011\n"},
  };
  for (const auto& r : rows) {
    TempHome home;
    if (r.before) writeFile(meridFiscalIni(), r.before);
    EXPECT_EQ(ReadINI(meridFiscalIni(), "Merid_OperazioneChiusuraFiscale", "code", r.fallback), r.result);
    EXPECT_EQ(readFile(meridFiscalIni()), r.after);
  }
}

TEST(ReadINI, AMissingFolderGivesTheDefaultWithoutFailing) {
  TempHome home;
  test::LogRecorder logs;
  InitErrorLog();
  const std::string file = home.file("gone/MeridFiscal.ini");
  EXPECT_EQ(ReadINI(file, "Fiscal", "Buffer", "1"), "1");
  WriteINI(file, "Fiscal", "Buffer", "1");
  EXPECT_FALSE(test::fileExists(home.file("gone")));
  EXPECT_TRUE(logs.errors().empty());
}

TEST(EuroSymbol, ReadFromDisplayIni) {
  struct Row {
    const char* display;  // nullptr: no file
    std::string symbol;
  };
  const Row rows[] = {{nullptr, "\x7F"},
                      {"[EuroAsciiCode]\nvalue=128\n", "\x80"},
                      {"[EuroAsciiCode]\nvalue= 128 \n", "\x80"},
                      {"[EuroAsciiCode]\nvalue=euro\n", "\x7F"},
                      {"[EuroAsciiCode]\nvalue=164,4\n", "\xA4"},
                      {"[EuroAsciiCode]\nvalue=300\n", ""},
                      {"[EuroAsciiCode]\nvalue=-5\n", ""}};
  for (const auto& r : rows) {
    test::onFreshThread([&] {
      TempHome home;
      test::LogRecorder logs;
      InitErrorLog();
      if (r.display) writeFile(displayIni(), r.display);
      EXPECT_EQ(getEurSymbolForECR(), r.symbol) << (r.display ? r.display : "no file");
      if (!r.display) {
        EXPECT_EQ(readFile(displayIni()), "[EuroAsciiCode]\nvalue=\n");
      }
      if (r.symbol.empty()) {
        ASSERT_EQ(logs.errors().size(), 1u);
        EXPECT_EQ(logs.errors()[0].rfind("modUtility-getEurSymbolForECR ", 0), 0u);
      }
    });
  }
}

TEST(EuroSymbol, LoadedOncePerThreadUnlessZero) {
  TempHome home;
  writeFile(displayIni(), "[EuroAsciiCode]\nvalue=128\n");
  test::onFreshThread([&] {
    EXPECT_EQ(getEurSymbolForECR(), "\x80");
    writeFile(displayIni(), "[EuroAsciiCode]\nvalue=129\n");
    EXPECT_EQ(getEurSymbolForECR(), "\x80") << "kept for the thread";
  });
  test::onFreshThread([&] { EXPECT_EQ(getEurSymbolForECR(), "\x81") << "a new thread reads again"; });
  writeFile(displayIni(), "[EuroAsciiCode]\nvalue=0\n");
  test::onFreshThread([&] {
    EXPECT_EQ(getEurSymbolForECR(), std::string(1, '\0'));
    writeFile(displayIni(), "[EuroAsciiCode]\nvalue=130\n");
    EXPECT_EQ(getEurSymbolForECR(), "\x82") << "a stored 0 is read again";
  });
}

}  // namespace
}  // namespace merid

namespace merid {
namespace {

TEST(Reparto, MapsTheHostsDepartmentThroughTheIniFile) {
  struct Row {
    int32_t id;
    const char* before;  // the content of MeridFiscal.ini
    const char* result;
    const char* after;
  };
  const Row rows[] = {
      {7, "[RepartoVek7]\nrepartoMerid=3\n", "03", "[RepartoVek7]\nrepartoMerid=3\n"},
      {12, "", "01", "[RepartoVek12]\nrepartoMerid=1\n"},
      {5, "[RepartoVek5]\nrepartoMerid=A\n", "01", "[RepartoVek5]\nrepartoMerid=1\n"},
      {5, "[RepartoVek5]\nrepartoMerid=15\n", "15", "[RepartoVek5]\nrepartoMerid=15\n"},
      {5, "[RepartoVek5]\nrepartoMerid=120\n", "120", "[RepartoVek5]\nrepartoMerid=120\n"},
      {0, "[RepartoVek0]\nrepartoMerid= 4 \n", "04", "[RepartoVek0]\nrepartoMerid= 4 \n"},
      {-2, "[RepartoVek-2]\nrepartoMerid=2,5\n", "02", "[RepartoVek-2]\nrepartoMerid=2,5\n"},
      {3, "[RepartoVek3]\nrepartoMerid=\n", "01", "[RepartoVek3]\nrepartoMerid=1\n"},
      {4, "[RepartoVek4]\nrepartoMerid=40000\n", "", "[RepartoVek4]\nrepartoMerid=40000\n"},
  };
  for (const auto& r : rows) {
    test::onFreshThread([&] {
      TempHome home;
      test::LogRecorder logs;
      InitErrorLog();
      writeFile(meridFiscalIni(), r.before);
      int32_t id = r.id;
      EXPECT_EQ(Merid_GetRepartoFromIDReparto(id), r.result) << r.before;
      EXPECT_EQ(readFile(meridFiscalIni()), r.after);
      EXPECT_EQ(logs.errors().size(), *r.result ? 0u : 1u);
      if (!*r.result) {
        EXPECT_EQ(logs.errors()[0].rfind("modIni-Merid_GetRepartoFromIDReparto ", 0), 0u);
      }
    });
  }
}

TEST(Reparto, ReadAtEveryCall) {
  TempHome home;
  writeFile(meridFiscalIni(), "[RepartoVek7]\nrepartoMerid=3\n");
  int32_t id = 7;
  EXPECT_EQ(Merid_GetRepartoFromIDReparto(id), "03");
  writeFile(meridFiscalIni(), "[RepartoVek7]\nrepartoMerid=9\n");
  EXPECT_EQ(Merid_GetRepartoFromIDReparto(id), "09");
}

}  // namespace
}  // namespace merid
