// What the page knows of the author's computer.
#pragma once

#include <cstdint>

/// The computer's memory as the browser tells it; 0 when it does not.
void setMachineMemory(std::uint64_t bytes);
