#include "script.h"

#if defined(_WIN32)
#include <filesystem>
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include "merid/MeridEnumValue.h"
#include "merid/codepage.h"
#include "merid/host.h"
#include "reference.h"

namespace meridctl {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool sameName(const std::string& a, const std::string& b) {
  return lower(a) == lower(b);
}

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool isIdentifierStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool isIdentifierChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string identifierAt(const std::string& s, std::size_t& i) {
  std::size_t start = i;
  if (i < s.size() && isIdentifierStart(s[i]))
    while (i < s.size() && isIdentifierChar(s[i])) ++i;
  return s.substr(start, i - start);
}

void skipBlanks(const std::string& s, std::size_t& i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
}

// The member names of each enumeration, for messages and kind checks.
struct EnumMember {
  const char* name;
  int32_t value;
  const char* type;
};

const std::vector<EnumMember>& enumMembers() {
#define MERID_CODE(n, v) {#n, v, "MeridCodeErrors"},
#define MERID_BAR(n, v) {#n, v, "Merid_BarcodeType"},
#define MERID_FONT(n, v) {#n, v, "Merid_Font"},
#define MERID_RX(n, v) {#n, v, "kMerid_RapportoX"},
  static const std::vector<EnumMember> members = {MERID_CODE_ERRORS(MERID_CODE) MERID_BARCODE_TYPES(MERID_BAR)
                                                      MERID_FONTS(MERID_FONT) MERID_RAPPORTO_X(MERID_RX)};
#undef MERID_CODE
#undef MERID_BAR
#undef MERID_FONT
#undef MERID_RX
  return members;
}

const EnumMember* findMember(const std::string& name) {
  for (const auto& m : enumMembers())
    if (sameName(m.name, name)) return &m;
  return nullptr;
}

// A literal as written, before its kind is checked against the parameter.
struct Literal {
  enum Type { String, Number, Boolean, Date, Member } type = String;
  std::string text;  // strings: the library's code page
  double number = 0;
  const EnumMember* member = nullptr;
};

std::optional<double> parseNumber(const std::string& t) {
  // VBScript's hexadecimal form, &H1F.
  if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
    long long v = 0;
    auto res = std::from_chars(t.data() + 2, t.data() + t.size(), v, 16);
    if (res.ec != std::errc() || res.ptr != t.data() + t.size() || v > 0xFFFFFFFFLL) return std::nullopt;
    return static_cast<double>(v);
  }
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t exp = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i, ++exp;
    if (exp == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  const char* first = t.data() + (t[0] == '+' ? 1 : 0);
  double v = 0;
  auto res = std::from_chars(first, t.data() + t.size(), v);
  if (res.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Exactly `count` digits at `at`; no sign, no blank.
std::optional<int> digitsAt(const std::string& t, std::size_t at, std::size_t count) {
  if (at + count > t.size()) return std::nullopt;
  int v = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return std::nullopt;
    v = v * 10 + (t[i] - '0');
  }
  return v;
}

// Reads one argument; empty message on success.
std::string readLiteral(const std::string& s, std::size_t& i, Literal& out) {
  if (s[i] == '"') {
    std::string text;
    ++i;
    for (;;) {
      if (i >= s.size()) return "unterminated string";
      if (s[i] == '"') {
        if (i + 1 < s.size() && s[i + 1] == '"') {
          text += '"';
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      text += s[i++];
    }
    out.type = Literal::String;
    out.text = merid::utf8ToAnsi(text);
    return "";
  }
  if (s[i] == '#') {
    const auto end = s.find('#', i + 1);
    if (end == std::string::npos) return "unterminated date";
    const std::string body = s.substr(i + 1, end - i - 1);
    i = end + 1;
    const auto fields = dateFields(body);
    if (!fields) return "malformed date #" + body + "# (use #YYYY-MM-DD# or #YYYY-MM-DD HH:MM[:SS]#)";
    const auto date = merid::automationDate(*fields);
    if (!date) return "no such date #" + body + "# (a day of the years 100 to 9999, a time up to 23:59:59)";
    out.type = Literal::Date;
    out.number = *date;
    return "";
  }
  std::size_t start = i;
  while (i < s.size() && s[i] != ',' && s[i] != ')' && s[i] != ' ' && s[i] != '\t') ++i;
  const std::string word = s.substr(start, i - start);
  if (word.empty()) return "missing argument";
  if (sameName(word, "True") || sameName(word, "False")) {
    out.type = Literal::Boolean;
    out.number = sameName(word, "True") ? -1 : 0;
    return "";
  }
  if (isIdentifierStart(word[0])) {
    const EnumMember* m = findMember(word);
    if (!m) return "unknown enumeration member " + word;
    out.type = Literal::Member;
    out.member = m;
    out.number = m->value;
    return "";
  }
  auto number = parseNumber(word);
  if (!number) return "malformed number " + word;
  out.type = Literal::Number;
  out.number = *number;
  return "";
}

// The enumeration a kind takes its member names from, if any.
const char* enumTypeOf(Kind k) {
  const bool enumeration = k == Kind::Font || k == Kind::Barcode || k == Kind::RapportoX;
  return enumeration ? typeName(k) : nullptr;
}

// Checks a literal against the parameter's kind; empty message on success.
std::string convert(const Literal& lit, Kind kind, Value& out) {
  out.kind = kind;
  const std::string expected = std::string("expects ") + kindName(kind);
  switch (kind) {
    case Kind::String:
      if (lit.type != Literal::String) return expected;
      out.text = lit.text;
      return "";
    case Kind::Date:
      if (lit.type != Literal::Date) return expected;
      out.number = lit.number;
      return "";
    case Kind::Boolean:
      if (lit.type != Literal::Boolean && lit.type != Literal::Number) return expected;
      out.number = lit.number;
      return "";
    case Kind::Double:
      if (lit.type != Literal::Number && lit.type != Literal::Member) return expected;
      out.number = lit.number;
      return "";
    default:
      break;
  }
  if (const char* type = enumTypeOf(kind)) {
    if (lit.type == Literal::Member && std::string(lit.member->type) != type)
      return expected + ", not " + lit.member->name + " (a " + lit.member->type + ")";
  }
  if (lit.type != Literal::Number && lit.type != Literal::Member) return expected;
  // As VBScript converts: to the nearest integer, halves to even.
  const double v = std::nearbyint(lit.number);
  const double low = kind == Kind::Integer ? -32768.0 : -2147483648.0;
  const double high = kind == Kind::Integer ? 32767.0 : 2147483647.0;
  if (!(v >= low && v <= high)) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15G", lit.number);
    return expected + "; " + text + " is out of range";
  }
  out.number = v;
  return "";
}

// Two whole numbers with only a comma between them ("1,25") are most likely
// one number written with a decimal comma; a hint for the message, or empty.
std::string decimalCommaHint(const std::string& s, const std::vector<Literal>& literals,
                             const std::vector<std::pair<std::size_t, std::size_t>>& spans,
                             const std::string& method) {
  const auto digits = [&](std::size_t k, bool sign) {
    std::string t = s.substr(spans[k].first, spans[k].second - spans[k].first);
    if (sign && !t.empty() && (t[0] == '-' || t[0] == '+')) t.erase(0, 1);
    return literals[k].type == Literal::Number && !t.empty() &&
           std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); });
  };
  for (std::size_t k = 0; k + 1 < literals.size(); ++k) {
    if (spans[k].second + 1 != spans[k + 1].first || s[spans[k].second] != ',') continue;
    if (!digits(k, true) || !digits(k + 1, false)) continue;
    std::string written = s.substr(spans[k].first, spans[k + 1].second - spans[k].first);
    std::string meant = written;
    meant[spans[k].second - spans[k].first] = '.';
    return " (" + written + " reads as two arguments: numbers take a decimal point, write " + meant +
           "; meridctl help " + method + ")";
  }
  return "";
}

