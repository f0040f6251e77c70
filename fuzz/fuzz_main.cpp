// The libFuzzer entry point of every target: the input goes to the target as a FuzzInput.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vlpd::fuzz::FuzzInput input(data, size);
  vlpd::fuzz::FuzzOne(input);
  return 0;
}
