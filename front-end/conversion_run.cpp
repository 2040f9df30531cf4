#include "conversion_run.hpp"

#include <sys/stat.h>

#include <filesystem>

QString FolderPartOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NamePartOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ReplaceExtension(const QString& name, const QString& extension)
{
    const qsizetype period = name.lastIndexOf(QLatin1Char('.'));
    return (period < 0 ? name : name.left(period)) + extension;
}

QString TypedOutputFolder(const QString& typed)
{
    if (typed.isEmpty())
        return QStringLiteral("./");
    return typed.endsWith(QLatin1Char('/')) ? typed : typed + QLatin1Char('/');
}

std::string ConverterCommandLine(const std::string& toolPath, const std::string& inputPath,
                                 const std::string& outputPath)
{
    return "\"" + toolPath + "\" \"" + inputPath + "\" \"" + outputPath + "\"";
}

int ProgressPosition(double doneBytes, double totalBytes)
{
    if (totalBytes <= 0)
        return 0;
    return static_cast<int>(doneBytes / totalBytes * 100.0f);
}

QString TimeEstimateText(double doneBytes, double totalBytes, long long elapsedSeconds)
{
    if (totalBytes * 0.02 >= doneBytes)
        return QStringLiteral("evaluating");
    const double elapsed = static_cast<double>(elapsedSeconds);
    const double projected = elapsed / doneBytes * totalBytes;
    // More bytes done than counted at the start (a file grew) projects less
    // than has passed already.
    return QString::asprintf("%lli", static_cast<long long>(projected > elapsed ? projected - elapsed : 0.0));
}

namespace {

// At most this many entries go into the message itself, so that the box
// keeps its buttons on the smallest screen; the rest wait in the details.
constexpr int entriesInReportText = 10;

QString headingOf(EntryOutcome::Cause cause)
{
    switch (cause) {
    case EntryOutcome::Failed:
        return QStringLiteral("Failed:");
    case EntryOutcome::Refused:
        return QStringLiteral("Refused:");
    case EntryOutcome::Skipped:
        return QStringLiteral("Skipped:");
    case EntryOutcome::NotStarted:
        return QStringLiteral("Not started:");
    case EntryOutcome::Aborted:
        break;
    }
    return QStringLiteral("Aborted:");
}

QString lineOf(const EntryOutcome& outcome)
{
    QString detail = outcome.detail;
    if (outcome.cause == EntryOutcome::Refused)
        detail = QStringLiteral("its output would overwrite ") + detail;
    else if (outcome.cause == EntryOutcome::Aborted)
        detail = QStringLiteral("stopped part-way, its output is incomplete: ") + detail;
    return outcome.entry + QStringLiteral(" (") + detail + QLatin1Char(')');
}

using FileIdentity = std::pair<std::uint64_t, std::uint64_t>;

// The path made absolute against the current folder, with "." and ".."
// steps and doubled separators folded away, as the child will resolve it.
std::string comparablePath(const std::string& path)
{
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    return (failed ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

// Device and inode of the file a path reaches, links followed; nothing when
// there is no such file.
std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity(status.st_dev, status.st_ino);
}

}  // namespace

RunReport RunReportText(const RunOutcomes& outcomes)
{
    const int converted = outcomes.entries - static_cast<int>(outcomes.notConverted.size()) - outcomes.notReached;
    QString text = QStringLiteral("%1 of %2 %3 converted.")
                       .arg(converted)
                       .arg(outcomes.entries)
                       .arg(outcomes.entries == 1 ? QStringLiteral("file was") : QStringLiteral("files were"));
    if (outcomes.notReached > 0)
        text += QStringLiteral(" The run was aborted before %1 more %2.")
                    .arg(outcomes.notReached)
                    .arg(outcomes.notReached == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));

    QString details;
    int inText = 0;
    for (const EntryOutcome::Cause cause : {EntryOutcome::Failed, EntryOutcome::Refused, EntryOutcome::Skipped,
                                            EntryOutcome::NotStarted, EntryOutcome::Aborted}) {
        bool headed = false;
        for (const EntryOutcome& outcome : outcomes.notConverted) {
            if (outcome.cause != cause)
                continue;
            const QString line = QLatin1Char('\n') + lineOf(outcome);
            if (!headed) {
                details += (details.isEmpty() ? QString() : QStringLiteral("\n\n")) + headingOf(cause);
                if (inText < entriesInReportText)
                    text += QStringLiteral("\n\n") + headingOf(cause);
                headed = true;
            }
            details += line;
            if (inText++ < entriesInReportText)
                text += line;
        }
    }
    if (inText <= entriesInReportText)
        return {text, QString()};
    text += QStringLiteral("\n\n... and %1 more, listed in the details.").arg(inText - entriesInReportText);
    return {text, details};
}

ListedFiles::ListedFiles(const std::vector<std::string>& entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        paths_.emplace(comparablePath(entries[i]), i);
        if (const std::optional<FileIdentity> file = identityOf(entries[i]))
            files_.emplace(*file, i);
    }
}

std::optional<std::size_t> ListedFiles::EntryNamedBy(const std::string& outputPath) const
{
    if (const auto path = paths_.find(comparablePath(outputPath)); path != paths_.end())
        return path->second;
    if (const std::optional<FileIdentity> file = identityOf(outputPath))
        if (const auto same = files_.find(*file); same != files_.end())
            return same->second;
    return std::nullopt;
}