struct Parser {
  std::string file;
  Script script;
  std::map<std::string, std::string> objects;  // lower-case name -> class

  void error(int line, const std::string& message) {
    script.errors.push_back(file + ":" + std::to_string(line) + ": " + message);
  }

  // "X" or CreateObject("MeridDLLManager.X"): the class name, or empty.
  std::string classOf(std::string rhs) {
    rhs = trim(rhs);
    const std::string prefix = "createobject(";
    if (lower(rhs).rfind(prefix, 0) == 0 && rhs.back() == ')') {
      std::string inner = trim(rhs.substr(prefix.size(), rhs.size() - prefix.size() - 1));
      if (inner.size() >= 2 && inner.front() == '"' && inner.back() == '"')
        inner = inner.substr(1, inner.size() - 2);
      const std::string library = "meriddllmanager.";
      if (lower(inner).rfind(library, 0) == 0) inner = inner.substr(library.size());
      rhs = inner;
    }
    for (const char* c : {"MeridTallo_Scontrino", "MeridTallo_Fattura", "MeridTallo_NAccr"})
      if (sameName(rhs, c)) return c;
    return "";
  }

  void statement(int line, const std::string& raw) {
    std::string s = trim(raw);
    if (s.empty() || s[0] == '\'' || s[0] == '#' || lower(s).rfind("rem ", 0) == 0 || lower(s) == "rem")
      return;
    std::string low = lower(s);
    if (low.rfind("dim ", 0) == 0 || low.rfind("option explicit", 0) == 0) return;
    if (low.rfind("set ", 0) == 0) s = trim(s.substr(4));
    if (lower(s).rfind("call ", 0) == 0) s = trim(s.substr(5));

    std::size_t i = 0;
    const std::string name = identifierAt(s, i);
    if (name.empty()) return error(line, "expected an object name at the start of the line");
    skipBlanks(s, i);
    if (i < s.size() && s[i] == '=') {
      const std::string rhs = s.substr(i + 1);
      if (trim(rhs).find('.') != std::string::npos && lower(trim(rhs)).rfind("createobject", 0) != 0) {
        // "r = s.Method(...)": the call, its result printed as any other.
        return call(line, trim(rhs));
      }
      const std::string cls = classOf(rhs);
      if (cls.empty()) return error(line, "unknown class " + trim(rhs));
      objects[lower(name)] = cls;
      Statement st;
      st.line = line;
      st.object = name;
      st.className = cls;
      script.statements.push_back(st);
      return;
    }
    call(line, s);
  }

