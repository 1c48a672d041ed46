#include "tape.h"

#include "storage.h"

namespace merid::sim {

const char* const kCutMark = "- - - - - - - -8<- - - - - - - -";

size_t lineWidth(int font) {
  return (font == 3 || font >= 7) ? 42 : 32;
}

namespace {

const char* kHtmlHead =
    "<!DOCTYPE html>\n<html><head><meta charset=\"windows-1252\"><title>MERID-ECR-SIM tape</title>\n"
    "<style>\n"
    "body{background:#777;margin:0;padding:2em 0}\n"
    ".roll{width:34ch;margin:0 auto;background:#fdfdf8;padding:1em 1.5ch;box-shadow:0 0 12px #000;"
    "font:14px/1.25 'DejaVu Sans Mono',monospace;color:#222}\n"
    ".l{white-space:pre;overflow:hidden}\n"
    ".c{font-size:10.7px;line-height:1.6}\n"
    ".b{font-weight:bold}.h{transform:scaleY(2);transform-origin:0 "
    "0;height:2.5em}.w{letter-spacing:1ch}.i{font-style:italic}\n"
    ".cut{border-top:2px dashed #999;margin:1em -1.5ch}\n"
    "</style></head><body><div class=\"roll\">\n";

std::string htmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      default:
        out += c;
    }
  }
  return out.empty() ? std::string(" ") : out;
}

std::string htmlClass(int font) {
  switch (font) {
    case 2:
      return "l b";
    case 3:
      return "l c";
    case 4:
      return "l h";
    case 5:
      return "l w";
    case 6:
      return "l i";
    case 7:
      return "l c h";
    case 8:
      return "l c b";
    case 9:
      return "l c b h";
    default:
      return "l";
  }
}

}  // namespace

void appendTape(const std::string& dir, const std::vector<PrintLine>& lines) {
  if (lines.empty()) return;
  std::string text, html;
  for (const PrintLine& l : lines) {
    if (l.font == kCut) {
      text += std::string(kCutMark) + "\n";
      html += "<div class=\"cut\"></div>\n";
    } else {
      text += l.text + "\n";
      html += "<div class=\"" + htmlClass(l.font) + "\">" + htmlEscape(l.text) + "</div>\n";
    }
  }
  appendFile(dir + "/tape.txt", text, false);
  std::string htmlPath = dir + "/tape.html";
  if (!fileExists(htmlPath)) html = kHtmlHead + html;
  appendFile(htmlPath, html, false);
}

}  // namespace merid::sim
