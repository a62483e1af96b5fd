// The patch's work with many members: checking the archive (done twice, by the installer and by
// the extractor) and installing the members into a directory that already holds every one of
// them under another case, the most the install has to look at. Both grow with the number of
// members, not with its square.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "patch/patch.h"

namespace {

std::vector<ZipMember> manyMembers(int count) {
  std::vector<ZipMember> members(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "SEQ%05d.TXT", i);
    members[i].name = name;
    std::string text = "  40  d1   00   d1   d1   d1   d1\r\n" + std::to_string(i) + "\r\n";
    members[i].data.assign(text.begin(), text.end());
  }
  return members;
}

std::string newDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvk-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void ReadArchive(benchmark::State& state) {
  std::vector<uint8_t> zip;
  std::string error;
  if (!appendZipArchive(manyMembers(static_cast<int>(state.range(0))), &zip, &error))
    throw std::runtime_error(error);
  for (auto _ : state) {
    std::vector<ZipMember> members;
    if (!readZipArchive(zip.data(), zip.size(), &members, &error)) state.SkipWithError("refused");
    benchmark::DoNotOptimize(members.data());
  }
  state.counters["members"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ReadArchive)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void InstallMembers(benchmark::State& state) {
  const std::vector<ZipMember> members = manyMembers(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    const std::string target = newDirectory();
    for (const ZipMember& member : members) std::ofstream(target + "/" + foldedName(member.name));
    state.ResumeTiming();
    std::string error;
    if (!installMembers(target, members, "", &error)) state.SkipWithError(error.c_str());
    state.PauseTiming();
    std::filesystem::remove_all(target);
    state.ResumeTiming();
  }
  state.counters["members"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(InstallMembers)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