  void call(int line, const std::string& s) {
    std::size_t i = 0;
    const std::string name = identifierAt(s, i);
    if (name.empty() || i >= s.size() || s[i] != '.')
      return error(line, "expected NAME.Method or NAME = MeridTallo_Scontrino");
    ++i;
    const std::string method = identifierAt(s, i);
    if (method.empty()) return error(line, "expected a method name after " + name + ".");
    auto obj = objects.find(lower(name));
    if (obj == objects.end()) return error(line, "unknown object " + name);
    const Method* m = nullptr;
    for (const auto& candidate : methodsOf(obj->second))
      if (sameName(candidate.name, method)) m = &candidate;
    if (!m) return error(line, obj->second + " has no method " + method);

    std::vector<Literal> literals;
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // where each literal was written
    skipBlanks(s, i);
    bool parens = false;
    if (i < s.size() && s[i] == '(') {
      parens = true;
      ++i;
    }
    skipBlanks(s, i);
    bool closed = !parens;
    while (i < s.size()) {
      if (parens && s[i] == ')') {
        closed = true;
        ++i;
        break;
      }
      Literal lit;
      const std::size_t from = i;
      const std::string problem = readLiteral(s, i, lit);
      spans.emplace_back(from, i);
      if (!problem.empty())
        return error(line,
                     "argument " + std::to_string(literals.size() + 1) + " of " + m->name + ": " + problem);
      literals.push_back(lit);
      skipBlanks(s, i);
      if (i < s.size() && s[i] == ',') {
        ++i;
        skipBlanks(s, i);
        if (i >= s.size() || (parens && s[i] == ')'))
          return error(line, "argument " + std::to_string(literals.size() + 1) + " of " + m->name +
                                 ": missing argument");
        continue;
      }
      if (i < s.size() && !(parens && s[i] == ')'))
        return error(
            line, "unexpected text after argument " + std::to_string(literals.size()) + ": " + s.substr(i));
    }
    skipBlanks(s, i);
    if (!closed) return error(line, "missing ) after the arguments of " + m->name);
    if (i < s.size()) return error(line, "unexpected text after the arguments: " + s.substr(i));
    std::string hint = decimalCommaHint(s, literals, spans, m->name);
    if (literals.size() != m->params.size())
      return error(line, m->name + " takes " + std::to_string(m->params.size()) + " argument" +
                             (m->params.size() == 1 ? "" : "s") + ", got " + std::to_string(literals.size()) +
                             hint);
    Statement st;
    st.line = line;
    st.object = name;
    st.methodWritten = method;
    st.method = m;
    bool ok = true;
    for (std::size_t k = 0; k < literals.size(); ++k) {
      Value v;
      const std::string problem = convert(literals[k], m->params[k], v);
      if (!problem.empty()) {
        const std::string param = parameterName(obj->second, m->name, k);
        error(line, "argument " + std::to_string(k + 1) + (param.empty() ? "" : " (" + param + ")") + " of " +
                        m->name + " " + problem + hint);
        hint.clear();
        ok = false;
      }
      st.args.push_back(v);
    }
    if (ok) script.statements.push_back(st);
  }
};

}  // namespace

