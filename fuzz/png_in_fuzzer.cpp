// The PNG decoder under random files.
#include "fuzz/picture_in_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return picture_in_fuzz::Run(picture_in::DecodePng, data, size);
}
