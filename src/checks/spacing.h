// The signal spacing pass: completes speed restrictions with code cut markers.
#pragma once

#include "model/model.h"

namespace scenario {

// The smaller of two values, x on a tie.
tagged_value smaller_of(const tagged_value& x, const tagged_value& y);

// Places the markers over percorso and records faults 11, 12 and 13 as warnings.
void run_spacing_pass(compilation& c);

}  // namespace scenario
