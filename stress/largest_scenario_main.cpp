// Writes the largest scenario into a directory, for benchmarks and by hand:
//   largest_scenario DIR [STATIONS [TEXT_BOARDS]]
// gives DIR/Largest_linea.txt and "DIR/Largest_T 1-.txt".
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "largest_scenario.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: largest_scenario DIR [STATIONS [TEXT_BOARDS]]\n";
    return 2;
  }
  scenario::tools::largest_scenario_options options;
  if (argc > 2) options.stations = std::atoi(argv[2]);
  if (argc > 3) options.text_boards = std::atoi(argv[3]);
  const scenario::tools::scenario_texts texts = scenario::tools::largest_scenario(options);
  const std::string dir = argv[1];
  for (const auto& [name, bytes] : {std::pair{dir + "/Largest_linea.txt", texts.line},
                                    std::pair{dir + "/Largest_T 1-.txt", texts.train}}) {
    std::ofstream out(name, std::ios::binary);
    out << bytes;
    if (!out.flush()) {
      std::cerr << "largest_scenario: cannot write " << name << '\n';
      return 2;
    }
  }
  return 0;
}
