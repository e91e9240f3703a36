// The protocol's framing: each message is a header ("Content-Length: N", then a blank line)
// followed by N bytes of JSON. The reader takes bytes as they come, in pieces of any size, and
// gives back each whole message, or a fault where the stream is not framed as it should be; it then
// looks for the next header, so that one bad frame costs only itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::lsp {

struct incoming {
  bool malformed = false;  // the frame was not a message: `problem` says why
  std::string body;        // the message's JSON text
  std::string problem;
  int error_code = 0;  // for a malformed frame: parse error or invalid request
};

class frame_reader {
 public:
  // A message longer than `largest_body` is passed over unread and told as a fault.
  explicit frame_reader(std::size_t largest_body);

  // The messages and faults that `bytes` completes, in order.
  std::vector<incoming> take(std::string_view bytes);

 private:
  enum class state { header, body, skip };

  void read_header(std::vector<incoming>& out);
  // Acts on the header lines of one block; false when they name no body to read.
  bool header_block(std::string_view block, std::vector<incoming>& out);

  std::size_t largest_body_;
  state state_ = state::header;
  std::string pending_;          // header bytes not yet ended by a blank line, or body bytes
  std::size_t scanned_ = 0;      // header bytes already searched for the blank line
  std::size_t body_length_ = 0;  // of the body being read, or still to pass over
};

// The frame of one message.
std::string framed(std::string_view body);

}  // namespace scenario::lsp
