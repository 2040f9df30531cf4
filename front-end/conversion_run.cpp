#include "conversion_run.hpp"

#include "content_classifier.hpp"
#include "converter_child.hpp"
#include "file_list.hpp"

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

QString reasonOf(const EntryOutcome& outcome)
{
    QString detail = outcome.detail;
    if (outcome.cause == EntryOutcome::Refused)
        detail = (outcome.ofOutput ? QStringLiteral("its output would replace the output of ")
                                   : QStringLiteral("its output would overwrite "))
                 + detail;
    else if (outcome.cause == EntryOutcome::Aborted)
        detail = QStringLiteral("stopped part-way, its output is incomplete: ") + detail;
    return QLatin1Char('(') + detail + QLatin1Char(')');
}

// Whether the character would break the box's line or move its text: a
// control character, a line or paragraph separator, or a mark, embedding,
// override or isolate of the text's direction, which can reverse what
// follows it, the reason too.
bool movesText(char16_t unit)
{
    return unit < 0x20 || unit == 0x7F || unit == 0x200E || unit == 0x200F || unit == 0x2028 || unit == 0x2029
           || (unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069);
}

// Text as the box shows it: each character that moves text as '?'; a TAB
// stays where `keepTabs` says, as in the tools' own lines, which set their
// wording apart with one. `marked` tells whether one was.
QString markedText(const QString& text, bool keepTabs, bool& marked)
{
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t unit = c.unicode();
        if (movesText(unit) && !(keepTabs && unit == '\t')) {
            c = QLatin1Char('?');
            marked = true;
        }
    }
    return shown;
}

// The outcome with its paths marked for the box. A tool's line keeps its
// wording, but the paths it repeats would break the box's lines as well.
EntryOutcome markedOutcome(const EntryOutcome& outcome, bool& marked)
{
    EntryOutcome shown = outcome;
    shown.entry = markedText(outcome.entry, false, marked);
    shown.detail = markedText(outcome.detail, outcome.cause == EntryOutcome::Failed, marked);
    return shown;
}

// The entry's line in the box: one line when it fits, else the path and the
// reason on a line each. `shortened` tells whether a piece lost its middle.
QString fittedLineOf(const EntryOutcome& outcome, const FitToLine& fitToLine, bool& shortened)
{
    const QString reason = reasonOf(outcome);
    const QString whole = outcome.entry + QLatin1Char(' ') + reason;
    if (fitToLine(whole) == whole)
        return whole;
    const QString entry = fitToLine(outcome.entry);
    const QString fittedReason = fitToLine(reason);
    shortened = shortened || entry != outcome.entry || fittedReason != reason;
    return entry + QLatin1Char('\n') + fittedReason;
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

RunReport RunReportText(const RunOutcomes& outcomes, const FitToLine& fitToLine)
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
    bool shortened = false;
    bool marked = false;
    for (const EntryOutcome::Cause cause : {EntryOutcome::Failed, EntryOutcome::Refused, EntryOutcome::Skipped,
                                            EntryOutcome::NotStarted, EntryOutcome::Aborted}) {
        bool headed = false;
        for (const EntryOutcome& outcome : outcomes.notConverted) {
            if (outcome.cause != cause)
                continue;
            if (!headed) {
                details += (details.isEmpty() ? QString() : QStringLiteral("\n\n")) + headingOf(cause);
                if (inText < entriesInReportText)
                    text += QStringLiteral("\n\n") + headingOf(cause);
                headed = true;
            }
            details += QLatin1Char('\n') + outcome.entry + QLatin1Char(' ') + reasonOf(outcome);
            if (inText++ < entriesInReportText)
                text += QLatin1Char('\n') + fittedLineOf(markedOutcome(outcome, marked), fitToLine, shortened);
        }
    }
    if (inText > entriesInReportText)
        text += QStringLiteral("\n\n... and %1 more, listed in the details.").arg(inText - entriesInReportText);
    else if (!shortened && !marked)
        details.clear();
    return {text, details};
}

ProtectedFiles::ProtectedFiles(const std::vector<std::string>& entries) : entries_(entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        protect(entries[i], i, false);
}

void ProtectedFiles::AddOutput(const std::string& outputPath, std::size_t entry)
{
    protect(outputPath, entry, true);
}

