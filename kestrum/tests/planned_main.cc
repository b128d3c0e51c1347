// Kestrum with the parallel scan's plan forced, for process tests that must
// see several workers whatever the machine has:
//   KestrumPlanned WORKERS CHUNK_BYTES <Kestrum's own arguments...>
#include <cstdlib>
#include <vector>

#include "driver.h"
#include "parallel_scan.h"
#include "startup.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  TParallelPlan plan;
  plan.Workers = std::atoi(argv[1]);
  plan.ChunkSize = std::atoll(argv[2]);
  const TPlanSeam forced(plan);
  std::vector<char*> args{argv[0]};
  args.insert(args.end(), argv + 3, argv + argc);
  args.push_back(nullptr);
  OrvellaStartup(static_cast<int>(args.size()) - 1, args.data());
  RunKestrum();
  return OrvellaFinish();
}
