// The built-in text files: the two data files and the three documents for the driver.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scenario {

struct text_document {
  std::string file_name;
  std::vector<std::string_view> lines;

  // Every line followed by CR LF.
  std::string bytes() const;
};

// The documents in the order the program writes them: line description, train scenario, notes,
// restriction order form, timetable card. Only the file names depend on the route and train names.
std::vector<text_document> built_in_documents(const std::string& route, const std::string& train);

}  // namespace scenario
