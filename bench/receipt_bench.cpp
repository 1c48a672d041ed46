// The receipt of receipt_loop.h, again and again. us_per_command is the
// library's own time per printer command.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "receipt_loop.h"

namespace {

using merid::bench::gCommands;
using merid::bench::kAcceptingPrinter;
using merid::bench::receipt;

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

// A receipt with a 50 MB "MeridFiscal.ini" of other settings: the first
// receipt writes its defaults back (first_receipt_ms), the later ones find
// them there.
void BM_ReceiptLargeIni(benchmark::State& state) {
  char tmpl[] = "/tmp/merid-bench-XXXXXX";
  const std::string home = ::mkdtemp(tmpl);
  ::setenv("MERID_HOME", home.c_str(), 1);
  ::setenv("MeridDll_LoggerDebug", "0", 1);
  {
    std::FILE* f = std::fopen((home + "/MeridFiscal.ini").c_str(), "wb");
    const std::string filler(40, '.');
    for (long written = 0, i = 0; written < 50L * 1024 * 1024; ++i)
      written += std::fprintf(f, "[Articolo%ld]\r\ndescrizione=Articolo %ld %s\r\nprezzo=1,25\r\n", i, i,
                              filler.c_str());
    std::fclose(f);
    // A settings file is not written the moment before it is read.
    const auto path = std::filesystem::path(home) / "MeridFiscal.ini";
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::seconds(10));
    // Nor changed the moment before: a file changed within the last tenth of a
    // second is read again at each call until it settles.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  merid::setPrinterFunctions(&kAcceptingPrinter);
  {
    merid::MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    const auto start = std::chrono::steady_clock::now();
    receipt(s);
    const std::chrono::duration<double, std::milli> first = std::chrono::steady_clock::now() - start;
    for (auto _ : state) receipt(s);
    state.counters["first_receipt_ms"] = first.count();
  }
  merid::setPrinterFunctions(nullptr);
  std::filesystem::remove_all(home);
}

}  // namespace

BENCHMARK(BM_ReceiptLargeIni)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Receipt)->ArgName("debug_log")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
