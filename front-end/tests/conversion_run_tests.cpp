#include "conversion_run.hpp"
#include "converter_child.hpp"
#include "file_list.hpp"
#include "form_test_support.hpp"
#include "parser_nodes.hpp"
#include "test_files.hpp"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <cerrno>
#include <stdexcept>

namespace {

const QByteArray streamContent = QByteArray("\x00\x06\x00\x02\x02\x58", 6) + QByteArray(94, '\x11');
const QByteArray textContent =
    QByteArray("VERSION 600\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03] LIB\n").leftJustified(100, ' ');

// Stand-ins that write their name and arguments into the output they are given.
const QByteArray recordingBrenmo = "#!/bin/sh\nprintf '%s\\n' brenmo \"$@\" > \"$2\"\n";
const QByteArray recordingCalvio = "#!/bin/sh\nprintf '%s\\n' calvio \"$@\" > \"$2\"\n";

QByteArray recorded(const QString& tool, const QString& input, const QString& output)
{
    return (tool + "\n" + input + "\n" + output + "\n").toUtf8();
}

// What a child writes, read by read: the stream (0 output, 1 error) and the bytes.
using Chunks = QList<QPair<int, QByteArray>>;

// A line of the report holds 80 characters here; a longer piece keeps its
// first 39 and last 40 around an ellipsis.
QString fitTo80(const QString& piece)
{
    return piece.size() <= 80 ? piece : piece.left(39) + QChar(0x2026) + piece.right(40);
}

// Drives a run as the window does, each child a stand-in tool, to its end.
RunOutcomes runToItsEnd(ConversionRun& run)
{
    RunState state = RunIdle;
    while (const std::optional<EntryPlan> plan = run.nextEntry())
        run.childEnded(runConverter(plan->toolPath, plan->inputPath, plan->outputPath, state));
    return run.outcomes();
}

// A window over two streams whose brenmo writes its process id into the
// output and sleeps, so that a test can act while the first child runs.
struct SleepingBrenmoOverTwoStreams : FormWithTools {
    SleepingBrenmoOverTwoStreams() : FormWithTools(QByteArray("#!/bin/sh\necho $$ > \"$2\"\nexec sleep 30\n"), QByteArray())
    {
        writeFile(path("data/a.gds"), streamContent);
        writeFile(path("data/b.gds"), streamContent);
        addFiles({path("data/a.gds"), path("data/b.gds")});
    }
};

}  // namespace

Q_DECLARE_METATYPE(RunOutcomes)

