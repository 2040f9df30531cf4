#include "file_list.hpp"

#include <QCoreApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

const char* const LayoutFilePatterns[7] = {"*.gds", "*.gds2", "*.gdsii", "*.strm", "*.agf", "*.gdsasc", "*.asc"};

std::string ToNarrowString(const QString& text)
{
    return text.toStdString();
}

QString ToWideString(const std::string& text)
{
    return QString::fromStdString(text);
}

std::optional<std::uint64_t> GetFileSize64(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info{};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

namespace {

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string withSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() != '/')
        return folder + '/';
    return folder;
}

}  // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    // Iterative wildcard match: remember the last "*" and retry from there.
    std::size_t n = 0, p = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> CollectFiles(const std::string& folder, const std::string& pattern, bool recurse)
{
    const std::string dir = withSeparator(folder);
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (it->is_directory(kindError))
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern))
            found.push_back(dir + name);
    }
    if (recurse) {
        for (const std::string& sub : ListSubdirectories(folder, "*")) {
            QCoreApplication::processEvents();
            std::vector<std::string> inner = CollectFiles(sub, pattern, true);
            found.insert(found.end(), inner.begin(), inner.end());
        }
    }
    return found;
}

std::vector<std::string> ListSubdirectories(const std::string& folder, const std::string& pattern)
{
    const std::string dir = withSeparator(folder);
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        // A linked folder is not entered: a link back up the tree would make
        // the scan endless.
        if (!it->is_directory(kindError) || it->is_symlink(kindError))
            continue;
        std::string name = it->path().filename().string();
        if (MatchesPattern(name, pattern))
            found.push_back(dir + name);
    }
    return found;
}
