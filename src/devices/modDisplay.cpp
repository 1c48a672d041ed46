#include "devices/modDisplay.h"

#include "merid/MeridEnumValue.h"
#include "components/thread_components.h"
#include "logging/logging.h"
#include "link/modError.h"
#include "link/commands.h"

namespace merid {

namespace {

struct DisplayModule {
  std::string rememberedLine1;
};

DisplayModule& module() {
  thread_local DisplayModule m;
  return m;
}

// A second pass through the filter, then padded or cut to the display width.
std::string field(const std::string& text) {
  return (FilterText(text) + std::string(20, ' ')).substr(0, 20);
}

bool send(std::string command) {
  return InviaComandoECR(command);
}

}  // namespace

std::string getComando_InviaRigheDisplay(const std::string& riga1, const std::string& riga2) {
  return failureBoundary<std::string>("modDisplay", "getComando_InviaRigheDisplay", "", [&]() -> std::string {
    const std::string line1 = FilterText(riga1);
    const std::string line2 = FilterText(riga2);
    return cmd::kDisplay + field(line1) + field(line2);
  });
}

std::string getComando_Merid_DisplayRiga(int16_t indice, const std::string& riga) {
  return failureBoundary<std::string>("modDisplay", "getComando_Merid_DisplayRiga", "", [&]() -> std::string {
    const std::string line = FilterText(riga);
    if (indice == 1) {
      module().rememberedLine1 = line;
      return cmd::kDisplay + field(line) + std::string(20, ' ');
    }
    return cmd::kDisplay + field(module().rememberedLine1) + field(line);
  });
}

bool MostraRigheADisplay(const std::string& riga1, const std::string& riga2) {
  return failureBoundary("modDisplay", "MostraRigheADisplay", false, [&] {
    if (Merid_CheckStatus() != ECK_OK) return false;
    return send(getComando_InviaRigheDisplay(riga1, riga2));
  });
}

bool MostraRigaADisplay(const std::string& riga, int16_t indice) {
  return failureBoundary("modDisplay", "MostraRigaADisplay", false, [&] {
    if (Merid_CheckStatus() != ECK_OK) return false;
    return send(getComando_Merid_DisplayRiga(indice, riga));
  });
}

}  // namespace merid