class ConversionRunTests : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Pelk::vesk::initBlankTable(); }

    void commandLinesAndOutputNames()
    {
        const QString entry = "/data/a.gds";
        auto line = [&](const QString& folder, const QString& extension) {
            return ConverterCommandLine("/opt/pelk/bin/brenmo", ToNarrowString(entry),
                                        ToNarrowString(folder + ReplaceExtension(NamePartOf(entry), extension)));
        };
        QCOMPARE(line(FolderPartOf(entry), ".gdsasc"),
                 std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"/data/a.gdsasc\""));
        QCOMPARE(line("/out/", ".gdsasc"), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"/out/a.gdsasc\""));
        QCOMPARE(line("./", "txt"), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"./atxt\""));
        QCOMPARE(line("./", ""), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"./a\""));

        const QStringList names = {ReplaceExtension("a.b.gds", ".x"), ReplaceExtension("noext", ".x"),
                                   ReplaceExtension(".hidden", ".x"), ReplaceExtension("a.", ".x")};
        QCOMPARE(names, (QStringList{"a.b.x", "noext.x", ".x", "a.x"}));
        QCOMPARE(FolderPartOf("name.gds"), QString());
        QCOMPARE(NamePartOf("/a/b/"), QString());
    }

    void typedFolderHoldsTheOutput_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("output");
        QTest::newRow("empty") << "" << "./a.gdsasc";
        QTest::newRow("current") << "./" << "./a.gdsasc";
        QTest::newRow("dot") << "." << "./a.gdsasc";
        QTest::newRow("absolute") << "/data/out" << "/data/out/a.gdsasc";
        QTest::newRow("absolute with /") << "/data/out/" << "/data/out/a.gdsasc";
        QTest::newRow("root") << "/" << "/a.gdsasc";
        QTest::newRow("relative") << "out" << "out/a.gdsasc";
        QTest::newRow("blank") << " " << " /a.gdsasc";
        QTest::newRow("doubled /") << "/data//" << "/data//a.gdsasc";
    }

    void typedFolderHoldsTheOutput()
    {
        QFETCH(QString, typed);
        QFETCH(QString, output);
        QCOMPARE(TypedOutputFolder(typed) + ReplaceExtension("a.gds", ".gdsasc"), output);
    }

    void reportTextForEachCause_data()
    {
        QTest::addColumn<RunOutcomes>("outcomes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("details");
        using E = EntryOutcome;
        QTest::newRow("failed with the tool's line")
            << RunOutcomes{1, {{E::Failed, "/d/a.gds", "ERROR[20011] \tParsing failed at position 66"}}, 0}
            << "0 of 1 file was converted.\n\nFailed:\n/d/a.gds (ERROR[20011] \tParsing failed at position 66)"
            << "";
        QTest::newRow("refused")
            << RunOutcomes{3, {{E::Refused, "/d/chip.gds2", "/d/chip.gdsasc"}, {E::Refused, "/d/chip.gdsasc", "/d/chip.gds2"}}, 0}
            << "1 of 3 files were converted.\n\nRefused:\n/d/chip.gds2 (its output would overwrite /d/chip.gdsasc)\n"
               "/d/chip.gdsasc (its output would overwrite /d/chip.gds2)"
            << "";
        QTest::newRow("skipped")
            << RunOutcomes{2, {{E::Skipped, "/d/b.gds", "neither a stream file nor a text form"}}, 0}
            << "1 of 2 files were converted.\n\nSkipped:\n/d/b.gds (neither a stream file nor a text form)" << "";
        QTest::newRow("not started")
            << RunOutcomes{1, {{E::NotStarted, "/d/a.asc", "calvio could not be started: Permission denied"}}, 0}
            << "0 of 1 file was converted.\n\nNot started:\n/d/a.asc (calvio could not be started: Permission denied)"
            << "";
        QTest::newRow("aborted, entries not reached")
            << RunOutcomes{4, {{E::Aborted, "/d/b.gds", "/o/b.gdsasc"}}, 2}
            << "1 of 4 files were converted. The run was aborted before 2 more entries.\n\nAborted:\n"
               "/d/b.gds (stopped part-way, its output is incomplete: /o/b.gdsasc)"
            << "";
        QTest::newRow("aborted as the child ended")
            << RunOutcomes{3, {}, 1} << "2 of 3 files were converted. The run was aborted before 1 more entry." << "";
        QTest::newRow("every cause, grouped in order")
            << RunOutcomes{9,
                           {{E::Aborted, "/d/1", "/d/1.o"}, {E::NotStarted, "/d/2", "brenmo could not be started: x"},
                            {E::Skipped, "/d/3", "could not be read"}, {E::Failed, "/d/4", "exit status 1"},
                            {E::Refused, "/d/5", "/d/6"}, {E::Failed, "/d/7", "exit status 2"}},
                           0}
            << "3 of 9 files were converted.\n\nFailed:\n/d/4 (exit status 1)\n/d/7 (exit status 2)\n\nRefused:\n"
               "/d/5 (its output would overwrite /d/6)\n\nSkipped:\n/d/3 (could not be read)\n\nNot started:\n"
               "/d/2 (brenmo could not be started: x)\n\nAborted:\n/d/1 (stopped part-way, its output is incomplete: /d/1.o)"
            << "";

        QTest::newRow("a line too long for the box takes two, whole")
            << RunOutcomes{2, {{E::Refused, "/data/cells/library_two/inverter.gds", "/data/cells/library_one/inverter.gds", true}}, 0}
            << "1 of 2 files were converted.\n\nRefused:\n/data/cells/library_two/inverter.gds\n"
               "(its output would replace the output of /data/cells/library_one/inverter.gds)"
            << "";
        const QString longPath = "/data/" + QString(200, 'a') + "/b.gds";
        QTest::newRow("a path too long for a line loses its middle, and the details keep it")
            << RunOutcomes{1, {{E::Aborted, longPath, "/o/b.gdsasc"}}, 0}
            << "0 of 1 file was converted.\n\nAborted:\n/data/" + QString(33, 'a') + QChar(0x2026)
                   + QString(34, 'a') + "/b.gds\n(stopped part-way, its output is incomplete: /o/b.gdsasc)"
            << "Aborted:\n" + longPath + " (stopped part-way, its output is incomplete: /o/b.gdsasc)";

        const QString controls = QString("\n\r\t\x01\x1f\x7f") + QChar(0x2028) + QChar(0x2029);
        const QString fed = "/d/a" + controls + "b.gds", fedOutput = "/o/a\n\nb.gds2";
        QTest::newRow("control characters in paths and tools' lines show as '?', the details keep them")
            << RunOutcomes{4,
                           {{E::Failed, "/d/t\tu\r.asc", "ERROR[30005] \tCannot open input file: /d/t\tu\r.asc"},
                            {E::Refused, fed, "/d/x\ny.gds", true}, {E::Aborted, fed, fedOutput}},
                           0}
            << "1 of 4 files were converted.\n\nFailed:\n/d/t?u?.asc (ERROR[30005] \tCannot open input file: /d/t\tu?.asc)"
               "\n\nRefused:\n/d/a????????b.gds (its output would replace the output of /d/x?y.gds)\n\nAborted:\n"
               "/d/a????????b.gds (stopped part-way, its output is incomplete: /o/a??b.gds2)"
            << "Failed:\n/d/t\tu\r.asc (ERROR[30005] \tCannot open input file: /d/t\tu\r.asc)\n\nRefused:\n" + fed
                   + " (its output would replace the output of /d/x\ny.gds)\n\nAborted:\n" + fed
                   + " (stopped part-way, its output is incomplete: " + fedOutput + ")";

        QString directions;
        for (const char16_t unit : {0x200E, 0x200F, 0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069})
            directions += QChar(unit);
        const QString reversing = "/d/cell" + QString(QChar(0x202E)) + "A_sdg.gds";
        // Their neighbours stay as they are.
        const QString neighbours = "/d/" + QString(QChar(0x200D)) + QChar(0x2010) + QChar(0x202F) + QChar(0x2065)
                                   + QChar(0x206A) + ".gds";
        QTest::newRow("marks and overrides of direction in paths and tools' lines show as '?', the details keep them")
            << RunOutcomes{3,
                           {{E::Failed, "/d/" + directions + ".asc",
                             "ERROR[30005] \tCannot open input file: /d/" + directions + ".asc"},
                            {E::Skipped, reversing, "neither a stream file nor a text form"},
                            {E::Skipped, neighbours, "neither a stream file nor a text form"}},
                           0}
            << "0 of 3 files were converted.\n\nFailed:\n/d/???????????.asc (ERROR[30005] \tCannot open input file: "
               "/d/???????????.asc)\n\nSkipped:\n/d/cell?A_sdg.gds (neither a stream file nor a text form)\n"
                   + neighbours + " (neither a stream file nor a text form)"
            << "Failed:\n/d/" + directions + ".asc (ERROR[30005] \tCannot open input file: /d/" + directions
                   + ".asc)\n\nSkipped:\n" + reversing + " (neither a stream file nor a text form)\n" + neighbours
                   + " (neither a stream file nor a text form)";

        // Ten entries fit the message; an eleventh sends the whole list to the details.
        RunOutcomes ten{150, {}, 0}, twelve{150, {}, 0};
        QString failedLines;
        for (int i = 0; i < 10; ++i) {
            ten.notConverted.push_back({E::Failed, QString("/d/%1").arg(i), "exit status 1"});
            failedLines += QString("\n/d/%1 (exit status 1)").arg(i);
        }
        QTest::newRow("ten entries") << ten << "140 of 150 files were converted.\n\nFailed:" + failedLines << "";
        twelve.notConverted = ten.notConverted;
        twelve.notConverted.resize(9);
        for (const char* name : {"/d/x", "/d/y", "/d/z"})
            twelve.notConverted.push_back({E::Skipped, name, "neither a stream file nor a text form"});
        const QString nineFailed = failedLines.left(failedLines.lastIndexOf('\n'));
        QTest::newRow("twelve entries")
            << twelve
            << "138 of 150 files were converted.\n\nFailed:" + nineFailed
                   + "\n\nSkipped:\n/d/x (neither a stream file nor a text form)\n\n... and 2 more, listed in the details."
            << "Failed:" + nineFailed
                   + "\n\nSkipped:\n/d/x (neither a stream file nor a text form)\n"
                     "/d/y (neither a stream file nor a text form)\n/d/z (neither a stream file nor a text form)";
    }

    void reportTextForEachCause()
    {
        QFETCH(RunOutcomes, outcomes);
        const RunReport report = RunReportText(outcomes, fitTo80);
        QTEST(report.text, "text");
        QTEST(report.details, "details");
    }

    void reportBoxFitsTheScreenAndItsTextCanBeCopied_data()
    {
        QTest::addColumn<RunOutcomes>("outcomes");
        QTest::addColumn<int>("labelPointSize");  // 0: the label's font is the box's
        QTest::addColumn<QString>("styleSheet");  // the application's
        RunOutcomes many{150, {}, 0};
        for (int i = 0; i < 150; ++i)
            many.notConverted.push_back({EntryOutcome::Failed, QString("/data/layouts/block_%1.gds").arg(i),
                                         "ERROR[20011] \tParsing failed at position 66"});
        QTest::newRow("150 entries") << many << 0 << "";
        RunOutcomes fed{10, {}, 0};
        for (int i = 0; i < 10; ++i)
            fed.notConverted.push_back({EntryOutcome::Skipped, QString("/data/%1").arg(i) + QString(200, '\n') + ".gds",
                                        "neither a stream file nor a text form"});
        QTest::newRow("ten names of 200 line feeds") << fed << 0 << "";
        // Paths of 4,049 bytes, one with blanks the box could wrap at; where
        // the folder names break the line decides whether a line too wide wraps.
        for (const int folderName : {1, 4, 7, 10, 13, 21}) {
            const QString folder = "/" + QString(folderName, 'f');
            const QString deep = "/data" + folder.repeated((4049 - 5 - 6) / folder.size()).leftJustified(4049 - 5 - 6, 'g');
            RunOutcomes longPaths{3, {}, 0};
            longPaths.notConverted = {
                {EntryOutcome::Failed, deep + "/a.gds", "ERROR[20005] \tCannot open input file: " + deep + "/a.gds"},
                {EntryOutcome::Refused, deep + "/b c d e f g.gds", deep + "/a.gds", true},
                {EntryOutcome::Aborted, deep + "/c.gds", deep + "/c.gdsasc"}};
            QTest::addRow("three paths of 4,049 bytes, folder names of %d", folderName) << longPaths << 0 << "";
            if (folderName == 13) {
                QTest::addRow("three paths of 4,049 bytes, a label font apart from the box's") << longPaths << 14 << "";
                QTest::addRow("three paths of 4,049 bytes, labels padded by a style sheet")
                    << longPaths << 0 << "QLabel { padding: 12px; }";
                QTest::addRow("three paths of 4,049 bytes, labels framed by a style sheet")
                    << longPaths << 0 << "QLabel { border: 1px solid black; }";
            }
        }
    }

    // Each entry takes at most its two lines: no line of the text wraps.
    void reportBoxFitsTheScreenAndItsTextCanBeCopied()
    {
        QFETCH(RunOutcomes, outcomes);
        QFETCH(int, labelPointSize);
        QFETCH(QString, styleSheet);
        const QFont labelFont = QApplication::font("QLabel");
        const auto restoreFont = qScopeGuard([&] { QApplication::setFont(labelFont, "QLabel"); });
        qApp->setStyleSheet(styleSheet);
        const auto restoreStyle = qScopeGuard([] { qApp->setStyleSheet(QString()); });
        if (labelPointSize > 0) {
            QFont larger = labelFont;
            larger.setPointSize(labelPointSize);
            QApplication::setFont(larger, "QLabel");
            QVERIFY(QApplication::font("QMessageBox") != larger);
        }
        QWidget window;
        VeskDialogs dialogs;
        const RunReport report =
            RunReportText(outcomes, [&](const QString& piece) { return dialogs.fitToReportLine(&window, piece); });
        QVERIFY(!report.details.isEmpty());
        for (const EntryOutcome& outcome : outcomes.notConverted)
            QVERIFY(report.details.contains(outcome.entry + " ("));
        const std::unique_ptr<QMessageBox> box = makeReportBox(&window, report.text, report.details);
        QCOMPARE(box->text(), report.text);
        QCOMPARE(box->detailedText(), report.details);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        box->show();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        const QRect screen = box->screen()->availableGeometry();
        QVERIFY2(box->frameGeometry().height() <= screen.height() && box->frameGeometry().width() <= screen.width(),
                 qPrintable(QString("%1x%2 on %3x%4").arg(box->frameGeometry().width()).arg(box->frameGeometry().height())
                                .arg(screen.width()).arg(screen.height())));
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        QVERIFY(label);
        if (labelPointSize > 0)
            QCOMPARE(label->font().pointSize(), labelPointSize);
        QCOMPARE(label->heightForWidth(label->width()), label->heightForWidth(QWIDGETSIZE_MAX));

        // The keyboard alone reaches the text and copies it.
        for (int tab = 0; tab < 4 && !label->hasFocus(); ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(label->hasFocus());
        QApplication::clipboard()->clear();
        QTest::keyClick(label, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), report.text);
    }

    void errorLineScannerKeepsTheLastErrorLine_data()
    {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("none") << Chunks{{0, "banner\n"}, {1, "all fine\n"}} << QByteArray();
        QTest::newRow("on standard error")
            << Chunks{{1, "\n===\n\nERROR[20008] \tUnknown exception.\n"}} << QByteArray("ERROR[20008] \tUnknown exception.");
        QTest::newRow("split across reads") << Chunks{{0, "ERR"}, {0, "OR[1] a"}, {0, "b\nnext"}} << QByteArray("ERROR[1] ab");
        QTest::newRow("the later of two streams")
            << Chunks{{1, "ERROR[1] first\n"}, {0, "ERROR[2] second\n"}, {1, "trailing\n"}} << QByteArray("ERROR[2] second");
        QTest::newRow("the other stream does not cut a line")
            << Chunks{{0, "ERROR[3] out"}, {1, "noise\n"}, {0, " end\n"}} << QByteArray("ERROR[3] out end");
        QTest::newRow("only at a line start") << Chunks{{0, "see ERROR[4] x\n"}} << QByteArray();
        QTest::newRow("last line without line feed") << Chunks{{0, "x\nERROR[5] last"}} << QByteArray("ERROR[5] last");
        QTest::newRow("CR LF") << Chunks{{0, "ERROR[6] crlf\r\n"}} << QByteArray("ERROR[6] crlf");
        const QByteArray overlong = "ERROR[7] " + QByteArray(10000, 'x');
        QTest::newRow("an overlong line is kept to the limit")
            << Chunks{{1, overlong.left(3000)}, {1, overlong.mid(3000) + "\n"}} << overlong.left(4096);
    }

    void errorLineScannerKeepsTheLastErrorLine()
    {
        QFETCH(Chunks, chunks);
        ErrorLineScanner scanner;
        for (const auto& [stream, bytes] : chunks)
            scanner.take(stream, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        scanner.finish();
        QTEST(QByteArray::fromStdString(scanner.lastErrorLine()), "line");
    }

    void outputThatIsAnEntryIsFound()
    {
        QTemporaryDir dir;
        const std::string root = ToNarrowString(dir.path()) + "/";
        for (const char* name : {"list/a.gds", "list/b.asc", "elsewhere/c.real", "elsewhere/other"})
            writeFile(dir.filePath(name), name);
        QDir().mkpath(dir.filePath("list/sub"));
        std::filesystem::create_hard_link(root + "list/a.gds", root + "list/hard.gdsasc");
        std::filesystem::create_symlink(root + "list/b.asc", root + "list/soft.gds2");
        std::filesystem::create_symlink(root + "elsewhere/c.real", root + "list/c.gds");
        const std::vector<std::string> entries = {root + "list/a.gds", root + "list/b.asc", root + "list/c.gds",
                                                  root + "list/gone.gds"};
        const ProtectedFiles listed(entries);
        const QString current = QDir::currentPath();
        QDir::setCurrent(dir.filePath("list"));

        const std::pair<std::string, std::optional<std::size_t>> cases[] = {
            {root + "list/a.gds", 0},                   // the same path
            {root + "list/sub/..//./b.asc", 1},         // the same path written otherwise
            {"./a.gds", 0},                             // relative to the current folder
            {root + "list/hard.gdsasc", 0},             // a hard link to an entry
            {root + "list/soft.gds2", 1},               // a symbolic link to an entry
            {root + "elsewhere/c.real", 2},             // the file a linked entry reaches
            {root + "list/gone.gds", 3},                // an entry that is not there
            {root + "list/a.gdsasc", std::nullopt},     // a new file
            {root + "elsewhere/other", std::nullopt},   // a file that is no entry
        };
        QStringList wrong;
        for (const auto& [output, entry] : cases) {
            const std::optional<ProtectedFiles::Owner> owner = listed.OwnerOf(output);
            if (owner.has_value() != entry.has_value() || (owner && (owner->entry != entries[*entry] || owner->ofOutput)))
                wrong << QString::fromStdString(output);
        }
        QDir::setCurrent(current);
        QCOMPARE(wrong, QStringList());
    }

    // Each row's first entry is converted, or fails after writing its
    // output; that output must come out as its own child wrote it, and the
    // report name whoever was refused for it.
    void anOutputOfTheRunIsNeverReplaced_data()
    {
        QTest::addColumn<QStringList>("streams");  // stream files to lay out
        QTest::addColumn<QStringList>("links");    // "link>target" pairs, relative to the link's folder
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("outputFolder");  // empty: beside each source
        QTest::addColumn<QString>("firstOutput");
        QTest::addColumn<QString>("report");  // paths relative to the row's folder
        QTest::newRow("one folder, two extensions")
            << QStringList{"d/x.gds", "d/x.strm"} << QStringList() << QStringList{"d/x.gds", "d/x.strm"} << ""
            << "d/x.gdsasc"
            << "1 of 2 files were converted.\n\nRefused:\nd/x.strm (its output would replace the output of d/x.gds)";
        QTest::newRow("two folders into one output folder")
            << QStringList{"lib1/inv.gds", "lib2/inv.gds", "lib2/nand.gds"} << QStringList()
            << QStringList{"lib1/inv.gds", "lib2/inv.gds", "lib2/nand.gds"} << "out" << "out/inv.gdsasc"
            << "2 of 3 files were converted.\n\nRefused:\nlib2/inv.gds (its output would replace the output of lib1/inv.gds)";
        QTest::newRow("one folder listed through a linked one")
            << QStringList{"lib/a.gds"} << QStringList{"alias>lib"} << QStringList{"alias/a.gds", "lib/a.gds"} << ""
            << "alias/a.gdsasc"
            << "1 of 2 files were converted.\n\nRefused:\nlib/a.gds (its output would replace the output of alias/a.gds)";
        QTest::newRow("an output linked to an earlier one")
            << QStringList{"d/a.gds", "d/b.gds"} << QStringList{"d/b.gdsasc>a.gdsasc"} << QStringList{"d/a.gds", "d/b.gds"}
            << "" << "d/a.gdsasc"
            << "1 of 2 files were converted.\n\nRefused:\nd/b.gds (its output would replace the output of d/a.gds)";
        QTest::newRow("the kept output of an entry that failed")
            << QStringList{"d/fails.gds", "d/fails.strm"} << QStringList() << QStringList{"d/fails.gds", "d/fails.strm"}
            << "" << "d/fails.gdsasc"
            << "0 of 2 files were converted.\n\nFailed:\nd/fails.gds (exit status 1)\n\nRefused:\n"
               "d/fails.strm (its output would replace the output of d/fails.gds)";
        QTest::newRow("a file that is neither entry nor output is overwritten")
            << QStringList{"d/a.gds", "d/a.gdsasc"} << QStringList() << QStringList{"d/a.gds"} << "" << "d/a.gdsasc"
            << "1 of 1 file was converted.";
    }

    void anOutputOfTheRunIsNeverReplaced()
    {
        QFETCH(QStringList, streams);
        QFETCH(QStringList, links);
        QFETCH(QStringList, entries);
        QFETCH(QString, outputFolder);
        QFETCH(QString, firstOutput);
        QTemporaryDir dir;
        const QString root = dir.path() + "/";
        // An input whose name says so fails once its output is written.
        writeScript(root + "brenmo", recordingBrenmo + "case \"$1\" in *fails*) exit 1 ;; esac\n");
        QDir().mkpath(root + outputFolder);
        for (const QString& name : streams)
            writeFile(root + name, streamContent);
        for (const QString& link : links) {
            const QStringList ends = link.split('>');
            std::filesystem::create_symlink(ToNarrowString(ends[1]), ToNarrowString(root + ends[0]));
        }
        std::vector<std::string> listed;
        for (const QString& entry : entries)
            listed.push_back(ToNarrowString(root + entry));
        ConversionRun run(listed, {ToNarrowString(root + "brenmo"), "", outputFolder.isEmpty(), root + outputFolder,
                                   ".gdsasc", ".gds2"});
        const RunOutcomes outcomes = runToItsEnd(run);

        QCOMPARE(readFile(root + firstOutput), recorded("brenmo", root + entries[0], root + firstOutput));
        const RunReport report = RunReportText(outcomes, [](const QString& piece) { return piece; });
        QTEST(QString(report.text).replace(root, ""), "report");
    }

    void progressPosition()
    {
        QCOMPARE(ProgressPosition(0, 0), 0);
        QCOMPARE(ProgressPosition(1, 3), 33);
        QCOMPARE(ProgressPosition(2, 3), 66);
        QCOMPARE(ProgressPosition(3, 3), 100);
    }

    void timeLeft_data()
    {
        QTest::addColumn<double>("done");
        QTest::addColumn<double>("total");
        QTest::addColumn<long long>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing to count") << 0.0 << 0.0 << 5LL << "evaluating";
        // 100 equal files: up to two done is within 2 %.
        QTest::newRow("1 %") << 1.0 << 100.0 << 2LL << "evaluating";
        QTest::newRow("2 %") << 2.0 << 100.0 << 4LL << "evaluating";
        QTest::newRow("3 % in 6 s: 200 s in all") << 3.0 << 100.0 << 6LL << "194";
        QTest::newRow("3 % in 7 s: 233.3 s in all") << 3.0 << 100.0 << 7LL << "226";
        QTest::newRow("3 % at once") << 3.0 << 100.0 << 0LL << "0";
        QTest::newRow("80 % in 8 s") << 80.0 << 100.0 << 8LL << "2";
        QTest::newRow("all done") << 100.0 << 100.0 << 37LL << "0";
        QTest::newRow("more done than counted") << 110.0 << 100.0 << 50LL << "0";
    }

    void timeLeft()
    {
        QFETCH(double, done);
        QFETCH(double, total);
        QFETCH(long long, elapsed);
        QFETCH(QString, text);
        QCOMPARE(TimeEstimateText(done, total, elapsed), text);
    }

    void runConvertsStreamAndTextAndSkipsTheRest()
    {
        FormWithTools t(recordingBrenmo, recordingCalvio);
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), streamContent);
        writeFile(t.path("data/b two.asc"), textContent);
        writeFile(t.path("data/c.gds"), QByteArray(200, 'c'));
        t.addFiles({t.path("data/a.gds"), t.path("data/b two.asc"), t.path("data/c.gds")});

        QList<int> progress;
        connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(readFile(t.path("data/a.gdsasc")), recorded("brenmo", t.path("data/a.gds"), t.path("data/a.gdsasc")));
        QCOMPARE(readFile(t.path("data/b two.gds2")),
                 recorded("calvio", t.path("data/b two.asc"), t.path("data/b two.gds2")));
        QCOMPARE(QDir(t.path("data")).entryList(QDir::Files),
                 (QStringList{"a.gds", "a.gdsasc", "b two.asc", "b two.gds2", "c.gds"}));
        QCOMPARE(progress, (QList<int>{25, 50, 0}));
        QCOMPARE(t.dialogs->messages, QStringList{"2 of 3 files were converted.\n\nSkipped:\n" + t.path("data/c.gds")
                                                  + " (neither a stream file nor a text form)"});
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QVERIFY(f.StartBtn->isEnabled());
        QCOMPARE(f.TimeLabel->text(), QString("0"));
        QCOMPARE(f.ProgressBar1->value(), 0);
        QCOMPARE(f.State, RunIdle);
    }

    void runWritesIntoTheChosenFolderWithTheExtensionsAsTyped()
    {
        FormWithTools t(recordingBrenmo, recordingCalvio);
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), streamContent);
        writeFile(t.path("data/b.asc"), textContent);
        t.addFiles({t.path("data/a.gds"), t.path("data/b.asc")});
        QDir().mkpath(t.path("out"));
        QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        f.DirNameEdit->setText(t.path("out"));  // no trailing separator
        f.AscExtEdit->setText("txt");
        f.GdsExtEdit->setText("");
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(readFile(t.path("out/atxt")), recorded("brenmo", t.path("data/a.gds"), t.path("out/atxt")));
        QCOMPARE(readFile(t.path("out/b")), recorded("calvio", t.path("data/b.asc"), t.path("out/b")));
        QCOMPARE(QDir(t.dir.path()).entryList(QDir::Files), (QStringList{"brenmo", "calvio"}));
    }

    void missingOrBrokenToolsSkipTheirFiles()
    {
        // Only calvio: the stream file is skipped, since it is no text form either.
        FormWithTools calvioOnly(QByteArray(), recordingCalvio);
        writeFile(calvioOnly.path("data/a.gds"), streamContent);
        writeFile(calvioOnly.path("data/b.asc"), textContent);
        calvioOnly.addFiles({calvioOnly.path("data/a.gds"), calvioOnly.path("data/b.asc")});
        QTest::mouseClick(calvioOnly.form->StartBtn, Qt::LeftButton);
        QCOMPARE(QDir(calvioOnly.path("data")).entryList(QDir::Files), (QStringList{"a.gds", "b.asc", "b.gds2"}));

        // A brenmo that cannot be started: its file is skipped and the run goes on.
        FormWithTools broken(true, false);
        writeScript(broken.path("calvio"), recordingCalvio);
        broken.create(broken.path("vesk"));
        TVeskForm& f = *broken.form;
        writeFile(broken.path("data/a.gds"), streamContent);
        writeFile(broken.path("data/b.asc"), textContent);
        broken.addFiles({broken.path("data/a.gds"), broken.path("data/b.asc")});
        QList<int> progress;
        connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);
        QCOMPARE(QDir(broken.path("data")).entryList(QDir::Files), (QStringList{"a.gds", "b.asc", "b.gds2"}));
        QCOMPARE(progress, (QList<int>{50, 0}));
        QCOMPARE(calvioOnly.dialogs->messages, QStringList{"1 of 2 files were converted.\n\nSkipped:\n"
                                                           + calvioOnly.path("data/a.gds")
                                                           + " (a stream file, and brenmo was not found)"});
        QCOMPARE(broken.dialogs->messages, QStringList{"1 of 2 files were converted.\n\nNot started:\n"
                                                       + broken.path("data/a.gds")
                                                       + " (brenmo could not be started: Permission denied)"});
        QCOMPARE(broken.dialogs->messageParents, QList<QWidget*>{&f});
        QCOMPARE(f.State, RunIdle);
    }

    void aFailingToolIsReportedOnceTheRunEnds()
    {
        // calvio writes part of its output, then far more than a pipe holds
        // on standard error, then fails with its message on standard output.
        FormWithTools t(recordingBrenmo,
                        QByteArray("#!/bin/sh\nprintf partial > \"$2\"\necho 'ERROR[1] an earlier line' >&2\n"
                                   "head -c 300000 /dev/zero | tr '\\0' x >&2\n"
                                   "printf '\\nERROR[30011] \\tParsing failed at or around position 0:\\nVERSION\\n'\nexit 1\n"));
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), streamContent);
        writeFile(t.path("data/b.asc"), textContent);
        writeFile(t.path("data/c.gds"), streamContent);
        t.addFiles({t.path("data/a.gds"), t.path("data/b.asc"), t.path("data/c.gds")});

        QList<int> progress;
        connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
        // The message comes once the run is over and the window is idle again.
        QStringList atMessage;
        t.dialogs->onMessage = [&] {
            atMessage << QString("state %1").arg(f.State) << f.StartBtn->text() << f.TimeLabel->text()
                      << QString::number(f.ProgressBar1->value());
        };
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(atMessage, (QStringList{"state 0", "Start", "0", "0"}));
        QCOMPARE(t.dialogs->messages,
                 QStringList{"2 of 3 files were converted.\n\nFailed:\n" + t.path("data/b.asc")
                             + " (ERROR[30011] \tParsing failed at or around position 0:)"});
        QCOMPARE(t.dialogs->messageParents, QList<QWidget*>{&f});
        // The run went on after the failure, and counted the failed file as done.
        QCOMPARE(readFile(t.path("data/c.gdsasc")), recorded("brenmo", t.path("data/c.gds"), t.path("data/c.gdsasc")));
        QCOMPARE(readFile(t.path("data/b.gds2")), QByteArray("partial"));
        QCOMPARE(progress, (QList<int>{33, 66, 100, 0}));
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QVERIFY(f.StartBtn->isEnabled());
        QCOMPARE(f.State, RunIdle);
    }

    void everyKindOfFailureIsListedWithItsStatus()
    {
        // brenmo fails by exit status or by a signal as the input's name says;
        // calvio cannot be started at all.
        FormWithTools t(QByteArray("#!/bin/sh\ncase \"$1\" in\n*three*) exit 3 ;;\n*signal*) kill -9 $$ ;;\nesac\n"
                                   "printf '%s\\n' brenmo \"$@\" > \"$2\"\n"),
                        QByteArray("#!/bin/sh\n"));
        QFile::setPermissions(t.path("calvio"), QFile::ReadOwner | QFile::WriteOwner);
        TVeskForm& f = *t.form;
        QVERIFY(f.CalvioFound);
        for (const char* name : {"data/a.gds", "data/three.gds", "data/signal.gds"})
            writeFile(t.path(name), streamContent);
        writeFile(t.path("data/text.asc"), textContent);
        writeFile(t.path("data/neither.gds"), QByteArray(100, 'n'));
        t.addFiles({t.path("data/a.gds"), t.path("data/three.gds"), t.path("data/signal.gds"), t.path("data/text.asc"),
                    t.path("data/neither.gds")});
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(t.dialogs->messages,
                 QStringList{"1 of 5 files were converted.\n\nFailed:\n" + t.path("data/signal.gds")
                             + " (killed by signal 9)\n" + t.path("data/three.gds") + " (exit status 3)\n\nSkipped:\n"
                             + t.path("data/neither.gds") + " (neither a stream file nor a text form)\n\nNot started:\n"
                             + t.path("data/text.asc") + " (calvio could not be started: Permission denied)"});
        QCOMPARE(readFile(t.path("data/a.gdsasc")), recorded("brenmo", t.path("data/a.gds"), t.path("data/a.gdsasc")));
        QCOMPARE(f.State, RunIdle);
    }

    void anOutputThatIsAnEntryIsRefused()
    {
        // Two files of different designs under one name: each would be the
        // other's output with the default extensions.
        FormWithTools t(recordingBrenmo, recordingCalvio);
        TVeskForm& f = *t.form;
        const QByteArray otherText = QByteArray(textContent).replace(" LIB\n", " OTH\n");
        writeFile(t.path("data/chip.gds2"), streamContent);
        writeFile(t.path("data/chip.gdsasc"), otherText);
        writeFile(t.path("data/good.gds"), streamContent);
        t.dialogs->folders.push_back(t.path("data"));
        f.AddDirectoriesBtnClick();
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(readFile(t.path("data/chip.gds2")), streamContent);
        QCOMPARE(readFile(t.path("data/chip.gdsasc")), otherText);
        QCOMPARE(readFile(t.path("data/good.gdsasc")),
                 recorded("brenmo", t.path("data/good.gds"), t.path("data/good.gdsasc")));
        QCOMPARE(QDir(t.path("data")).entryList(QDir::Files),
                 (QStringList{"chip.gds2", "chip.gdsasc", "good.gds", "good.gdsasc"}));
        QCOMPARE(t.dialogs->messages,
                 QStringList{"1 of 3 files were converted.\n\nRefused:\n" + t.path("data/chip.gds2")
                             + " (its output would overwrite " + t.path("data/chip.gdsasc") + ")\n"
                             + t.path("data/chip.gdsasc") + " (its output would overwrite " + t.path("data/chip.gds2") + ")"});
        QCOMPARE(t.dialogs->details, QStringList{QString()});
    }

    void pathWithAQuoteConvertsUnderItsOwnName()
    {
        FormWithTools t(recordingBrenmo, QByteArray());
        const QString tricky = t.path("data/x\" \"victim.gds");
        writeFile(tricky, streamContent);
        t.addFiles({tricky});
        QTest::mouseClick(t.form->StartBtn, Qt::LeftButton);
        QCOMPARE(QDir(t.path("data")).entryList(QDir::Files), (QStringList{"x\" \"victim.gds", "x\" \"victim.gdsasc"}));
        QCOMPARE(readFile(t.path("data/x\" \"victim.gdsasc")),
                 recorded("brenmo", tricky, t.path("data/x\" \"victim.gdsasc")));
        QCOMPARE(t.dialogs->messages, QStringList());
    }

    void namesThatAreNotUtf8ConvertUnderTheirOwnBytes()
    {
        FormWithTools t(recordingBrenmo, recordingCalvio);
        QDir().mkpath(t.path("data"));
        const std::string folder = ToNarrowString(t.path("data")) + "/";
        const std::string tool = ToNarrowString(t.path("brenmo"));
        std::ofstream(folder + "caf\xe9.gds", std::ios::binary) << streamContent.toStdString();
        std::ofstream(folder + "\xff\"q\".asc", std::ios::binary) << textContent.toStdString();
        writeFile(t.path("data/z.gds"), streamContent);
        t.dialogs->folders.push_back(t.path("data"));
        t.form->AddDirectoriesBtnClick();
        QCOMPARE(t.form->FileListBox->count(), 3);
        QTest::mouseClick(t.form->StartBtn, Qt::LeftButton);
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        QCOMPARE(names, (std::vector<std::string>{"caf\xe9.gds", "caf\xe9.gdsasc", "z.gds", "z.gdsasc", "\xff\"q\".asc",
                                                  "\xff\"q\".gds2"}));
        using Pelk::testing::readWholeFile;
        QCOMPARE(readWholeFile(folder + "caf\xe9.gdsasc"),
                 "brenmo\n" + folder + "caf\xe9.gds\n" + folder + "caf\xe9.gdsasc\n");
        QCOMPARE(readWholeFile(folder + "\xff\"q\".gds2"),
                 "calvio\n" + folder + "\xff\"q\".asc\n" + folder + "\xff\"q\".gds2\n");
        QCOMPARE(t.dialogs->messages, QStringList());
    }

    void aBoxOpenDuringARunDoesNotHoldItUp_data()
    {
        QTest::addColumn<bool>("exit");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("About") << false << QStringList();
        QTest::newRow("File, Exit") << true << QStringList{"Stop running processes before closing application"};
    }

    // The box opens once the first child runs; every entry still converts,
    // and the box is still there as the run ends.
    void aBoxOpenDuringARunDoesNotHoldItUp()
    {
        FormWithTools t(QByteArray("#!/bin/sh\nprintf '%s\\n' brenmo \"$@\" > \"$2\"\nsleep 0.2\n"), QByteArray());
        TVeskForm& f = *t.form;
        t.dialogs->showMessageBoxes = true;
        QStringList files;
        for (const char* name : {"data/a.gds", "data/b.gds", "data/c.gds", "data/d.gds"}) {
            files << t.path(name);
            writeFile(files.back(), streamContent);
        }
        t.addFiles(files);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QFETCH(bool, exit);

        QPointer<QWidget> box;
        QString timeLeft;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!timeLeft.isNull() || !QFileInfo::exists(t.path("data/a.gdsasc")))
                return;
            timeLeft = f.TimeLabel->text();
            (exit ? f.Exit1 : f.About1)->trigger();
            box = QApplication::activeModalWidget();
        });
        poll.start(10);
        // A box that held the run up would be closed here, and the test fail
        // rather than hang.
        QTimer::singleShot(10000, this, [] {
            if (QWidget* stuck = QApplication::activeModalWidget())
                stuck->close();
        });
        QList<int> progress;
        connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);
        poll.stop();

        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->parentWidget(), &f);
        QCOMPARE(timeLeft, QString("evaluating"));
        for (const QString& file : files) {
            const QString output = QString(file).replace(".gds", ".gdsasc");
            QCOMPARE(readFile(output), recorded("brenmo", file, output));
        }
        QCOMPARE(progress, (QList<int>{25, 50, 75, 100, 0}));
        QTEST(t.dialogs->messages, "messages");
        QVERIFY(f.isVisible());
        box->close();
        QTRY_VERIFY(!box);
    }

    void secondClickAbortsTheRunningChild()
    {
        SleepingBrenmoOverTwoStreams t;
        TVeskForm& f = *t.form;

        qint64 pid = 0;
        QStringList seen;
        QElapsedTimer sinceAbort;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            const QByteArray written = readFile(t.path("data/a.gdsasc")).trimmed();
            if (pid != 0 || written.toLongLong() <= 0)
                return;
            pid = written.toLongLong();
            seen << f.StartBtn->text() + (f.StartBtn->isEnabled() ? " enabled" : " disabled");
            f.Exit1->trigger();
            seen << QString("visible %1").arg(f.isVisible());
            QTest::mouseClick(f.StartBtn, Qt::LeftButton);
            sinceAbort.start();
            seen << f.StartBtn->text() + (f.StartBtn->isEnabled() ? " enabled" : " disabled");
            QTest::mouseClick(f.StartBtn, Qt::LeftButton);  // ignored while aborting
            seen << QString("state %1").arg(f.State);
        });
        poll.start(20);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);
        const qint64 abortTook = sinceAbort.elapsed();
        poll.stop();

        QVERIFY(pid > 0);
        QCOMPARE(seen, (QStringList{"Abort enabled", "visible 1", "Aborting disabled", "state 2"}));
        QCOMPARE(t.dialogs->messages,
                 (QStringList{"Stop running processes before closing application",
                              "0 of 2 files were converted. The run was aborted before 1 more entry.\n\nAborted:\n"
                                  + t.path("data/a.gds") + " (stopped part-way, its output is incomplete: "
                                  + t.path("data/a.gdsasc") + ")"}));
        QVERIFY2(abortTook < 1000, qPrintable(QString::number(abortTook)));
        QCOMPARE(::kill(static_cast<pid_t>(pid), 0), -1);
        QCOMPARE(errno, ESRCH);
        QCOMPARE(QFileInfo::exists(t.path("data/b.gdsasc")), false);
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QCOMPARE(f.TimeLabel->text(), QString("0"));
        QCOMPARE(f.ProgressBar1->value(), 0);
        QCOMPARE(f.State, RunIdle);
    }

    // Something pumped during the wait throws: the exception leaves the run,
    // its child does not outlive it, and the window is idle again.
    void aRunEndedByAnExceptionLeavesNoChildAndAnIdleWindow()
    {
        SleepingBrenmoOverTwoStreams t;
        TVeskForm& f = *t.form;

        qint64 pid = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            pid = readFile(t.path("data/a.gdsasc")).trimmed().toLongLong();
            if (pid > 0) {
                poll.stop();
                throw std::runtime_error("thrown inside the run");
            }
        });
        poll.start(20);
        QString caught;
        try {
            f.StartBtnClick();
        } catch (const std::runtime_error& failure) {
            caught = failure.what();
        }

        QCOMPARE(caught, QString("thrown inside the run"));
        QVERIFY(pid > 0);
        QCOMPARE(::kill(static_cast<pid_t>(pid), 0), -1);
        QCOMPARE(errno, ESRCH);
        QCOMPARE(f.State, RunIdle);
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QCOMPARE(f.TimeLabel->text(), QString("0"));
        QCOMPARE(f.ProgressBar1->value(), 0);
        f.Timer1Timer();
        QVERIFY(f.StartBtn->isEnabled());
        QVERIFY(f.AddFilesBtn->isEnabled());
        QVERIFY(f.SourceBtn->isEnabled());
        QCOMPARE(QFileInfo::exists(t.path("data/b.gdsasc")), false);
        QCOMPARE(t.dialogs->messages, QStringList());
    }
};

QTEST_MAIN(ConversionRunTests)
#include "conversion_run_tests.moc"
