// Fuzz target for the Bgra image reader: any bytes in memory.
#include <cstdint>

#include "fuzz/image_check.h"

VORTALIS_IMAGE_FUZZ_TARGET(DecodeBgra)
