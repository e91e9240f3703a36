#include "lsp/entry_fields.h"

#include "reader/entry_scan.h"
#include "reader/field_reader.h"

namespace scenario::lsp {

namespace {

bool blank(std::string_view s) {
  return s.find_first_not_of(" \t") == std::string_view::npos;
}

bool header_text(std::string_view key) {
  const std::size_t first = key.find_first_not_of(" \t");
  return is_bracketed(key) && first != std::string_view::npos && key[first] != '-';
}

field_span span_of(const field_reader& fields, int first_line, std::string text) {
  const source_point at = fields.where();
  const int start = at.column;
  return {first_line + at.line - 1, start, start + static_cast<int>(text.size()), std::move(text)};
}

}  // namespace

file_layout::file_layout(source_file file, std::string_view bytes) : file_(file), bytes_(bytes) {
  starts_.push_back(0);
  for (std::size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1))
    if (i + 1 < bytes.size()) starts_.push_back(i + 1);
  for (int n = 1; n <= line_count(); ++n) {
    if (general_line_ == 0) {
      if (lower(line(n)).find("[generale]") != std::string::npos) {
        general_line_ = n;
        if (file_ != source_file::line_description) break;
      }
      continue;
    }
    if (blank(line(n))) continue;
    if (is_section_header(key_text(n))) {
      entries_line_ = n;
      break;
    }
  }
}

std::string_view file_layout::line(int n) const {
  if (n < 1 || n > line_count()) return {};
  const std::size_t start = starts_[static_cast<std::size_t>(n - 1)];
  std::size_t end = bytes_.find('\n', start);
  if (end == std::string_view::npos) end = bytes_.size();
  if (end > start && bytes_[end - 1] == '\r' && end < bytes_.size()) --end;
  return bytes_.substr(start, end - start);
}

std::string file_layout::key_text(int n) const {
  field_reader fields(bytes_.substr(starts_[static_cast<std::size_t>(n - 1)]));
  try {
    return fields.at_end() ? std::string() : fields.read_text();
  } catch (const reading_failure&) {
    return {};
  }
}

key_region file_layout::region_at(int n) const {
  if (file_ != source_file::line_description) return key_region::entries;
  if (entries_line_ != 0 && n >= entries_line_) return key_region::entries;
  return key_region::general;
}

line_entry file_layout::entry(int n) const {
  line_entry e;
  e.region = region_at(n);
  if (general_line_ == 0 || n <= general_line_) {
    e.kind = line_kind::before_general;
    return e;
  }
  if (n > line_count() || blank(line(n))) return e;
  field_reader fields(bytes_.substr(starts_[static_cast<std::size_t>(n - 1)]));
  try {
    e.key = span_of(fields, n, fields.read_text());
  } catch (const reading_failure&) {
    e.kind = line_kind::unknown;
    return e;
  }
  if (header_text(e.key.text)) {
    e.kind = line_kind::header;
    return e;
  }
  if (contains(e.key.text, "-")) {
    e.kind = line_kind::separator;
    return e;
  }
  e.keys = keys_matching(file_, e.region, e.key.text);
  if (e.keys.empty()) {
    e.kind = line_kind::unknown;
    return e;
  }
  e.kind = line_kind::entry;
  for (const key_format* k : e.keys)
    for (const value_format& v : k->values) e.formats.push_back(&v);
  for (const value_format* v : e.formats) {
    try {
      std::string text =
          v->read == read_as::text ? fields.read_text() : std::string(fields.read_number_text());
      e.values.push_back(span_of(fields, n, std::move(text)));
    } catch (const reading_failure&) {
      break;
    }
  }
  return e;
}

std::string file_layout::section_at(int n) const {
  for (int k = std::min(n, line_count()); k > general_line_ && k >= 1; --k) {
    const std::string_view text = line(k);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text[first] != '[') continue;
    const std::string key = key_text(k);
    if (header_text(key)) {
      const std::size_t a = key.find('['), b = key.find(']', a);
      if (b != std::string::npos) return key.substr(a, b - a + 1);
    }
  }
  return general_line_ != 0 && n >= general_line_ ? "[generale]" : "";
}

}  // namespace scenario::lsp
