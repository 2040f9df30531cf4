// Paths and sizes of Vesk's file list: narrow (UTF-8) conversion, file sizes
// and the folder scan for layout files.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The name patterns of a folder scan, in the order they are scanned.
extern const char* const LayoutFilePatterns[7];

std::string ToNarrowString(const QString& text);
QString ToWideString(const std::string& text);

// The size of the file at path, or nothing when it cannot be opened or is no file.
std::optional<std::uint64_t> GetFileSize64(const std::string& path);

// Whether a file name matches a "*"/"?" wildcard pattern, ignoring ASCII case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// Every file in folder (and with recurse in all its subfolders) whose name
// matches pattern; hidden files included. Pumps waiting events per subfolder.
std::vector<std::string> CollectFiles(const std::string& folder, const std::string& pattern, bool recurse);

// The immediate subfolders of folder whose names match pattern, as full paths.
std::vector<std::string> ListSubdirectories(const std::string& folder, const std::string& pattern);
