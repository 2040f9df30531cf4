// Decides from a file's content whether it is a binary GDSII stream or the
// text form, so Vesk can send it to brenmo or calvio.
#pragma once

#include <string>

namespace Pelk::vesk {

bool HasStreamHeader(const std::string& path);
bool HasTextHeader(const std::string& path);

}  // namespace Pelk::vesk
