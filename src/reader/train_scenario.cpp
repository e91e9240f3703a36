#include "reader/train_scenario.h"

namespace scenario {

void read_train_scenario(compilation& c, field_reader& fields, long_t indice_cartello) {
  (void)c;
  (void)fields;
  (void)indice_cartello;
}

}  // namespace scenario
