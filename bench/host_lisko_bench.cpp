// Lisko's job on the host against the simulated folder search, next to a bare loop over the same
// search: how much the job itself costs per entry when the search costs next to nothing.
//   host_lisko_bench ENTRIES   (run in a folder whose ../fsxml/ exists)
// Prints the median of five runs of each, in milliseconds, and their ratio.
#include "musiclist/lisko.h"
#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Milliseconds(void (*work)()) {
  auto began = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
}

void BareLoop() {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(L"../UserMP3s/\\*", &entry);
  unsigned long count = 0;
  do {
    ++count;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  if (count != Sim().fileSearch.entries.size()) std::abort();
}

void Job() { WriteMusicList(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  std::vector<std::u16string> names{u".", u".."};
  for (size_t i = 0; names.size() < entries + 2; ++i) {
    std::string name = "track " + std::to_string(1000000 + i).substr(1) + " - \xe9t\xe9.mp3";
    names.emplace_back(name.begin(), name.end());
  }
  std::vector<double> job, bare;
  for (int run = 0; run < 5; ++run) {
    // The simulated platform logs every call; both sides start from an empty log.
    ResetSim();
    Sim().fileSearch.entries = names;
    bare.push_back(Milliseconds(BareLoop));
    ResetSim();
    Sim().fileSearch.entries = names;
    job.push_back(Milliseconds(Job));
  }
  std::printf("entries=%zu job_ms=%.2f bare_ms=%.2f ratio=%.2f\n", entries, Median(job),
              Median(bare), Median(job) / Median(bare));
  return 0;
}
