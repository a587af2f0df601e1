#include "random_bytes.h"

#include <random>

void fillRandomBytes(unsigned char* bytes, std::size_t count) {
    std::random_device source;
    for (std::size_t i = 0; i < count; i += 4) {
        unsigned value = source();
        for (std::size_t j = 0; j < 4 && i + j < count; ++j) bytes[i + j] = static_cast<unsigned char>(value >> (8 * j));
    }
}
