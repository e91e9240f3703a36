#include "support/transcript.h"

#include <sstream>

namespace scenario::test_support {

std::vector<std::string> split_command(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char ch : line) {
    if (ch == '"') {
      quoted = !quoted;
      any = true;
    } else if (ch == ' ' && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += ch;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

namespace {

std::string quote(const std::string& word) {
  if (!word.empty() && word.find(' ') == std::string::npos) return word;
  return "\"" + word + "\"";
}

void append_stream(std::string& text, char mark, const std::string& bytes, const char* name) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const bool last = end == std::string::npos;
    if (last) end = bytes.size();
    text += mark;
    if (end > start) text += ' ';  // an empty line without a trailing blank an editor would strip
    text.append(bytes, start, end - start);
    text += '\n';
    if (last) text += std::string("%no-newline ") + name + "\n";
    start = end + 1;
  }
}

}  // namespace

std::optional<transcript> parse_transcript(const std::string& text, std::string& error) {
  transcript t;
  std::vector<std::string> notes;
  std::istringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    };
    if (line.rfind("$ ", 0) == 0) {
      t.steps.push_back({std::move(notes), split_command(line.substr(2)), {}, {}, 0});
      notes.clear();
      continue;
    }
    if (t.steps.empty()) {
      t.comments.push_back(line);
      continue;
    }
    transcript_step& step = t.steps.back();
    const bool output = notes.empty();  // a comment ends the output of the command before it
    if (output && (line.rfind("> ", 0) == 0 || line == ">")) {
      step.out += line.substr(line.size() > 1 ? 2 : 1) + "\n";
    } else if (output && (line.rfind("! ", 0) == 0 || line == "!")) {
      step.err += line.substr(line.size() > 1 ? 2 : 1) + "\n";
    } else if (output && line == "%no-newline stdout" && !step.out.empty()) {
      step.out.pop_back();
    } else if (output && line == "%no-newline stderr" && !step.err.empty()) {
      step.err.pop_back();
    } else if (output && line.rfind("[exit ", 0) == 0 && line.back() == ']') {
      step.status = std::stoi(line.substr(6));
    } else if (!line.empty() && line[0] == '#') {
      notes.push_back(line);
    } else if (!line.empty()) {
      return fail("neither a command, an output line, an exit status nor a comment: " + line);
    }
  }
  t.closing = std::move(notes);
  return t;
}

std::string format_transcript(const transcript& t) {
  std::string text;
  for (const std::string& c : t.comments) text += c + "\n";
  for (const transcript_step& step : t.steps) {
    for (const std::string& n : step.notes) text += n + "\n";
    text += "$";
    for (const std::string& w : step.words) text += " " + quote(w);
    text += "\n";
    append_stream(text, '>', step.out, "stdout");
    append_stream(text, '!', step.err, "stderr");
    text += "[exit " + std::to_string(step.status) + "]\n\n";
  }
  for (const std::string& c : t.closing) text += c + "\n";
  return text;
}

}  // namespace scenario::test_support
