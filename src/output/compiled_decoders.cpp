#include "output/compiled_decoders.h"

#include "output/bytes.h"
#include "output/compiled_files.h"

namespace scenario {

namespace {

template <class T>
decoded<T> refuse(std::size_t offset, std::string expected) {
  return {std::nullopt, {offset, std::move(expected)}};
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

decoded<std::vector<cella>> decode_route_cells(std::string_view bytes) {
  if (bytes.empty())
    return refuse<std::vector<cella>>(0, "a 15-byte cell record (the file is empty)");
  const std::size_t whole = bytes.size() / cell_record_size;
  if (whole > max_route_cells)
    return refuse<std::vector<cella>>(
        max_route_cells * cell_record_size,
        "the end of the file after at most " + std::to_string(max_route_cells) + " cells");
  if (bytes.size() % cell_record_size != 0)
    return refuse<std::vector<cella>>(whole * cell_record_size,
                                      "a whole 15-byte cell record (" +
                                          plural(bytes.size() % cell_record_size, "byte", "bytes") +
                                          " left)");

  std::vector<cella> cells(whole);
  byte_reader r(bytes);
  for (cella& c : cells) {
    // The size was checked above, so every read succeeds.
    r.u8(c.tipo);
    r.i16(c.valore1);
    r.i16(c.valore2);
    r.i16(c.valore3);
    r.i16(c.valore4);
    r.u8(c.tempo);
    r.u8(c.preavviso);
    r.u8(c.montagna);
    r.u8(c.velocita_limite);
    r.u8(c.pendenza);
    r.u8(c.aderenza);
  }
  return {std::move(cells), {}};
}

decoded<tabella_voci> decode_scenario(std::string_view bytes) {
  tabella_voci voci{};
  byte_reader r(bytes);
  for (int k = 0; k < general_record_count; ++k) {
    voce_generale& v = voci[static_cast<std::size_t>(k)];
    const std::string record = "record " + std::to_string(k);
    auto truncated = [&](const char* field) {
      return refuse<tabella_voci>(r.offset(), record + " field " + field + " (the file ends at " +
                                                  std::to_string(bytes.size()) + ")");
    };
    if (!r.u8(v.tipo)) return truncated("tipo");
    if (!r.i32(v.inizio)) return truncated("inizio");
    if (!r.i32(v.fine)) return truncated("fine");
    if (!r.i32(v.posizione)) return truncated("posizione");
    if (!r.u8(v.ottetto0)) return truncated("ottetto0");
    std::int16_t n = 0;
    const std::size_t length_at = r.offset();
    if (!r.i16(n)) return truncated("name length");
    if (n < 0)
      return refuse<tabella_voci>(
          length_at, record + " name length from 0 to 32767, found " + std::to_string(n));
    // The length is checked against what is left before the name is copied.
    if (!r.bytes(static_cast<std::size_t>(n), v.nome))
      return refuse<tabella_voci>(
          r.offset(), record + " name of " + plural(std::size_t(n), "byte", "bytes") + " (only " +
                          std::to_string(r.remaining()) + " left)");
    if (!r.i16(v.intero1)) return truncated("intero1");
    if (!r.i16(v.intero2)) return truncated("intero2");
    if (!r.i16(v.intero3)) return truncated("intero3");
    if (!r.i16(v.intero4)) return truncated("intero4");
    if (!r.i16(v.intero5)) return truncated("intero5");
    if (!r.u8(v.ottetto1)) return truncated("ottetto1");
    if (!r.u8(v.ottetto2)) return truncated("ottetto2");
    if (!r.u8(v.ottetto3)) return truncated("ottetto3");
    if (!r.u8(v.ottetto4)) return truncated("ottetto4");
    if (!r.i32(v.orario)) return truncated("orario");
  }
  if (!r.at_end())
    return refuse<tabella_voci>(r.offset(), "the end of the file after record 86 (" +
                                                plural(r.remaining(), "byte", "bytes") + " more)");
  return {std::move(voci), {}};
}

namespace {

// Reads one tagged value; false with the error filled when the bytes are not one.
bool read_tagged(byte_reader& r, tagged_value& v, decode_error& error, std::size_t element,
                 std::size_t total_bytes) {
  const std::size_t at = r.offset();
  std::int16_t tag = 0;
  if (!r.i16(tag)) {
    error = {at, "the tag of value " + std::to_string(element) + " (1 byte left)"};
    return false;
  }
  std::size_t width = 0;
  switch (tag) {
    case 0:
      v = {};
      return true;
    case 2:
      width = 2;
      break;
    case 3:
      width = 4;
      break;
    case 5:
      width = 8;
      break;
    default:
      error = {at, "a value tag 0, 2, 3 or 5, found " + std::to_string(tag)};
      return false;
  }
  if (r.remaining() < width) {
    error = {r.offset(), std::to_string(width) + " bytes of value " + std::to_string(element) +
                             " (the file ends at " + std::to_string(total_bytes) + ")"};
    return false;
  }
  if (tag == 2) {
    std::int16_t i = 0;
    r.i16(i);
    v = tagged_value::integer(i);
  } else if (tag == 3) {
    std::int32_t l = 0;
    r.i32(l);
    v = tagged_value::long_(l);
  } else {
    double d = 0;
    r.f64(d);
    v = tagged_value::double_(d);
  }
  return true;
}

}  // namespace

decoded<track_points> decode_geometry(std::string_view bytes) {
  // First pass: check every value and count them, so that the plan is sized from a count the
  // bytes bear out (each value takes at least two bytes).
  const std::size_t max_values = 2 * max_geometry_points;
  std::size_t count = 0;
  {
    byte_reader r(bytes);
    tagged_value v;
    decode_error error;
    while (!r.at_end()) {
      if (count == max_values)
        return refuse<track_points>(
            r.offset(),
            "the end of the file after at most " + std::to_string(max_geometry_points) + " points");
      if (!read_tagged(r, v, error, count, bytes.size())) return {std::nullopt, error};
      ++count;
    }
  }
  if (count == 0) return refuse<track_points>(0, "a tagged value (the file is empty)");
  if (count % 2 != 0)
    return refuse<track_points>(bytes.size(),
                                "a second coordinate for every point: " + std::to_string(count) +
                                    " values is an odd number");

  track_points plan;
  plan.resize(count / 2 - 1);
  byte_reader r(bytes);
  tagged_value v;
  decode_error unused;
  for (int coordinate = 0; coordinate < 2; ++coordinate)
    for (std::size_t m = 0; m < plan.points(); ++m) {
      read_tagged(r, v, unused, 0, bytes.size());
      plan.set(m, coordinate, v);
    }
  return {std::move(plan), {}};
}

}  // namespace scenario
