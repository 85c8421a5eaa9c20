#pragma once

#include <cstdint>
#include <memory>

#include "data/Hao.h"

// Draws of random digits, the same for the same seed on every run.
std::unique_ptr<TCodes> RandomDraws(uint32_t seed, int32_t count);
