// A receipt of 50 sale lines (every fifth with a quantity), two payments and
// the closing, through the public class, against a printer library in memory
// that accepts everything (a host's own in-process printer library). us_per_command is the library's own time per
// printer command.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "merid/MeridTallo_Scontrino.h"
#include "merid/host.h"

namespace {

int64_t gCommands = 0;

int32_t acceptOpen(int32_t, int32_t, uint8_t, uint8_t, uint8_t, uint8_t, int32_t*) { return 0; }
int32_t acceptWrite(char**, int32_t*) {
  ++gCommands;
  return 0;
}
int32_t acceptRead(MeridByteArray**, int32_t*, int32_t*) { return 0; }
int32_t acceptClose(int32_t*) { return 0; }
const merid::PrinterFunctions kAcceptingPrinter{acceptOpen, acceptWrite, acceptRead, acceptClose};

void receipt(merid::MeridTallo_Scontrino& s) {
  s.ApriTransazioneFiscale();
  for (int i = 0; i < 50; ++i) {
    const double qty = i % 5 == 0 ? 3 : 1;
    s.Vendita("", "ARTICOLO " + std::to_string(i), qty, 1.25, qty * 1.25, "", "22", 1 + i % 4);
  }
  s.Pagamento_CorrispettivoRiscosso(1, 50, "Contanti");
  s.Pagamento_CorrispettivoRiscosso(2, 20, "Bancomat");
  s.ChiudiTransazioneFiscale();
}

void BM_Receipt(benchmark::State& state) {
  char tmpl[] = "/tmp/merid-bench-XXXXXX";
  const std::string home = ::mkdtemp(tmpl);
  ::setenv("MERID_HOME", home.c_str(), 1);
  ::setenv("MeridDll_LoggerDebug", state.range(0) ? "1" : "0", 1);
  merid::setPrinterFunctions(&kAcceptingPrinter);
  {
    merid::MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    receipt(s);  // writes the INI defaults once, outside the measurement
    gCommands = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) receipt(s);
    const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    state.counters["us_per_command"] = spent.count() / static_cast<double>(gCommands);
  }
  merid::setPrinterFunctions(nullptr);
  std::filesystem::remove_all(home);
}

}  // namespace

BENCHMARK(BM_Receipt)->ArgName("debug_log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
