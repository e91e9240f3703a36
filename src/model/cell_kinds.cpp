#include "model/cell_kinds.h"

#include <array>

namespace scenario {

namespace {

constexpr std::array<cell_kind, 12> kinds{{
    {tipo_cella::nulla, "nothing", ""},
    {tipo_cella::segnale, "signal", "a"},
    {tipo_cella::fine_rallentamento, "restriction end", "a"},
    {tipo_cella::inizio_rallentamento, "restriction start", "a"},
    {tipo_cella::avviso_rallentamento, "restriction warning board", "a"},
    {tipo_cella::preavviso_rallentamento, "restriction approach cell", "a"},
    {tipo_cella::indicatori_v_max, "speed-limit board", "a"},
    {tipo_cella::stazione, "station end", "a"},
    {tipo_cella::montagna, "scenery mark", "a"},
    {tipo_cella::abbattimento, "code cut point", "a"},
    {tipo_cella::abbattimento_nullo, "null code cut point", "a"},
    {tipo_cella::cartello_indicatore, "text board", "a"},
}};

}  // namespace

const cell_kind* find_cell_kind(byte_t tipo) {
  for (const cell_kind& k : kinds)
    if (k.tipo == tipo) return &k;
  return nullptr;
}

std::string cell_kind_name(byte_t tipo) {
  const cell_kind* k = find_cell_kind(tipo);
  return k ? std::string(k->name) : "kind " + std::to_string(tipo);
}

std::string object_name(byte_t tipo) {
  const cell_kind* k = find_cell_kind(tipo);
  if (!k) return "an object of type " + std::to_string(tipo);
  if (k->article.empty()) return std::string(k->name);
  return std::string(k->article) + " " + std::string(k->name);
}

}  // namespace scenario
