#include "content/documents.h"

namespace scenario {

namespace {

// The order form goes out blank: the run has no temporary speed restriction for the driver to fill
// in, so every table row stays empty.
// clang-format off
constexpr line_table table = {
    "",
    "                               Modulo M. 3",
    "                           ORDINE DI RALLENTAMENTO",
    " ________________________________________________________________________________",
    "  Linea  xxxxxx xxxxxxx",
    "",
    "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti",
    "  _______________________________________________________________________________",
    " |   |                            |Inizio dopo |          |         |            |",
    " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
    " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
    " |___|____________________________|____________|__________|_________|____________|",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |   |                            |            |          |         |            |",
    " |___|____________________________|____________|__________|_________|____________|",
    "",
    "              Prescrizioni specifiche",
    " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
    " B - Interessa anche la stazione di.......",
    " D - Rallentamneto N. ... e N. ...  sono contigui",
    " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
    "     i giorni esclusi i seguenti:.........",
    end_marker,
};
// clang-format on
static_assert(table_length(table) == 46);

}  // namespace

const line_table& dati_rallentamenti() {
  return table;
}

}  // namespace scenario
