// Paths and sizes of Vesk's file list: narrow (UTF-8) conversion, file sizes
// and the folder scan for layout files.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The name patterns of the layout files a folder scan lists.
extern const char* const LayoutFilePatterns[7];

std::string ToNarrowString(const QString& text);
QString ToWideString(const std::string& text);

// The size of the file at path, or nothing when it cannot be opened or is no file.
std::optional<std::uint64_t> GetFileSize64(const std::string& path);

// Whether a file name matches a "*"/"?" wildcard pattern, ignoring ASCII case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Called before each subfolder a scan enters: pumps waiting events, and
// tells whether the scan goes on.
using ScanPump = std::function<bool()>;

// Every file in folder (and with recurse in all its subfolders, linked ones
// not entered) whose name matches one of patterns; hidden files included.
// Each folder is read once, whatever the number of patterns. A scan that the
// pump ends returns what it has found so far.
std::vector<std::string> CollectFiles(const std::string& folder, std::span<const char* const> patterns,
                                      bool recurse, const ScanPump& pump);
