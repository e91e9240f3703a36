// Golden command-line transcripts: a file of commands, each followed by what it must print on
// standard output and standard error and the exit status it must end with.
//
//   # a comment
//   $ scenario check Mini_linea.txt "Mini_Treno 1-.txt"
//   ! Mini_linea.txt:3:1: warning: ...          (a line of standard error)
//   > {                                          (a line of standard output)
//   [exit 1]
//
// A stream whose last line has no line end carries "%no-newline stdout" (or stderr) after it. A
// command's words are split at blanks; double quotes keep blanks in a word. Comments are kept when
// a transcript is rewritten: those before the first command as the transcript's, the others with
// the command they stand before. Blank lines only separate.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario::test_support {

struct transcript_step {
  std::vector<std::string> notes;  // the comment lines standing before the command
  std::vector<std::string> words;  // the command, words[0] being the program's name
  std::string out;
  std::string err;
  int status = 0;
};

struct transcript {
  std::vector<std::string> comments;  // the lines before the first command
  std::vector<transcript_step> steps;
  std::vector<std::string> closing;  // comment lines after the last command's output
};

// nullopt, with `error` set, when the text is not a transcript.
std::optional<transcript> parse_transcript(const std::string& text, std::string& error);

// The text of a transcript, in the form parse_transcript reads.
std::string format_transcript(const transcript& t);

std::vector<std::string> split_command(const std::string& line);

}  // namespace scenario::test_support
