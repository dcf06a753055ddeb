// The parameter set a simulated controller starts with.
#pragma once

#include <cstdint>

#include "table_image.h"

namespace rq30::sim {

// Initial values (documented in defaults.cpp); the live values, record memory
// and clock are left to the process and the caller.
void SetDefaultParameters(TableImage& image, uint8_t address);

}  // namespace rq30::sim
