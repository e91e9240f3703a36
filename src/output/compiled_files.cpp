#include "output/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "output/bytes.h"

namespace scenario {

std::string encode_route_cells(const std::vector<cella>& percorso) {
  // Sized once and filled in place: the longest route has 20,141 cells.
  std::string out(percorso.size() * cell_record_size, '\0');
  char* p = out.data();
  for (const cella& c : percorso) {
    p = store_le(p, c.tipo, 1);
    p = store_le(p, static_cast<std::uint16_t>(c.valore1), 2);
    p = store_le(p, static_cast<std::uint16_t>(c.valore2), 2);
    p = store_le(p, static_cast<std::uint16_t>(c.valore3), 2);
    p = store_le(p, static_cast<std::uint16_t>(c.valore4), 2);
    p = store_le(p, c.tempo, 1);
    p = store_le(p, c.preavviso, 1);
    p = store_le(p, c.montagna, 1);
    p = store_le(p, c.velocita_limite, 1);
    p = store_le(p, c.pendenza, 1);
    p = store_le(p, c.aderenza, 1);
  }
  return out;
}

std::string encode_scenario(const tabella_voci& voci) {
  byte_writer w;
  for (const voce_generale& v : voci) {
    w.u8(v.tipo);
    w.i32(v.inizio);
    w.i32(v.fine);
    w.i32(v.posizione);
    w.u8(v.ottetto0);
    // The reader refuses longer texts; a longer name would have its length wrapped.
    if (v.nome.size() > longest_name)
      throw std::length_error("a name of " + std::to_string(v.nome.size()) +
                              " bytes cannot be stored in the scenario file (at most " +
                              std::to_string(longest_name) + ")");
    w.i16(static_cast<std::int16_t>(v.nome.size()));
    w.bytes(v.nome);
    w.i16(v.intero1);
    w.i16(v.intero2);
    w.i16(v.intero3);
    w.i16(v.intero4);
    w.i16(v.intero5);
    w.u8(v.ottetto1);
    w.u8(v.ottetto2);
    w.u8(v.ottetto3);
    w.u8(v.ottetto4);
    w.i32(v.orario);
  }
  return w.take();
}

namespace {

constexpr std::size_t tagged_double_size = 10;  // a tag and a Double
constexpr std::size_t tagged_integer_size = 4;
constexpr std::size_t empty_value_size = 2;  // a tag alone

char* store_double(char* p, double v) {
  p = store_le(p, static_cast<std::uint16_t>(value_kind::double_), 2);
  return store_le(p, std::bit_cast<std::uint64_t>(v), 8);
}

// `count` empty values, a buffer at a time.
void store_empty(chunk_writer& w, std::size_t count) {
  constexpr std::size_t per_block = geometry_chunk_size / empty_value_size;
  while (count > 0) {
    const std::size_t n = std::min(count, per_block);
    char* p = w.reserve(n * empty_value_size);
    std::memset(p, 0, n * empty_value_size);  // the empty tag is 0
    w.commit(p + n * empty_value_size);
    count -= n;
  }
}

// How the points of a plan fall in each half of its file: the two start points (Integers once the
// plan is started, empty before), the computed points, then the empty ones. The file's size and its
// encoding both follow from these counts.
struct point_counts {
  std::size_t start, computed, empty;
};

point_counts counts_of(const tracciato_t& plan) {
  const std::size_t start = std::min<std::size_t>(2, plan.points());
  const auto computed = static_cast<std::size_t>(plan.next_point() - 2);
  return {start, computed, plan.points() - start - computed};
}

}  // namespace

void encode_geometry(const track_points& points, const byte_sink& sink) {
  chunk_writer w(sink, geometry_chunk_size);
  // The table is held in the file's own order: all first coordinates, then all second ones.
  const value_kind* kinds = points.kinds();
  const double* values = points.values();
  constexpr std::size_t per_block = geometry_chunk_size / tagged_double_size;
  for (std::size_t i = 0; i < points.elements();) {
    const std::size_t end = std::min(points.elements(), i + per_block);
    char* p = w.reserve((end - i) * tagged_double_size);
    for (; i < end; ++i) {
      switch (kinds[i]) {
        case value_kind::empty:
          p = store_le(p, static_cast<std::uint16_t>(kinds[i]), 2);
          break;
        case value_kind::integer:
          p = store_le(p, static_cast<std::uint16_t>(kinds[i]), 2);
          p = store_le(p, static_cast<std::uint16_t>(static_cast<std::int16_t>(values[i])), 2);
          break;
        case value_kind::long_:
          p = store_le(p, static_cast<std::uint16_t>(kinds[i]), 2);
          p = store_le(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(values[i])), 4);
          break;
        case value_kind::double_:
          p = store_double(p, values[i]);
          break;
      }
    }
    w.commit(p);
  }
  w.flush();
}

