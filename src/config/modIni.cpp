#include "config/modIni.h"

#include "logging/logging.h"
#include "text/number_text.h"
#include "platform/platform.h"

namespace merid {

namespace {
constexpr std::size_t kProfileBuffer = 65535;
}

std::string ReadINI(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& fallback) {
  try {
    std::string value;
    if (platform::profile().getString(section, key, value, kProfileBuffer, file) > 0) return value;
    FillINI(file, section, key, fallback);
    return fallback;
  } catch (...) {
    logFailure("modIni", "ReadINI");
    return "";
  }
}

// A write that fails is logged as WriteINI's, whichever kind it was.
void WriteINI(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value) {
  failureBoundary("modIni", "WriteINI", false,
                  [&] { return platform::profile().writeString(section, key, value, file); });
}

void FillINI(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value) {
  failureBoundary("modIni", "WriteINI", false,
                  [&] { return platform::profile().writeDefault(section, key, value, file); });
}

std::string meridFiscalIni() {
  return platform::inOwnFolder("MeridFiscal.ini");
}
std::string displayIni() {
  return platform::inOwnFolder("display.ini");
}

}  // namespace merid

namespace merid {

std::string Merid_GetRepartoFromIDReparto(int32_t& idReparto) {
  return failureBoundary<std::string>("modIni", "Merid_GetRepartoFromIDReparto", "", [&]() -> std::string {
    const std::string section = "RepartoVek" + std::to_string(idReparto);
    const std::string value = ReadINI(meridFiscalIni(), section, "repartoMerid", "");
    std::string reparto = "1";
    if (!value.empty() && isNumeric(value)) {
      reparto = std::to_string(toInt16(textToDouble(value)));
    } else if (value.empty()) {
      FillINI(meridFiscalIni(), section, "repartoMerid", "1");
    } else {
      WriteINI(meridFiscalIni(), section, "repartoMerid", "1");
    }
    return formatNumber(textToDouble(reparto), "00");
  });
}

}  // namespace merid
