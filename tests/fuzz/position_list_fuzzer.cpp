// libFuzzer target for Position.lst: any bytes as the file. The names it
// holds must come back the same after the library writes them again, and
// ordering a library by them must keep every package exactly once.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "library/position_list.h"
#include "platform/sim/sim_system.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const sim::SimSystem system;  // Windows-1251
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> names = library::DecodePositionList(system, bytes);

  const std::string written = library::EncodePositionList(system, names);
  Require(library::DecodePositionList(system, written) == names);

  // A library of some of the names, some others and one twice.
  std::vector<std::string> packages = {"a", "Офис", "Офис", "b"};
  for (size_t i = 0; i < names.size(); i += 3) packages.push_back(names[i]);
  std::vector<std::string> ordered = packages;
  library::ApplyPositionList(ordered, names);
  std::sort(packages.begin(), packages.end());
  std::vector<std::string> sorted = ordered;
  std::sort(sorted.begin(), sorted.end());
  Require(sorted == packages);
  return 0;
}
