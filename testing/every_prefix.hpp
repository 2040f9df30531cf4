// Test support: cuts a valid input at every length, from nothing to the
// whole, and hands each cut, written to a file, to a check.
#pragma once

#include "test_files.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

namespace Pelk::testing {

// The check gets the length of the cut and the file holding it. The first
// fatal failure ends the walk, so a broken reader is reported once, not at
// every length after it.
inline void forEachPrefix(std::string_view whole, const std::string& name,
                          const std::function<void(std::size_t length, const std::string& path)>& check)
{
    TemporaryFile file(name);
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        SCOPED_TRACE("prefix of " + std::to_string(length) + " bytes");
        file.write(whole.substr(0, length));
        check(length, file.path());
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

inline void forEachPrefix(const Bytes& whole, const std::string& name,
                          const std::function<void(std::size_t length, const std::string& path)>& check)
{
    forEachPrefix(std::string_view(reinterpret_cast<const char*>(whole.data()), whole.size()), name, check);
}

} // namespace Pelk::testing
