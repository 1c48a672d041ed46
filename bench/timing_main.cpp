// The receipt and INI figures where Google Benchmark cannot be built (the
// mingw cross builds, run under Wine): the same receipt loop and the same INI
// files, each timed over a fixed number of rounds with the steady clock.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "merid/settings.h"
#include "receipt_loop.h"

namespace {

namespace fs = std::filesystem;

double microseconds(int rounds, const std::function<void()>& body) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) body();
  const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / rounds;
}

std::string makeIni(const fs::path& folder, int sections) {
  const std::string path = (folder / "MeridFiscal.ini").string();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < sections; ++i)
    std::fprintf(f,
                 "[RepartoVek%d]\r\nrepartoMerid=%02d\r\ndescrizione=Reparto numero %d con testo\r\n"
                 "aliquota=22\r\nnote=%s\r\n",
                 i, i % 99 + 1, i, "................................");
  std::fclose(f);
  // A settings file is not written the moment before it is read.
  fs::last_write_time(path, fs::last_write_time(path) - std::chrono::seconds(10));
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const int receipts = argc > 1 ? std::atoi(argv[1]) : 20;
  const fs::path home = fs::temp_directory_path() / ("merid-timing-" + std::to_string(std::rand()));
  fs::create_directories(home);
  merid::setHomeFolder(home.string());
  merid::setPrinterFunctions(&merid::bench::kAcceptingPrinter);
  {
    merid::MeridTallo_Scontrino s;
    int16_t port = 1;
    s.InitComunicazione(port);
    merid::bench::receipt(s);  // writes the INI defaults once, outside the measurement
    merid::bench::gCommands = 0;
    const double perReceipt = microseconds(receipts, [&] { merid::bench::receipt(s); });
    std::printf("Receipt\t%d receipts\t%.1f us/command\n", receipts,
                perReceipt * receipts / static_cast<double>(merid::bench::gCommands));
  }
  merid::setPrinterFunctions(nullptr);
  for (int sections : {20, 10000}) {
    const fs::path folder = home / ("ini" + std::to_string(sections));
    fs::create_directories(folder);
    const std::string path = makeIni(folder, sections), section = "RepartoVek" + std::to_string(sections - 1);
    const double read = microseconds(2000, [&] { merid::ReadINI(path, section, "repartoMerid", ""); });
    int n = 0;
    const double write = microseconds(sections > 100 ? 50 : 500, [&] {
      merid::WriteINI(path, section, "repartoMerid", std::to_string(n++ % 90 + 10));
    });
    std::printf("ReadINI\t%d sections\t%.1f us/call\nWriteINI\t%d sections\t%.1f us/call\n", sections, read,
                sections, write);
  }
  std::error_code ec;
  fs::remove_all(home, ec);
  return 0;
}
