#include "conversion_run.hpp"

#include "content_classifier.hpp"
#include "file_list.hpp"
#include "vesk_form.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <ctime>
#include <utility>

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
    const double projected = static_cast<double>(elapsedSeconds) / doneBytes * totalBytes;
    return QString::asprintf("%lli", static_cast<long long>(projected));
}

namespace {

// Starts the converter hidden, with no output captured, and waits for it in
// 10 ms slices while the window keeps working; false when it cannot start.
bool runConverter(const std::string& commandLine, const std::string& toolPath, const std::string& inputPath,
                  const std::string& outputPath, RunState& state)
{
    // The tools get the command line split as a shell would. A path holding a
    // double quote would split differently, and the tool would read or write
    // a wrong file: such an entry is not started.
    const QStringList words = QProcess::splitCommand(ToWideString(commandLine));
    const QStringList intended = {ToWideString(toolPath), ToWideString(inputPath), ToWideString(outputPath)};
    if (words != intended)
        return false;
    // The child receives its arguments in the file-name encoding; a name that
    // does not come through it unchanged would name another file.
    for (const auto& [word, narrow] : {std::pair{words[0], &toolPath}, {words[1], &inputPath}, {words[2], &outputPath}}) {
        if (QFile::encodeName(word).toStdString() != *narrow)
            return false;
    }

    QProcess child;
    child.setStandardInputFile(QProcess::nullDevice());
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(words[0], words.mid(1));
    if (!child.waitForStarted())
        return false;
    state = RunRunning;

    auto running = [&child] { return child.state() != QProcess::NotRunning; };
    while (running() && !child.waitForFinished(10) && state != RunAborting)
        QCoreApplication::processEvents();
    if (running() && !child.waitForFinished(10) && state == RunAborting)
        child.kill();
    // Reap the child so nothing of it outlives its entry.
    if (running())
        child.waitForFinished(1000);
    return true;
}

}  // namespace

void TVeskForm::StartBtnClick()
{
    if (State == RunAborting)
        return;
    if (State == RunRunning) {
        State = RunAborting;
        StartBtn->setText(QStringLiteral("Aborting"));
        StartBtn->setEnabled(false);
        return;
    }

    StartBtn->setText(QStringLiteral("Abort"));
    const double totalBytes = SumFileSizes(false);
    double doneBytes = 0;
    const std::time_t startTime = std::time(nullptr);

    for (int i = 0; i < FileListBox->count() && State != RunAborting; ++i) {
        // The entry is read once, before its child starts: entries removed
        // during the run cannot shift what this one reads afterwards.
        const QString entry = FileListBox->item(i)->text();
        const std::string inputPath = ToNarrowString(entry);
        const QString folder = SourceBtn->isChecked() ? FolderPartOf(entry) : DirNameEdit->text();

        std::string toolPath;
        QString extension;
        if (BrenmoFound && Pelk::vesk::HasStreamHeader(inputPath)) {
            toolPath = BrenmoPath;
            extension = AscExtEdit->text();
        } else if (CalvioFound && Pelk::vesk::HasTextHeader(inputPath)) {
            toolPath = CalvioPath;
            extension = GdsExtEdit->text();
        } else {
            continue;
        }

        const std::string outputPath = ToNarrowString(folder + ReplaceExtension(NamePartOf(entry), extension));
        const std::string commandLine = ConverterCommandLine(toolPath, inputPath, outputPath);
        if (!runConverter(commandLine, toolPath, inputPath, outputPath, State)) {
            State = RunIdle;
            continue;
        }

        doneBytes += static_cast<double>(GetFileSize64(inputPath).value_or(0));
        ProgressBar1->setValue(ProgressPosition(doneBytes, totalBytes));
        TimeLabel->setText(TimeEstimateText(doneBytes, totalBytes, std::time(nullptr) - startTime));
    }

    State = RunIdle;
    StartBtn->setText(QStringLiteral("Start"));
    StartBtn->setEnabled(true);
    TimeLabel->setText(QStringLiteral("0"));
    ProgressBar1->setValue(0);
}
