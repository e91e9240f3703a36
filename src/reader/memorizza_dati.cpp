#include "reader/memorizza_dati.h"

namespace scenario {

void memorizza_dati(compilation& c, const data_files& files) {
  (void)files;
  c.voci_generali[voce::percorso].nome = c.nome_percorso;
  c.voci_generali[voce::treno].nome = c.nome_treno;
}

}  // namespace scenario
