#include <gtest/gtest.h>

#include "platform/ini_document.h"

namespace merid::platform {
namespace {

TEST(IniDocument, ReadsValuesTheWayTheWindowsFunctionsDo) {
  const std::string file =
      "\xEF\xBB\xBF[Fiscal]\r\n"
      "Buffer = 1 \r\n"
      "  CloseConnEachDoc=\" 0\"\r\n"
      "Quoted='x'\r\n"
      "Mixed=\"a'\r\n"
      "Empty=\r\n"
      "; Comment=9\r\n"
      "[ SkipError ]\r\n"
      "Value1=24\r\n"
      "Value1=99\r\n"
      "[fiscal]\r\n"
      "Late=1\r\n";
  IniDocument doc(file);
  struct Row {
    const char *section, *key;
    std::optional<std::string> value;
  };
  const Row rows[] = {
      {"Fiscal", "Buffer", "1"},          {"FISCAL", "buffer", "1"},      {"Fiscal", "CloseConnEachDoc", " 0"},
      {"Fiscal", "Quoted", "x"},          {"Fiscal", "Mixed", "\"a'"},    {"Fiscal", "Empty", ""},
      {"Fiscal", "; Comment", std::nullopt}, {"SkipError", "Value1", "24"}, {"Fiscal", "Late", std::nullopt},
      {"Missing", "Buffer", std::nullopt}, {"Fiscal", "Missing", std::nullopt}};
  for (const auto& r : rows) EXPECT_EQ(doc.find(r.section, r.key), r.value) << r.section << "/" << r.key;
}

TEST(IniDocument, EditsTouchOnlyTheirLine) {
  struct Row {
    std::string before;
    const char *section, *key, *value;
    std::string after;
  };
  const Row rows[] = {
      {"", "Fiscal", "Buffer", "1", "[Fiscal]\nBuffer=1\n"},
      {"[Fiscal]\r\nBuffer=0\r\n", "fiscal", "BUFFER", "1", "[Fiscal]\r\nBuffer=1\r\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {"[A]\nx=1", "A", "z", "3", "[A]\nx=1\nz=3\n"},
      {"[A]\nx=1", "B", "z", "3", "[A]\nx=1\n[B]\nz=3\n"},
      {"; top\n[A]\n  x = 1 ; not a comment\n", "A", "x", "2", "; top\n[A]\n  x=2\n"},
      {"[A]\nx=1\n[A]\nx=5\n", "A", "x", "2", "[A]\nx=2\n[A]\nx=5\n"},
      {std::string("[A]\na\0b=1\nx=1\n", 14), "A", "x", "", std::string("[A]\na\0b=1\nx=\n", 13)},
  };
  for (const auto& r : rows) {
    IniDocument doc(r.before);
    doc.set(r.section, r.key, r.value);
    EXPECT_EQ(doc.bytes(), r.after) << r.before;
    EXPECT_EQ(doc.find(r.section, r.key), std::string(r.value));
  }
}

TEST(IniDocument, LongLinesAndStrayBytesSurvive) {
  std::string longLine(100000, 'q');
  std::string file = std::string("\xEF\xBB\xBF", 3) + "junk without equals\r\n" + longLine + "\r\n[S]\r\nk=" +
                     std::string("v\0v", 3) + "\r\n\r\n[T]\r\nz=1";
  IniDocument doc(file);
  EXPECT_EQ(doc.bytes(), file);
  doc.set("S", "k", "new");
  doc.set("T", "added", "x");
  std::string expected = std::string("\xEF\xBB\xBF", 3) + "junk without equals\r\n" + longLine +
                         "\r\n[S]\r\nk=new\r\n\r\n[T]\r\nz=1\r\nadded=x\r\n";
  EXPECT_EQ(doc.bytes(), expected);
}

}  // namespace
}  // namespace merid::platform
