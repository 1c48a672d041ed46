// ReadINI and WriteINI of one key in a large (10,000 sections, about 1 MB)
// and a small (20 or 10 sections) "MeridFiscal.ini". Each write changes the
// value, so each is a whole atomic rewrite of the file.

#include <benchmark/benchmark.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "merid/settings.h"

namespace {

std::string makeIni(const std::string& folder, int sections) {
  const std::string path = folder + "/MeridFiscal.ini";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < sections; ++i) {
    std::fprintf(f,
                 "[RepartoVek%d]\r\nrepartoMerid=%02d\r\ndescrizione=Reparto numero %d con testo\r\n"
                 "aliquota=22\r\nnote=%s\r\n",
                 i, i % 99 + 1, i, "................................");
  }
  std::fclose(f);
  // A settings file is not written the moment before it is read.
  struct timeval tv[2];
  ::gettimeofday(&tv[0], nullptr);
  tv[0].tv_sec -= 10;
  tv[1] = tv[0];
  ::utimes(path.c_str(), tv);
  return path;
}

// A fresh folder holding the file, removed at the end.
struct IniFolder {
  explicit IniFolder(int sections)
      : folder(::mkdtemp(tmpl)),
        path(makeIni(folder, sections)),
        lastSection("RepartoVek" + std::to_string(sections - 1)) {}
  ~IniFolder() {
    std::remove(path.c_str());
    ::rmdir(folder.c_str());
  }
  char tmpl[24] = "/tmp/merid-bench-XXXXXX";
  std::string folder, path, lastSection;
};

void BM_ReadINI(benchmark::State& state) {
  const IniFolder ini(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string v = merid::ReadINI(ini.path, ini.lastSection, "repartoMerid", "");
    benchmark::DoNotOptimize(v);
  }
}

void BM_WriteINI(benchmark::State& state) {
  const IniFolder ini(static_cast<int>(state.range(0)));
  int n = 0;
  for (auto _ : state)
    merid::WriteINI(ini.path, ini.lastSection, "repartoMerid", std::to_string(10 + n++ % 90));
}

}  // namespace

BENCHMARK(BM_ReadINI)->Arg(10000)->Arg(20);
BENCHMARK(BM_WriteINI)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
