#include "conversion_run.hpp"





extern char** environ;

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

QString ConversionFailureText(const std::vector<ConversionFailure>& failures, int entriesInRun)
{
    QString text = QStringLiteral("%1 of %2 %3 could not be converted:")
                       .arg(failures.size())
                       .arg(entriesInRun)
                       .arg(entriesInRun == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    for (const ConversionFailure& failure : failures)
        text += QLatin1Char('\n') + failure.entry + QStringLiteral(" (") + failure.outcome + QLatin1Char(')');
    return text;
}
