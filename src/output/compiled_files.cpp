#include "output/compiled_files.h"

#include <algorithm>
#include <bit>

#include "output/bytes.h"

namespace scenario {

std::string encode_route_cells(const std::vector<cella>& percorso) {
  byte_writer w;
  w.reserve(percorso.size() * cell_record_size);
  for (const cella& c : percorso) {
    w.u8(c.tipo);
    w.i16(c.valore1);
    w.i16(c.valore2);
    w.i16(c.valore3);
    w.i16(c.valore4);
    w.u8(c.tempo);
    w.u8(c.preavviso);
    w.u8(c.montagna);
    w.u8(c.velocita_limite);
    w.u8(c.pendenza);
    w.u8(c.aderenza);
  }
  return w.take();
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
      throw name_error("a name of " + std::to_string(v.nome.size()) +
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

void encode_geometry(const tracciato_t& tracciato, const byte_sink& sink) {
  chunk_writer w(sink, geometry_chunk_size);
  // The plan is held in the file's own order: all first coordinates, then all second ones.
  const value_kind* kinds = tracciato.kinds();
  const double* values = tracciato.values();
  constexpr std::size_t widest = 10;  // a tag and a Double
  constexpr std::size_t per_block = geometry_chunk_size / widest;
  for (std::size_t i = 0; i < tracciato.elements();) {
    const std::size_t end = std::min(tracciato.elements(), i + per_block);
    char* p = w.reserve((end - i) * widest);
    for (; i < end; ++i) {
      p = store_le(p, static_cast<std::uint16_t>(kinds[i]), 2);
      switch (kinds[i]) {
        case value_kind::empty:
          break;
        case value_kind::integer:
          p = store_le(p, static_cast<std::uint16_t>(static_cast<std::int16_t>(values[i])), 2);
          break;
        case value_kind::long_:
          p = store_le(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(values[i])), 4);
          break;
        case value_kind::double_:
          p = store_le(p, std::bit_cast<std::uint64_t>(values[i]), 8);
          break;
      }
    }
    w.commit(p);
  }
  w.flush();
}

std::string encode_geometry(const tracciato_t& tracciato) {
  std::string out;
  out.reserve(tracciato.points() * 2 * 10);
  encode_geometry(tracciato, [&out](std::string_view piece) { out.append(piece); });
  return out;
}

std::string output_file::bytes() const {
  std::string out;
  produce([&out](std::string_view piece) { out.append(piece); });
  return out;
}

std::optional<std::string> name_fault(std::string_view role, std::string_view name) {
  const std::string subject = "the " + std::string(role) + " name";
  if (name.size() > longest_name)
    return subject + " is " + std::to_string(name.size()) +
           " bytes long; the scenario file stores at most " + std::to_string(longest_name);
  if (name.find('\0') != std::string_view::npos)
    return subject + " holds a NUL byte, which no file name can hold";
  const std::string quoted = subject + " \"" + std::string(name) + "\"";
  if (name.find('/') != std::string_view::npos)
    return quoted + " holds \"/\": the compiled files must stay inside the output folder";
  if (name == "." || name == "..")
    return quoted + " names a folder: the compiled files must stay inside the output folder";
  return std::nullopt;
}

void check_names(std::string_view route, std::string_view train) {
  if (std::optional<std::string> fault = name_fault("route", route)) throw name_error(*fault);
  if (std::optional<std::string> fault = name_fault("train", train)) throw name_error(*fault);
}

std::vector<output_file> compiled_files(const compilation& c) {
  check_names(c.nome_percorso, c.nome_treno);
  std::vector<output_file> files;
  if (c.genera_linea != 0)
    files.push_back({geometry_file_name(c.nome_percorso),
                     [&c](const byte_sink& sink) { encode_geometry(c.tracciato, sink); }});
  files.push_back({scenario_file_name(c.nome_percorso, c.nome_treno),
                   [&c](const byte_sink& sink) { sink(encode_scenario(c.voci_generali)); }});
  files.push_back({route_cell_file_name(c.nome_percorso, c.nome_treno),
                   [&c](const byte_sink& sink) { sink(encode_route_cells(c.percorso)); }});
  return files;
}

}  // namespace scenario
