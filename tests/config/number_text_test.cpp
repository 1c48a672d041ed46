#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "config/modUtility.h"
#include "config/number_text.h"
#include "platform/failure.h"

namespace merid {
namespace {

TEST(NumberText, NumericTest) {
  struct Row {
    const char* text;
    bool numeric;
  };
  const Row rows[] = {{"24", true},   {" 24 ", true},   {"-3", true},   {"+3", true},   {"2,5", true},
                      {"2.5", true},  {"1e3", true},    {"1E-2", true}, {",5", true},   {"5,", true},
                      {"", false},    {" ", false},     {"abc", false}, {"1,2,3", false}, {"1e", false},
                      {"--1", false}, {"1 2", false},   {"e5", false},  {"0x10", false}, {"\t7\t", true},
                      {"1.234,50", true}, {"1.234.567", true}, {"12.34,5", false}, {"1.2.3", false},
                      {"1,234.5", false}, {".5,0", false}};
  for (const auto& r : rows) EXPECT_EQ(isNumeric(r.text), r.numeric) << "'" << r.text << "'";
}

TEST(NumberText, IntegerConversionRoundsHalvesToEven) {
  struct Row {
    const char* text;
    int32_t value;
  };
  const Row rows[] = {{"24", 24},   {" 24 ", 24}, {"2,5", 2},     {"3,5", 4},   {"-2,5", -2},    {"2.6", 3},
                      {"1e3", 1000}, {"-0,4", 0},  {"0,5", 0},     {"1,5", 2},   {"2147483647", 2147483647},
                      {"-2147483648", -2147483647 - 1}, {"1.234,5", 1234}, {"1.234.567", 1234567},
                      {"1.5", 2}};
  for (const auto& r : rows) EXPECT_EQ(toInt32(textToDouble(r.text)), r.value) << r.text;
  EXPECT_THROW(toInt32(textToDouble("2147483648")), RuntimeFailure);
  EXPECT_THROW(toInt32(std::nan("")), RuntimeFailure);
  EXPECT_THROW(toInt16(32767.5), RuntimeFailure);
  EXPECT_EQ(toInt16(-32768.4), -32768);
  EXPECT_THROW(textToDouble("word"), RuntimeFailure);
  EXPECT_THROW(textToDouble("1e400"), RuntimeFailure);
  EXPECT_EQ(textToDouble("1e-400"), 0.0);
}

TEST(NumberText, DoubleTextIsShortestWithDecimalComma) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {{0, "0"},           {2.5, "2,5"},          {-2.5, "-2,5"},      {1234.5, "1234,5"},
                      {2.675, "2,675"},   {1.005, "1,005"},      {0.1 + 0.2, "0,3"},  {100, "100"},
                      {1e15, "1E+15"},    {1.5e-5, "1,5E-05"},   {0.0001, "0,0001"},  {12345678.9, "12345678,9"},
                      {1e300, "1E+300"},  {123456789012345.0, "123456789012345"}};
  for (const auto& r : rows) EXPECT_EQ(doubleText(r.value), r.text) << r.value;
  EXPECT_FALSE(isNumeric(doubleText(std::nan(""))));
  EXPECT_FALSE(isNumeric(doubleText(std::numeric_limits<double>::infinity())));
}

TEST(NumberText, Patterns) {
  struct Row {
    double value;
    const char* pattern;
    const char* text;
  };
  const Row rows[] = {
      {7, "00", "07"},
      {123, "00", "123"},
      {2.5, "00", "03"},
      {-5, "00", "-05"},
      {9999, "0000", "9999"},
      {1, "0000", "0001"},
      {42, "000000000", "000000042"},
      {2.675, "0000000.00", "0000002,68"},
      {1.005, "0000000.00", "0000001,01"},
      {-2.5, "0000000.00", "-0000002,50"},
      {0.994, "0000000.00", "0000000,99"},
      {0.995, "0000000.00", "0000001,00"},
      {9999999.995, "0000000.00", "10000000,00"},
      {-0.001, "0000000.00", "0000000,00"},
      {2, "###,##0.000", "2,000"},
      {1234.5, "###,##0.000", "1.234,500"},
      {1234567.0005, "###,##0.000", "1.234.567,001"},
      {0.5, "###,##0.000", "0,500"},
  };
  for (const auto& r : rows) EXPECT_EQ(formatNumber(r.value, r.pattern), r.text) << r.value << " " << r.pattern;
  EXPECT_THROW(formatNumber(std::nan(""), "00"), RuntimeFailure);
}

TEST(NumberText, FormatPrzMerid) {
  struct Row {
    const char* text;
    const char* field;
  };
  const Row rows[] = {{"0", "000000000"},          {"2,5", "000000250"},     {"1234,5", "000123450"},
                      {"-2,5", "-000000250"},      {"12345678,9", "1234567890"}, {"2,675", "000000268"},
                      {"1,005", "000000101"},      {"0,005", "000000001"},   {"99,999", "000010000"}};
  for (const auto& r : rows) EXPECT_EQ(FormatPrzMerid(r.text), r.field) << r.text;
  // The callers' road: a double made text, then the field.
  EXPECT_EQ(FormatPrzMerid(doubleText(2.675)), "000000268");
  EXPECT_EQ(FormatPrzMerid(doubleText(1.005)), "000000101");
  EXPECT_EQ(FormatPrzMerid(doubleText(1e300)).size(), 303u);
}

TEST(NumberText, Dates) {
  platform::DateTime t{2026, 3, 7, 9, 5, 42};
  EXPECT_EQ(formatDate(t, "ddmmyy"), "070326");
  EXPECT_EQ(formatDate(t, "hhmm"), "0905");
  EXPECT_EQ(formatDate(t, "yyyy-mm-dd hh:nn:ss"), "2026-03-07 09:05:42");

  struct Row {
    double date;
    platform::DateTime t;
  };
  const Row rows[] = {{0.0, {1899, 12, 30, 0, 0, 0}},
                      {1.5, {1899, 12, 31, 12, 0, 0}},
                      {-1.25, {1899, 12, 29, 6, 0, 0}},
                      {46088.75, {2026, 3, 7, 18, 0, 0}},
                      {2958465.0, {9999, 12, 31, 0, 0, 0}}};
  for (const auto& r : rows) {
    auto t2 = fromAutomationDate(r.date);
    EXPECT_EQ(formatDate(t2, "yyyy-mm-dd hh:nn:ss"), formatDate(r.t, "yyyy-mm-dd hh:nn:ss")) << r.date;
    EXPECT_DOUBLE_EQ(toAutomationDate(r.t), r.date);
  }
  EXPECT_THROW(fromAutomationDate(1e300), RuntimeFailure);
  EXPECT_THROW(fromAutomationDate(std::nan("")), RuntimeFailure);
}

TEST(Utility, AllineaDestra) {
  struct Row {
    const char* text;
    int16_t width;
    const char* aligned;
  };
  const Row rows[] = {{"abc", 5, "  abc"}, {"abcde", 5, "abcde"}, {"abcdef", 5, "abcde"}, {"", 3, "   "},
                      {"x", 0, ""}};
  for (const auto& r : rows) {
    std::string text = r.text;
    EXPECT_EQ(AllineaDestra(text, r.width), r.aligned);
    EXPECT_EQ(text, r.aligned) << "the caller's text is replaced too";
  }
  std::string text = "x";
  EXPECT_THROW(AllineaDestra(text, -1), RuntimeFailure);
}

}  // namespace
}  // namespace merid