void encode_geometry(const tracciato_t& plan, const byte_sink& sink) {
  // The file holds all first coordinates, then all second ones. The points are generated once and
  // each coordinate goes to its own half of the file, the second half starting where it must.
  const point_counts counts = counts_of(plan);
  const std::uint64_t half = geometry_size(plan) / 2;
  chunk_writer first(sink, geometry_chunk_size, 0);
  chunk_writer second(sink, geometry_chunk_size, half);
  if (plan.started()) {
    for (chunk_writer* w : {&first, &second}) {
      char* p = w->reserve(2 * tagged_integer_size);
      p = store_le(p, static_cast<std::uint16_t>(value_kind::integer), 2);
      p = store_le(p, 0, 2);
      p = store_le(p, static_cast<std::uint16_t>(value_kind::integer), 2);
      p = store_le(p, w == &second ? 1 : 0, 2);  // point 1 is (0, 1)
      w->commit(p);
    }
  } else {
    store_empty(first, counts.start);
    store_empty(second, counts.start);
  }

  computed_points points(plan);
  constexpr std::size_t block = 2048;
  double x[block], y[block];
  while (const std::size_t n = points.next(x, y, block)) {
    char* p = first.reserve(n * tagged_double_size);
    char* q = second.reserve(n * tagged_double_size);
    for (std::size_t i = 0; i < n; ++i) {
      p = store_double(p, x[i]);
      q = store_double(q, y[i]);
    }
    first.commit(p);
    second.commit(q);
  }

  store_empty(first, counts.empty);
  store_empty(second, counts.empty);
  first.flush();
  second.flush();
}

std::size_t geometry_size(const tracciato_t& plan) {
  const point_counts counts = counts_of(plan);
  const std::size_t start_size = plan.started() ? tagged_integer_size : empty_value_size;
  return 2 * (counts.start * start_size + counts.computed * tagged_double_size +
              counts.empty * empty_value_size);
}

std::string encode_geometry(const tracciato_t& plan) {
  output_file f{"", geometry_size(plan),
                [&plan](const byte_sink& sink) { encode_geometry(plan, sink); }};
  return f.bytes();
}

std::string encode_geometry(const track_points& points) {
  std::string out;
  out.reserve(points.elements() * tagged_double_size);
  encode_geometry(points, [&out](std::uint64_t, std::string_view piece) { out.append(piece); });
  return out;
}

std::string output_file::bytes() const {
  std::string out(size, '\0');
  produce([&out](std::uint64_t offset, std::string_view piece) {
    if (offset + piece.size() > out.size()) out.resize(offset + piece.size());
    out.replace(offset, piece.size(), piece);
  });
  return out;
}

std::vector<output_file> compiled_files(const compilation& c) {
  std::vector<output_file> files;
  if (c.with_track_plan)
    files.push_back({geometry_file_name(c.route_name), geometry_size(c.tracciato),
                     [&c](const byte_sink& sink) { encode_geometry(c.tracciato, sink); }});
  // The small files are encoded now, so that nothing they hold can fail once writing has begun.
  auto whole = [](std::string name, std::string bytes) {
    const std::uint64_t size = bytes.size();
    return output_file{std::move(name), size,
                       [bytes = std::move(bytes)](const byte_sink& sink) { sink(0, bytes); }};
  };
  files.push_back(
      whole(scenario_file_name(c.route_name, c.train_name), encode_scenario(c.voci_generali)));
  files.push_back(
      whole(route_cell_file_name(c.route_name, c.train_name), encode_route_cells(c.percorso)));
  return files;
}

}  // namespace scenario