std::string cannotRead(const std::string& path) {
  std::string text = "cannot read " + path;
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  int reason = errno;
  if (f) {
    errno = 0;
    // A folder opens, and fails at the first read.
    reason = std::fgetc(f) == EOF && std::ferror(f) ? errno : 0;
    std::fclose(f);
  }
  return reason ? text + ": " + std::strerror(reason) : text;
}

Script parseScript(const std::string& fileName, const std::string& text) {
  Parser p;
  p.file = fileName;
  std::size_t start = 0;
  int line = 0;
  std::string body = text;
  if (body.rfind("\xEF\xBB\xBF", 0) == 0) body = body.substr(3);
  while (start <= body.size()) {
    auto nl = body.find('\n', start);
    if (nl == std::string::npos) nl = body.size();
    ++line;
    p.statement(line, body.substr(start, nl - start));
    start = nl + 1;
  }
  return p.script;
}

std::optional<merid::DateTime> dateFields(const std::string& t) {
  static const char kShape[] = "0000-00-00 00:00:00";
  if (t.size() != 10 && t.size() != 16 && t.size() != 19) return std::nullopt;
  for (std::size_t i = 0; i < t.size(); ++i)
    if (kShape[i] != '0' && t[i] != kShape[i]) return std::nullopt;
  merid::DateTime when;
  auto field = [&](int& into, std::size_t at, std::size_t count) {
    if (at >= t.size()) return true;
    auto v = digitsAt(t, at, count);
    if (v) into = *v;
    return v.has_value();
  };
  if (!field(when.year, 0, 4) || !field(when.month, 5, 2) || !field(when.day, 8, 2) ||
      !field(when.hour, 11, 2) || !field(when.minute, 14, 2) || !field(when.second, 17, 2))
    return std::nullopt;
  return when;
}

#if defined(_WIN32)
// Windows has no FIFO to block on: the file's kind and size are asked first,
// then it is read, again at most one byte past the limit.
ScriptFileRead readScriptFile(const std::string& path, std::string& text, std::string& problem) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec || !fs::exists(st)) return ScriptFileRead::Unreadable;
  if (!fs::is_regular_file(st)) {
    problem = path + " is not a regular file (" + (fs::is_directory(st) ? "a folder" : "a device") +
              "); a host script is a text file";
    return ScriptFileRead::Refused;
  }
  const auto size = fs::file_size(path, ec);
  if (ec) return ScriptFileRead::Unreadable;
  if (size > kMaxScriptBytes) {
    problem = path + " is " + std::to_string(size) + " bytes; a host script is at most " +
              std::to_string(kMaxScriptBytes) + " bytes";
    return ScriptFileRead::Refused;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return ScriptFileRead::Unreadable;
  text.clear();
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxScriptBytes) {
      problem = path + " grew past " + std::to_string(kMaxScriptBytes) + " bytes while it was read";
      return ScriptFileRead::Refused;
    }
  }
  return in.bad() ? ScriptFileRead::Unreadable : ScriptFileRead::Ok;
}
#else
ScriptFileRead readScriptFile(const std::string& path, std::string& text, std::string& problem) {
  // Not blocking: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ScriptFileRead::Unreadable;
  struct stat st {};
  ScriptFileRead result = ScriptFileRead::Ok;
  if (::fstat(fd, &st) != 0) {
    result = ScriptFileRead::Unreadable;
  } else if (!S_ISREG(st.st_mode)) {
    problem = path + " is not a regular file (" +
              (S_ISDIR(st.st_mode) ? "a folder" : "a device, FIFO or socket") +
              "); a host script is a text file";
    result = ScriptFileRead::Refused;
  } else if (static_cast<unsigned long long>(st.st_size) > kMaxScriptBytes) {
    problem = path + " is " + std::to_string(st.st_size) + " bytes; a host script is at most " +
              std::to_string(kMaxScriptBytes) + " bytes";
    result = ScriptFileRead::Refused;
  } else {
    // Read at most one byte past the limit, in case the file grew meanwhile.
    text.clear();
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        result = ScriptFileRead::Unreadable;
        break;
      }
      if (n == 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
      if (text.size() > kMaxScriptBytes) {
        problem = path + " grew past " + std::to_string(kMaxScriptBytes) + " bytes while it was read";
        result = ScriptFileRead::Refused;
        break;
      }
    }
  }
  ::close(fd);
  return result;
}
#endif

}  // namespace meridctl
