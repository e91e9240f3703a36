// The record of what the compiled files must hold on every system
// (tests/data/compiled_digests.txt): one line per file of each compiled case, with its size and
// SHA-256.
#pragma once

#include <string>
#include <vector>

#include "support/paths.h"
#include "support/sha256.h"

namespace scenario::test_support {

// What the main program leaves beside itself: the three documents and the three compiled files.
inline const std::vector<std::string> main_program_files = {"Roma_Pisa_EXPR 368_note.txt",
                                                            "Roma_Pisa_EXPR 368_rallentamenti.txt",
                                                            "Roma_Pisa_EXPR 368_scheda_treno.txt",
                                                            "Roma_Pisa_linea.dat",
                                                            "Roma_Pisa_EXPR 368.sim",
                                                            "Roma_Pisa_EXPR 368.dat"};

// The record's line for one file of a case.
inline std::string digest_line(const std::string& which, const std::string& name,
                               const std::string& bytes) {
  return which + " " + std::to_string(bytes.size()) + " " + sha256_hex(bytes) + " " + name;
}

inline std::string digests_path() {
  return std::string(TEST_DATA_DIR) + "/compiled_digests.txt";
}

inline std::string recorded_digests() {
  return file_text(digests_path());
}

// A record being made: the lines in the order the files were written.
struct digest_record {
  void add(const std::string& which, const std::string& name, const std::string& bytes) {
    lines.push_back(digest_line(which, name, bytes));
  }
  std::string text() const {
    std::string t =
        "# The compiled files of the built-in pair (with the main program's documents), the "
        "largest\n# scenario and generated pairs: case, size, SHA-256, name. Every system and "
        "compiler must\n# make these bytes (tests/compiler/compiled_bytes_test.cpp).\n";
    for (const std::string& line : lines) t += line + '\n';
    return t;
  }
  std::vector<std::string> lines;
};

}  // namespace scenario::test_support