void ProtectedFiles::protect(const std::string& path, std::size_t entry, bool ofOutput)
{
    byPath_.try_emplace(comparablePath(path), Holder{entry, ofOutput});
    // A child that failed before it created its output leaves no file to know
    // again through a link; its path is still kept.
    if (const std::optional<FileIdentity> file = identityOf(path))
        byIdentity_.try_emplace(*file, Holder{entry, ofOutput});
}

std::optional<ProtectedFiles::Owner> ProtectedFiles::OwnerOf(const std::string& outputPath) const
{
    const Holder* holder = nullptr;
    if (const auto same = byPath_.find(comparablePath(outputPath)); same != byPath_.end())
        holder = &same->second;
    else if (const std::optional<FileIdentity> file = identityOf(outputPath))
        if (const auto same = byIdentity_.find(*file); same != byIdentity_.end())
            holder = &same->second;
    if (!holder)
        return std::nullopt;
    return Owner{entries_[holder->entry], holder->ofOutput};
}

namespace {

// Why the run has no tool for an entry of this content.
QString skipReason(bool stream, bool text, const std::string& path)
{
    if (stream)
        return QStringLiteral("a stream file, and brenmo was not found");
    if (text)
        return QStringLiteral("a text form, and calvio was not found");
    if (!GetFileSize64(path))
        return QStringLiteral("could not be read");
    return QStringLiteral("neither a stream file nor a text form");
}

}  // namespace

ConversionRun::ConversionRun(const std::vector<std::string>& entries, const RunOptions& options)
    : entries_(entries), options_(options), files_(entries)
{
    outcomes_.entries = static_cast<int>(entries.size());
}

EntryPlan ConversionRun::plan(std::size_t index) const
{
    const QString entry = ToWideString(entries_[index]);
    const std::string inputPath = ToNarrowString(entry);
    // A stream file is never given to calvio: the stream test comes first.
    const bool stream = Pelk::vesk::HasStreamHeader(inputPath);
    const bool text = !stream && Pelk::vesk::HasTextHeader(inputPath);
    EntryPlan plan;
    plan.inputPath = entries_[index];
    QString extension;
    if (stream && !options_.brenmoPath.empty()) {
        plan.toolPath = options_.brenmoPath;
        plan.toolName = QStringLiteral("brenmo");
        extension = options_.textExtension;
    } else if (text && !options_.calvioPath.empty()) {
        plan.toolPath = options_.calvioPath;
        plan.toolName = QStringLiteral("calvio");
        extension = options_.streamExtension;
    } else {
        plan.refusal = EntryOutcome{EntryOutcome::Skipped, entry, skipReason(stream, text, inputPath)};
        return plan;
    }
    const QString folder = options_.besideSource ? FolderPartOf(entry) : TypedOutputFolder(options_.outputFolder);
    plan.outputPath = ToNarrowString(folder + ReplaceExtension(NamePartOf(entry), extension));
    // An output that is a listed file would destroy it, before its own
    // conversion or as the input of it; one that is an earlier entry's
    // output would lose that entry's result.
    if (const std::optional<ProtectedFiles::Owner> owner = files_.OwnerOf(plan.outputPath))
        plan.refusal = EntryOutcome{EntryOutcome::Refused, entry, ToWideString(owner->entry), owner->ofOutput};
    return plan;
}

std::optional<EntryPlan> ConversionRun::nextEntry()
{
    while (planned_ < entries_.size()) {
        EntryPlan next = plan(planned_++);
        if (!next.refusal) {
            current_ = next;
            return next;
        }
        outcomes_.notConverted.push_back(std::move(*next.refusal));
    }
    return std::nullopt;
}

void ConversionRun::childEnded(const ChildEnd& end)
{
    if (std::optional<EntryOutcome> outcome = outcomeOf(end, ToWideString(current_.inputPath), current_.toolName,
                                                        ToWideString(current_.outputPath)))
        outcomes_.notConverted.push_back(std::move(*outcome));
    // Only once the child has ended does its output exist, so that a later
    // output reaching it through a link is known by the file itself.
    if (end.kind != ChildEnd::NotStarted)
        files_.AddOutput(current_.outputPath, planned_ - 1);
}

RunOutcomes ConversionRun::outcomes() const
{
    RunOutcomes outcomes = outcomes_;
    outcomes.notReached = static_cast<int>(entries_.size() - planned_);
    return outcomes;
}
