// The format reference: docs/format.md as the table gives it, and `scenario explain` for every key
// and every section of both files; docs/codes.md as the explanations give it.
#include "tool/format_reference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tool/explain_command.h"

namespace scenario {
namespace {

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool contains(const std::string& s, std::string_view part) {
  return s.find(part) != std::string::npos;
}

// When a change of the table is meant, SCENARIO_UPDATE_GOLDEN=1 rewrites the file from it.
TEST(FormatReference, DocsFormatIsTheTable) {
  const std::string expected = format_reference_markdown();
  if (std::getenv("SCENARIO_UPDATE_GOLDEN")) {
    std::ofstream(FORMAT_REFERENCE, std::ios::binary) << expected;
  }
  EXPECT_TRUE(file_text(FORMAT_REFERENCE) == expected)
      << "docs/format.md is out of date: rewrite it with SCENARIO_UPDATE_GOLDEN=1";
  for (const key_format& key : all_keys()) EXPECT_TRUE(contains(expected, entry_form(key)));
}

// The explanations the language server's diagnostics link to, one anchor per code.
TEST(Explanations, DocsCodesIsEveryExplanation) {
  const std::string expected = explanations_markdown();
  if (std::getenv("SCENARIO_UPDATE_GOLDEN")) {
    std::ofstream(CODE_EXPLANATIONS, std::ios::binary) << expected;
  }
  EXPECT_TRUE(file_text(CODE_EXPLANATIONS) == expected)
      << "docs/codes.md is out of date: rewrite it with SCENARIO_UPDATE_GOLDEN=1";
  for (const explanation& e : explanations()) {
    const std::string anchor = e.code.rfind("exit-", 0) == 0 ? e.code : "code-" + e.code;
    EXPECT_TRUE(contains(expected, "<a id=\"" + anchor + "\"></a>")) << e.code;
    EXPECT_TRUE(contains(expected, std::string(e.meaning))) << e.code;
  }
}

struct explained {
  int status;
  std::string out, err;
};

explained explain(const std::string& topic) {
  std::ostringstream out, err;
  const int status = run_explain(topic, out, err);
  return {status, out.str(), err.str()};
}

class ExplainKey : public ::testing::TestWithParam<const key_format*> {};

TEST_P(ExplainKey, GivesTheFormEveryValueAndAnExample) {
  const key_format& key = *GetParam();
  for (std::string_view spelling : spellings(key)) {
    const explained e = explain(std::string(spelling));
    ASSERT_EQ(e.status, 0) << spelling << e.err;
    EXPECT_EQ(e.out, key_reference(key)) << spelling;
  }
  const std::string text = key_reference(key);
  EXPECT_TRUE(contains(text, "\n    " + entry_form(key) + "\n"));
  int n = 0;
  for (const value_format& v : key.values) {
    const std::string head = std::to_string(++n) + ". " + std::string(v.name);
    EXPECT_TRUE(contains(text, head)) << head;
    EXPECT_TRUE(contains(text, std::string(v.meaning).substr(0, 20))) << v.name;
  }
  EXPECT_TRUE(contains(text, "\n    " + std::string(key.example) + "\n"));
}

std::vector<const key_format*> every_key() {
  std::vector<const key_format*> keys;
  for (const key_format& k : all_keys()) keys.push_back(&k);
  return keys;
}

INSTANTIATE_TEST_SUITE_P(AllKeys, ExplainKey, ::testing::ValuesIn(every_key()),
                         [](const ::testing::TestParamInfo<const key_format*>& info) {
                           std::string name;
                           for (char ch : info.param->name)
                             name += (ch == ' ' || ch == '_') ? '_' : ch;
                           return name;
                         });

class ExplainSection : public ::testing::TestWithParam<const section_format*> {};

TEST_P(ExplainSection, GivesWhatItHoldsAndTheFormOfItsKeys) {
  const section_format& section = *GetParam();
  const explained e = explain(std::string(section.header));
  ASSERT_EQ(e.status, 0) << e.err;
  const std::string text = section_reference(section);
  EXPECT_TRUE(contains(e.out, text));
  EXPECT_TRUE(contains(text, section.meaning.substr(0, 20)));
  for (const key_format* k : keys_of_section(section))
    EXPECT_TRUE(contains(text, "    " + entry_form(*k) + "\n")) << k->name;
}

std::vector<const section_format*> every_section() {
  std::vector<const section_format*> sections;
  for (const file_format& f : file_formats())
    for (const section_format& s : f.sections) sections.push_back(&s);
  return sections;
}

INSTANTIATE_TEST_SUITE_P(AllSections, ExplainSection, ::testing::ValuesIn(every_section()),
                         [](const ::testing::TestParamInfo<const section_format*>& info) {
                           std::string name(info.param->file == source_file::line_description
                                                ? "line_"
                                                : "train_");
                           for (char ch : info.param->header)
                             if (ch != '[' && ch != ']') name += ch;
                           return name;
                         });

TEST(Explain, WordsThatNameSeveralKeysOrNone) {
  // A word that is no key's rule names the keys whose name holds it.
  const explained sfondo = explain("sfondo");
  EXPECT_EQ(sfondo.status, 0);
  for (const char* name : {"sfondo uno", "sfondo due", "sfondo tre"})
    EXPECT_TRUE(contains(sfondo.out, std::string(name) + " (line description")) << name;
  // "[generale]" opens both files.
  const explained general = explain("[GENERALE]");
  EXPECT_TRUE(contains(general.out, "[generale] (line description)"));
  EXPECT_TRUE(contains(general.out, "[generale] (train scenario)"));

  const explained typo = explain("stazoine");
  EXPECT_EQ(typo.status, 2);
  EXPECT_TRUE(contains(typo.err, "no key or section \"stazoine\" (did you mean \"stazione\"?)"))
      << typo.err;
  EXPECT_EQ(explain("[segnale]").status, 2);
  EXPECT_TRUE(contains(explain("[segnale]").err, "(did you mean \"[segnali]\"?)"));
  EXPECT_EQ(explain("99").status, 2);
}

}  // namespace
}  // namespace scenario
