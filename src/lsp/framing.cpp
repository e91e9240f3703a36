#include "lsp/framing.h"

#include <algorithm>
#include <optional>

#include "lsp/messages.h"

namespace scenario::lsp {

namespace {

// A header block longer than this is no header: the bytes are passed over.
constexpr std::size_t largest_header = 64 * 1024;

constexpr std::string_view length_name = "content-length";

std::string folded(std::string_view s) {
  std::string out(s);
  for (char& ch : out)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

incoming fault(int code, std::string problem) {
  incoming i;
  i.malformed = true;
  i.error_code = code;
  i.problem = std::move(problem);
  return i;
}

}  // namespace

frame_reader::frame_reader(std::size_t largest_body) : largest_body_(largest_body) {}

std::vector<incoming> frame_reader::take(std::string_view bytes) {
  std::vector<incoming> out;
  while (!bytes.empty() || (state_ == state::header && scanned_ < pending_.size())) {
    if (state_ == state::skip) {
      const std::size_t n = std::min(body_length_, bytes.size());
      body_length_ -= n;
      bytes.remove_prefix(n);
      if (body_length_ == 0) state_ = state::header;
      continue;
    }
    if (state_ == state::body) {
      const std::size_t n = std::min(body_length_ - pending_.size(), bytes.size());
      pending_.append(bytes.substr(0, n));
      bytes.remove_prefix(n);
      if (pending_.size() == body_length_) {
        incoming message;
        message.body = std::move(pending_);
        pending_.clear();
        out.push_back(std::move(message));
        state_ = state::header;
      }
      continue;
    }
    // The header: up to the first line that is empty.
    const std::size_t end_of_line = bytes.find('\n');
    const std::size_t n = end_of_line == std::string_view::npos ? bytes.size() : end_of_line + 1;
    pending_.append(bytes.substr(0, n));
    bytes.remove_prefix(n);
    read_header(out);
    if (state_ == state::header && end_of_line == std::string_view::npos) break;
  }
  return out;
}

void frame_reader::read_header(std::vector<incoming>& out) {
  // Whole lines only: the last line of pending_ may still be coming.
  while (scanned_ < pending_.size()) {
    const std::size_t lf = pending_.find('\n', scanned_);
    if (lf == std::string::npos) break;
    const std::string_view line =
        trimmed(std::string_view(pending_).substr(scanned_, lf - scanned_));
    scanned_ = lf + 1;
    if (!line.empty()) continue;
    // A blank line ends the block; blank lines before any header are only line ends between
    // messages.
    const std::string block = pending_.substr(0, scanned_);
    pending_.erase(0, scanned_);
    scanned_ = 0;
    if (block.find_first_not_of("\r\n \t") == std::string::npos) continue;
    if (header_block(block, out)) return;
  }
  if (pending_.size() > largest_header) {
    out.push_back(fault(error_code::parse_error,
                        "more than " + std::to_string(largest_header) +
                            " bytes without the blank line that ends a message header were "
                            "passed over"));
    pending_.clear();
    scanned_ = 0;
  }
}

bool frame_reader::header_block(std::string_view block, std::vector<incoming>& out) {
  std::optional<std::size_t> length;
  bool stray = false;
  bool bad_length = false;
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t lf = block.find('\n', start);
    if (lf == std::string_view::npos) lf = block.size();
    const std::string_view line = trimmed(block.substr(start, lf - start));
    start = lf + 1;
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      stray = true;
      continue;
    }
    const std::string name = folded(trimmed(line.substr(0, colon)));
    if (name.size() < length_name.size() ||
        name.compare(name.size() - length_name.size(), length_name.size(), length_name) != 0)
      continue;  // Content-Type, or a header of no interest
    // Bytes glued before the header name: the rest of a frame that went wrong.
    if (name.size() > length_name.size()) stray = true;
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (value.empty() || value.size() > 18 ||
        value.find_first_not_of("0123456789") != std::string_view::npos) {
      bad_length = true;
      continue;
    }
    length = static_cast<std::size_t>(std::stoull(std::string(value)));
  }
  if (stray)
    out.push_back(
        fault(error_code::parse_error, "bytes that belong to no message header were passed over"));
  if (!length) {
    // Bytes that were no header at all have been told of already.
    if (!stray || bad_length)
      out.push_back(fault(error_code::invalid_request,
                          bad_length ? "a Content-Length that is not a number of bytes"
                                     : "a message header without Content-Length"));
    return false;
  }
  body_length_ = *length;
  if (body_length_ > largest_body_) {
    out.push_back(fault(error_code::invalid_request,
                        "a message of " + std::to_string(body_length_) + " bytes, more than the " +
                            std::to_string(largest_body_) + " the server reads, was passed over"));
    state_ = body_length_ == 0 ? state::header : state::skip;
    return true;
  }
  pending_.clear();
  scanned_ = 0;
  if (body_length_ == 0) {
    out.push_back(fault(error_code::parse_error, "an empty message"));
    return true;
  }
  pending_.reserve(std::min<std::size_t>(body_length_, std::size_t{1} << 24));
  state_ = state::body;
  return true;
}

std::string framed(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace scenario::lsp
