// Writes a large synthetic SQL Server 2000 schema script (see
// script_generator.h) for the whole-program benchmark.
//
//   generate_script --size-mb 10 [--seed 1] [-o FILE]

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "script_generator.h"

namespace {

using ambrix::bench::Generator;

int Usage() {
  std::cerr << "usage: generate_script --size-mb N [--seed S] [-o FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  double sizeMb = 0;
  std::uint64_t seed = 1;
  std::string outPath;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--size-mb" || arg == "--seed" || arg == "-o") && i + 1 >= argc) return Usage();
    if (arg == "--size-mb") {
      sizeMb = std::atof(argv[++i]);
    } else if (arg == "--seed") {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "-o") {
      outPath = argv[++i];
    } else {
      return Usage();
    }
  }
  if (sizeMb <= 0) return Usage();
  const auto target = static_cast<std::uint64_t>(sizeMb * 1024 * 1024);
  if (outPath.empty()) {
    Generator(std::cout, seed).Run(target);
    return std::cout ? 0 : 3;
  }
  std::ofstream file(outPath, std::ios::binary);
  if (!file) {
    std::cerr << "generate_script: cannot write " << outPath << "\n";
    return 3;
  }
  Generator(file, seed).Run(target);
  file.close();
  return file ? 0 : 3;
}
