// What every fuzz target shares: starting the framework once per process on the
// headless platform, and handing a reader its input as a file in a private
// temporary directory when the reader only takes a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Selects the headless platform, makes a temporary directory for the input
// file, and calls FrameworkInit. Safe to call more than once. Targets then hold
// the API lock (ApiGuard) through each whole input: the framework's pump thread
// runs between inputs instead of taking its turn in the middle of one, which on
// a busy machine costs more than the input itself.
void FuzzStartFramework(void);

// Writes the input to one fixed file in the temporary directory and returns
// its absolute path. FuzzStartFramework must have run.
const char* FuzzWriteInput(const uint8_t* data, size_t size);

// The input with a NUL after it, for readers of C strings.
std::string FuzzAsString(const uint8_t* data, size_t size);
