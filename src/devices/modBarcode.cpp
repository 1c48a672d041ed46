#include "devices/modBarcode.h"

#include "logging/logging.h"
#include "text/number_text.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

std::string getComando_StampaBarcode(std::string& strBarcode, int32_t& tipoBarcode, int16_t& option) {
  return failureBoundary<std::string>("modBarcode", "getComando_StampaBarcode", "", [&]() -> std::string {
    std::string command = cmd::kBarcode;
    switch (tipoBarcode) {
      case CBT_Ean13:
        command += "1";
        break;
      case CBT_Ean8:
        command += "2";
        break;
      case CBT_Code39:
        command += "3";
        break;
      default:
        break;  // no symbology digit: the printer decides
    }
    command += option != 0 ? "2" : "0";
    command += "00";
    command += formatNumber(static_cast<double>(strBarcode.size()), "00");
    command += strBarcode;
    return command;
  });
}

bool StampaBarcode(std::string& strBarcode, int32_t& tipoBarcode) {
  return failureBoundary("modBarcode", "StampaBarcode", false, [&] {
    int16_t option = -1;
    std::string command = getComando_StampaBarcode(strBarcode, tipoBarcode, option);
    return InviaComandoECR(command);
  });
}

}  // namespace merid
