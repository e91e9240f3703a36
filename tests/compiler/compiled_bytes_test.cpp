// The compiled bytes are the same wherever the programs are built: every system and compiler
// compiles the built-in pair, the largest scenario and a set of generated pairs into the files
// whose SHA-256 tests/data/compiled_digests.txt records (the track plan's arithmetic above all,
// which a fused multiply-add or a text-mode write would change). A change of compiled bytes that
// is meant rewrites the record:
//   SCENARIO_UPDATE_GOLDEN=1 ./build-test/bin/compiler_tests --gtest_filter='CompiledBytes*'
// and the diff of the record shows which files changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "largest_scenario.h"
#include "platform/files.h"
#include "programs/built_in_run.h"
#include "support/compiled_digests.h"
#include "support/temp_dir.h"

namespace scenario {
namespace {

using test_support::temp_dir;

// A small deterministic generator: the same pairs on every system, whatever its library.
class dice {
 public:
  explicit dice(std::uint64_t seed) : state_(seed) {}
  // A whole number from lo to hi.
  long roll(long lo, long hi) {
    state_ += 0x9E3779B97F4A7C15u;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return lo + static_cast<long>(z % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool chance(int percent) { return roll(1, 100) <= percent; }

 private:
  std::uint64_t state_;
};

// A pair with every kind of entry: curves of every class and both hands above all, whose points
// the track plan computes. Objects may fall on one cell, a fault the compile writes despite.
data_files generated_pair(std::uint64_t seed) {
  dice d(seed);
  const long length = d.roll(40, 1200) * 50;
  std::ostringstream line, train;
  line << "[generale]\r\nlunghezza percorso, " << length << "\r\n";
  line << "progressiva chilometrica uno, " << d.roll(0, length / 50) * 50 << ", "
       << d.roll(-4000, 4000) * 50 << ", " << d.roll(0, 1) << "\r\n";
  line << "sfondo uno, " << d.roll(0, 3) << "\r\n[curve]\r\n";
  for (long p = d.roll(0, 3000); p < length - 200; p += d.roll(50, 3000))
    line << "curva" << (d.chance(50) ? 's' : 'd') << d.roll(1, 6) << ", " << p << ", "
         << d.roll(1, 30) * 50 << "\r\n";
  line << "[pendenze]\r\n";
  for (long p = 0; p < length - 200; p += d.roll(1, 3000))
    line << "pendenza, " << p << ", " << d.roll(-30, 30) << "\r\n";
  line << "[montagne]\r\n";
  for (long p = d.roll(0, 5000); p < length - 5000; p += d.roll(100, 5000))
    line << "montagna, " << p << ", " << p + d.roll(50, 4000) << ", " << d.roll(1, 3) << "\r\n";
  line << "[cartelli]\r\n";
  for (int i = d.roll(0, 20); i > 0; --i)
    line << "indicatori_vmax, " << d.roll(1, length / 50 - 3) * 50 << ", " << d.roll(6, 40) * 5
         << ", , , " << d.roll(0, 2) << ", " << d.roll(6, 40) * 5 << ", , , 0\r\n";
  line << "[indicazioni]\r\n";
  for (int i = d.roll(0, 10); i > 0; --i) {
    const long q = d.roll(1, length / 50 - 3) * 50;
    line << "cartello_indicatore, " << q << ", (Km " << q / 1000 << ")(Citt\xE0)\r\n";
  }
  line << "[fine]\r\n";

  train << "[generale]\r\nnumero vetture, " << d.roll(1, 19) << "\r\npercentuale massa frenata, "
        << d.roll(50, 159) << "\r\norologio, " << d.roll(0, 23) << ", " << d.roll(0, 59)
        << ", 0\r\n[aderenze]\r\naderenza, 0, " << d.roll(50, 100) << "\r\n[vel_limite]\r\n";
  for (long p = 0; p < length - 200; p += d.roll(50, 10000))
    train << "velocita, " << p << ", " << d.roll(6, 40) * 5 << "\r\n";
  train << "[stazioni]\r\n";
  int k = 0;
  for (long p = d.roll(1, 20) * 50; p < length - 1500; p += d.roll(30, 400) * 50)
    train << "stazione, " << p << ", " << (d.chance(50) ? 1 : 2) << ", " << d.roll(2, 7) * 100
          << ", 1, 1, 0, " << d.roll(0, 5) << ", 1,0, " << d.roll(0, 5) << ",1,1, " << d.roll(0, 90)
          << ", " << d.roll(0, 23) << ", " << d.roll(0, 59) << ", 0, Stazione " << ++k << "\r\n";
  train << "[rallentamenti]\r\n";
  if (length > 4000 && d.chance(50))
    train << "rallentamento, " << d.roll(60, length / 50 - 20) * 50 << ", 60, 500, 1, 1, 0\r\n";
  train << "[segnali]\r\n";
  for (long p = 1000 + d.roll(1, 60) * 50; p < length - 200; p += d.roll(1, 60) * 50)
    train << "segnale, " << p << ", " << d.roll(0, 2) << ", " << d.roll(0, 5) << ", "
          << d.roll(0, 1) << ", " << d.roll(0, 1) << ", " << d.roll(0, 2) << ", " << d.roll(0, 2)
          << ", " << d.roll(0, 5) << ",0,0, " << d.roll(0, 4) * 50 << "\r\n";
  train << "[codici]\r\n";
  for (int i = d.roll(0, 8); i > 0; --i)
    train << "abbattimento, " << d.roll(1, length / 50 - 4) * 50 << ", 270\r\n";
  train << "[fine]\r\n";
  return {line.str(), train.str()};
}

// Compiles the pair into `dir` as `scenario compile --force` does, and records every file written.
void compile_into(const temp_dir& dir, const std::string& route, const std::string& train,
                  const data_files& files, test_support::digest_record& record,
                  const std::string& which) {
  compile_request request;
  request.route = route;
  request.train = train;
  request.write_despite_fault = true;
  const compile_result result = compile_pair(request, files);
  for (const std::string& path : write_compiled_files(dir.path(), result.to_write))
    record.add(which, file_name_of(path), dir.read(file_name_of(path)));
}

constexpr int generated_pairs = 40;

TEST(CompiledBytes, AreTheRecordedOnesOnEverySystem) {
  test_support::digest_record record;
  {
    // The main program's whole run: its three documents and three compiled files.
    temp_dir dir;
    struct quiet final : user_interface {
      void show_notice(std::string_view) override {}
      void message_box(std::string_view) override {}
      void warning(std::string_view) override {}
    } ui;
    ASSERT_EQ(run_built_in(ui, dir.path()), 0);
    for (const std::string& name : test_support::main_program_files)
      record.add("built_in", name, dir.read(name));
  }
  {
    temp_dir dir;
    const tools::scenario_texts largest = tools::largest_scenario();
    compile_into(dir, "Largest", "T 1", {largest.line, largest.train}, record, "largest");
  }
  for (int seed = 1; seed <= generated_pairs; ++seed) {
    temp_dir dir;
    const std::string which = "generated_" + std::to_string(seed);
    compile_into(dir, "R", "T", generated_pair(static_cast<std::uint64_t>(seed)), record, which);
  }

  const std::string recorded = test_support::recorded_digests();
  if (record.text() != recorded && std::getenv("SCENARIO_UPDATE_GOLDEN")) {
    std::ofstream(test_support::digests_path(), std::ios::binary) << record.text();
    return;
  }
  EXPECT_EQ(record.text(), recorded)
      << "rewrite with SCENARIO_UPDATE_GOLDEN=1 if the change of compiled bytes is meant";
}

}  // namespace
}  // namespace scenario
