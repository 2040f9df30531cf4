// Reals as the text form and the report print them: six significant digits
// in the "%g" manner, with an exponent of at least three digits ('1e-009').
#pragma once

#include <cstddef>
#include <string>

namespace Pelk::core {

// Writes at most 32 characters to `out` and returns how many.
std::size_t formatReal(double value, char* out);
std::string formatReal(double value);

} // namespace Pelk::core
