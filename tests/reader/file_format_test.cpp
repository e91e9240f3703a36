// The table of the file formats against the readers that keep their own matching code: every key
// the table names is read by the reader, with as many values as the table gives it, and the
// table's examples and sections are those of the built-in files.
#include "reader/file_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "content/documents.h"
#include "reader/read_data.h"

namespace scenario {
namespace {

// An entry of `key`, spelled `spelling`, with a value for each of its values that no placer
// refuses: positions at 1000 m, other numbers 0, texts a word.
std::string entry_line(const key_format& key, std::string_view spelling) {
  std::string line(spelling);
  for (const value_format& v : key.values) {
    line += ", ";
    if (v.read == read_as::text) {
      line += "(A)(B)";
    } else if (v.route_position) {
      line += "1000";
    } else if (v.name == "lunghezza" && key.file == source_file::line_description) {
      line += "10";
    } else {
      line += "0";
    }
  }
  return line + "\r\n";
}

bool read_at(const compilation& c, source_file file, std::string_view list, long_t position) {
  return std::any_of(c.entries_read.begin(), c.entries_read.end(), [&](const read_entry& e) {
    return e.file == file && e.list == list && e.position == position;
  });
}

// Each spelling of each key, in its place, is taken by the reader with exactly its values: nothing
// is passed over, nothing refused, and the entry after it is still read.
TEST(FileFormat, EveryKeyIsReadWithItsValues) {
  const std::string line_head = "[generale]\r\nlunghezza percorso, 5000\r\n";
  const std::string plain_line = line_head + "[curve]\r\n[fine]\r\n";
  const std::string plain_train = "[generale]\r\n[fine]\r\n";
  for (const key_format& key : all_keys()) {
    for (std::string_view spelling : spellings(key)) {
      const std::string entry = entry_line(key, spelling);
      data_files files{plain_line, plain_train};
      if (key.file == source_file::train_scenario) {
        files.train_scenario = "[generale]\r\n" + entry + "velocita, 50, 30\r\n[fine]\r\n";
      } else if (key.region == key_region::general) {
        files.line_description =
            "[generale]\r\n" + entry + "lunghezza percorso, 2000\r\n[curve]\r\n[fine]\r\n";
      } else {
        files.line_description =
            line_head + "[curve]\r\n" + entry + "pendenza, 50, 7\r\n[fine]\r\n";
      }
      compilation c;
      c.with_track_plan = true;
      read_data_files(c, files);
      const std::string what = std::string(spelling) + ": " + entry;
      EXPECT_TRUE(c.passed_over.empty()) << what << c.passed_over.front().text;
      EXPECT_TRUE(c.diagnostics.empty()) << what << c.diagnostics.front().message;
      if (key.file == source_file::train_scenario) {
        EXPECT_TRUE(read_at(c, source_file::train_scenario, "speed limit", 50)) << what;
      } else if (key.region == key_region::general) {
        EXPECT_EQ(c.voci_generali[voce::treno_e_percorso].fine, 2000) << what;
      } else {
        EXPECT_TRUE(read_at(c, source_file::line_description, "gradient", 50)) << what;
      }
    }
  }
}

TEST(FileFormat, EverySpellingNamesOneKeyOnly) {
  for (const key_format& key : all_keys()) {
    for (std::string_view spelling : spellings(key)) {
      const std::vector<const key_format*> found = keys_matching(key.file, key.region, spelling);
      ASSERT_EQ(found.size(), 1u) << spelling;
      EXPECT_EQ(found[0], &key) << spelling;
    }
  }
  // The letter case rules of the reader: exact for the general keys but the route length.
  EXPECT_TRUE(keys_matching(source_file::line_description, key_region::general,
                            "Progressiva chilometrica uno")
                  .empty());
  EXPECT_EQ(keys_matching(source_file::line_description, key_region::general, "LUNGHEZZA PERCORSO")
                .size(),
            1u);
  EXPECT_EQ(
      keys_matching(source_file::train_scenario, key_region::entries, "NUMERO VETTURE").size(), 1u);
  // A key field holding the words of two keys triggers both, in the reader's order.
  const auto both =
      keys_matching(source_file::train_scenario, key_region::entries, "sabbia e vetture");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0]->name, "numero vetture");
  EXPECT_EQ(both[1]->name, "sabbia");
}

std::vector<std::string> lines_of(const line_table& table) {
  return {table.begin(), table.begin() + static_cast<long>(table_length(table))};
}

TEST(FileFormat, ExamplesAndSectionsAreThoseOfTheBuiltInFiles) {
  const std::vector<std::string> line = lines_of(dati_linea());
  const std::vector<std::string> train = lines_of(dati_treno());
  for (const key_format& key : all_keys()) {
    if (!key.example_built_in) continue;
    const std::vector<std::string>& lines =
        key.file == source_file::line_description ? line : train;
    EXPECT_NE(std::find(lines.begin(), lines.end(), key.example), lines.end()) << key.example;
  }
  for (const file_format& f : file_formats()) {
    const std::vector<std::string>& lines = f.file == source_file::line_description ? line : train;
    std::vector<std::string> headers;
    for (const std::string& l : lines)
      if (!l.empty() && l.front() == '[') headers.push_back(l);
    std::vector<std::string> table;
    for (const section_format& s : f.sections) table.emplace_back(s.header);
    EXPECT_EQ(headers, table) << f.title;
  }
  // Every key stands under a section of its file.
  for (const key_format& key : all_keys()) {
    const auto sections = find_sections(key.section);
    EXPECT_TRUE(std::any_of(sections.begin(), sections.end(), [&](const section_format* s) {
      return s->file == key.file;
    })) << key.name;
  }
}

TEST(FileFormat, RangesHoldTogether) {
  for (const key_format& key : all_keys()) {
    EXPECT_FALSE(key.values.empty()) << key.name;
    std::set<std::string_view> names;
    for (const value_format& v : key.values) {
      const std::string what = std::string(key.name) + " " + std::string(v.name);
      EXPECT_TRUE(names.insert(v.name).second) << what;
      EXPECT_FALSE(v.meaning.empty()) << what;
      EXPECT_FALSE(v.stored.empty()) << what;
      // What the compile accepts it can read, and what a real scenario uses, it accepts.
      const value_range width = range_of(v.read);
      if (!v.fails_later) {
        EXPECT_GE(v.accepted.low, width.low) << what;
        EXPECT_LE(v.accepted.high, width.high) << what;
      }
      EXPECT_LE(v.usual.low, v.usual.high) << what;
      if (v.read != read_as::text) {
        EXPECT_TRUE(v.accepted.contains(v.usual.low) && v.accepted.contains(v.usual.high)) << what;
        if (v.kept) {
          EXPECT_TRUE(v.kept->contains(v.usual.low) && v.kept->contains(v.usual.high)) << what;
        }
      }
    }
  }
}

}  // namespace
}  // namespace scenario
