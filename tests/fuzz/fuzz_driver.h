// The entry point every fuzz target defines. It is handed one input and must
// return 0; a fault in the code under test shows as a crash, an assertion,
// a hang or a runaway allocation, never as a return value.
#pragma once
#include <cstddef>
#include <cstdint>

int ZwFuzzOne(const uint8_t* data, size_t size);
