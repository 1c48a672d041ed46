#include "config.h"

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

namespace meridd {

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The virtual printer's file, as the build puts it beside the program.
#if defined(_WIN32)
constexpr const char* kVirtualPrinter = "CeFdll.dll";
#else
constexpr const char* kVirtualPrinter = "libCeFdll.so";
#endif

// Beside the program in a build, under lib/merid when installed.
std::string virtualPrinter(const std::string& programFolder) {
  const fs::path beside = fs::path(programFolder) / kVirtualPrinter;
  const fs::path installed = fs::path(programFolder) / MERID_SIM_FROM_BIN / kVirtualPrinter;
  std::error_code ec;
  return (fs::exists(beside, ec) || !fs::exists(installed, ec) ? beside : installed.lexically_normal())
      .string();
}

bool plainName(const std::string& s) {
  if (s.empty() || s.size() > 32) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
  return true;
}

std::string resolved(const fs::path& base, const std::string& path) {
  if (path.empty()) return path;
  return (base / fs::path(path)).lexically_normal().string();
}

// A member of the given JSON type, or its absence; any other type is an error.
template <class T>
bool member(const json& o, const char* key, json::value_t type, T& out, const std::string& where,
            std::string& error) {
  auto it = o.find(key);
  if (it == o.end()) return true;
  const bool number =
      type == json::value_t::number_integer &&
      (it->type() == json::value_t::number_unsigned || it->type() == json::value_t::number_integer);
  if (!number && it->type() != type) {
    error = where + key + ": wrong type";
    return false;
  }
  out = it->get<T>();
  return true;
}

}  // namespace

bool isLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

bool loadConfig(const std::string& file, const std::string& programFolder, Config& config,
                std::string& error) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read " + file;
    return false;
  }
  json j = json::parse(in, nullptr, false);
  if (j.is_discarded() || !j.is_object()) {
    error = file + ": not a JSON object";
    return false;
  }
  std::error_code ec;
  const fs::path base = fs::absolute(fs::path(file), ec).parent_path();
  const auto str = json::value_t::string;
  const auto num = json::value_t::number_integer;
  if (auto it = j.find("listen"); it != j.end()) {
    if (!it->is_object()) return error = "listen: wrong type", false;
    if (!member(*it, "address", str, config.address, "listen.", error) ||
        !member(*it, "port", num, config.port, "listen.", error))
      return false;
  }
  if (!member(j, "token", str, config.token, "", error) ||
      !member(j, "database", str, config.database, "", error))
    return false;
  if (auto it = j.find("allowedOrigins"); it != j.end()) {
    if (!it->is_array()) return error = "allowedOrigins: wrong type", false;
    for (const auto& o : *it) {
      if (!o.is_string()) return error = "allowedOrigins: wrong type", false;
      config.allowedOrigins.push_back(o.get<std::string>());
    }
  }
  if (config.port < 0 || config.port > 65535) return error = "listen.port: out of range", false;
  if (!isLoopback(config.address) && config.token.size() < 16)
    return error = "token: listening on " + config.address + " needs a token of 16 characters or more", false;
  if (config.database.empty()) config.database = "meridd.sqlite";
  config.database = resolved(base, config.database);

  auto printers = j.find("printers");
  if (printers == j.end() || !printers->is_array() || printers->empty())
    return error = "printers: a list of one printer or more is needed", false;
  std::set<std::string> ids, simulatorFolders;
  for (std::size_t i = 0; i < printers->size(); ++i) {
    const json& p = (*printers)[i];
    const std::string where = "printers[" + std::to_string(i) + "].";
    if (!p.is_object()) return error = where + ": wrong type", false;
    PrinterConfig pc;
    if (!member(p, "id", str, pc.id, where, error) || !member(p, "library", str, pc.library, where, error) ||
        !member(p, "port", num, pc.port, where, error) || !member(p, "home", str, pc.home, where, error) ||
        !member(p, "simulatorFolder", str, pc.simulatorFolder, where, error) ||
        !member(p, "operatorWaitSeconds", num, pc.operatorWaitSeconds, where, error))
      return false;
    if (!plainName(pc.id)) return error = where + "id: letters, digits, '-' and '_', 1 to 32", false;
    if (!ids.insert(pc.id).second) return error = where + "id: used twice", false;
    if (pc.port < 0 || pc.port > 255) return error = where + "port: out of range", false;
    if (pc.operatorWaitSeconds < 0 || pc.operatorWaitSeconds > 600)
      return error = where + "operatorWaitSeconds: 0 to 600", false;
    if (pc.library.empty()) pc.library = virtualPrinter(programFolder);
    pc.library = resolved(base, pc.library);
    pc.home = resolved(base, pc.home.empty() ? pc.id : pc.home);
    pc.simulatorFolder = resolved(base, pc.simulatorFolder);
    if (!pc.simulatorFolder.empty() && !simulatorFolders.insert(pc.simulatorFolder).second)
      return error = where + "simulatorFolder: used by another printer", false;
    config.printers.push_back(pc);
  }
  return true;
}

}  // namespace meridd
