#include "conversion_run.hpp"
#include "file_list.hpp"
#include "form_test_support.hpp"
#include "parser_nodes.hpp"
#include "test_files.hpp"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <cerrno>

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

}  // namespace

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
        QCOMPARE(line("/out", ".gdsasc"), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"/outa.gdsasc\""));
        QCOMPARE(line("./", "txt"), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"./atxt\""));
        QCOMPARE(line("./", ""), std::string("\"/opt/pelk/bin/brenmo\" \"/data/a.gds\" \"./a\""));

        const QStringList names = {ReplaceExtension("a.b.gds", ".x"), ReplaceExtension("noext", ".x"),
                                   ReplaceExtension(".hidden", ".x"), ReplaceExtension("a.", ".x")};
        QCOMPARE(names, (QStringList{"a.b.x", "noext.x", ".x", "a.x"}));
        QCOMPARE(FolderPartOf("name.gds"), QString());
        QCOMPARE(NamePartOf("/a/b/"), QString());
    }

    void failureTextCountsAndListsTheFailedEntries()
    {
        QCOMPARE(ConversionFailureText({{"/d/a.gds", "exit status 1"}}, 1),
                 QString("1 of 1 file could not be converted:\n/d/a.gds (exit status 1)"));
        QCOMPARE(ConversionFailureText({{"/d/a.gds", "exit status 2"}, {"/d/b c.asc", "could not be started"}}, 5),
                 QString("2 of 5 files could not be converted:\n/d/a.gds (exit status 2)\n/d/b c.asc (could not be started)"));
    }

    void progressAndTimeEstimate()
    {
        QCOMPARE(ProgressPosition(0, 0), 0);
        QCOMPARE(ProgressPosition(1, 3), 33);
        QCOMPARE(ProgressPosition(2, 3), 66);
        QCOMPARE(ProgressPosition(3, 3), 100);
        QCOMPARE(TimeEstimateText(0, 0, 5), QString("evaluating"));
        // 100 equal files: one done is still within 2 %; three done in 6 s project 200 s.
        QCOMPARE(TimeEstimateText(1, 100, 2), QString("evaluating"));
        QCOMPARE(TimeEstimateText(2, 100, 4), QString("evaluating"));
        QCOMPARE(TimeEstimateText(3, 100, 6), QString("200"));
        QCOMPARE(TimeEstimateText(3, 100, 0), QString("0"));
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
        // Everything started converted; the skipped file is no failure.
        QCOMPARE(t.dialogs->messages, QStringList());
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

        QCOMPARE(readFile(t.path("outatxt")), recorded("brenmo", t.path("data/a.gds"), t.path("outatxt")));
        QCOMPARE(readFile(t.path("outb")), recorded("calvio", t.path("data/b.asc"), t.path("outb")));
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
        QCOMPARE(calvioOnly.dialogs->messages, QStringList());
        QCOMPARE(broken.dialogs->messages,
                 QStringList{"1 of 2 files could not be converted:\n" + broken.path("data/a.gds") + " (could not be started)"});
        QCOMPARE(broken.dialogs->messageParents, QList<QWidget*>{&f});
        QCOMPARE(f.State, RunIdle);
    }

    void aFailingToolIsReportedOnceTheRunEnds()
    {
        // calvio writes part of its output, then fails.
        FormWithTools t(recordingBrenmo, QByteArray("#!/bin/sh\nprintf partial > \"$2\"\nexit 1\n"));
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
                 QStringList{"1 of 3 files could not be converted:\n" + t.path("data/b.asc") + " (exit status 1)"});
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
                 QStringList{"3 of 5 files could not be converted:\n"
                             + t.path("data/signal.gds") + " (killed by signal 9)\n"
                             + t.path("data/text.asc") + " (could not be started)\n"
                             + t.path("data/three.gds") + " (exit status 3)"});
        QCOMPARE(readFile(t.path("data/a.gdsasc")), recorded("brenmo", t.path("data/a.gds"), t.path("data/a.gdsasc")));
        QCOMPARE(f.State, RunIdle);
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

    void secondClickAbortsTheRunningChild()
    {
        FormWithTools t(QByteArray("#!/bin/sh\necho $$ > \"$2\"\nexec sleep 30\n"), QByteArray());
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), streamContent);
        writeFile(t.path("data/b.gds"), streamContent);
        t.addFiles({t.path("data/a.gds"), t.path("data/b.gds")});

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
        QCOMPARE(t.dialogs->messages, QStringList{"Stop running processes before closing application"});
        QVERIFY2(abortTook < 1000, qPrintable(QString::number(abortTook)));
        QCOMPARE(::kill(static_cast<pid_t>(pid), 0), -1);
        QCOMPARE(errno, ESRCH);
        QCOMPARE(QFileInfo::exists(t.path("data/b.gdsasc")), false);
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QCOMPARE(f.TimeLabel->text(), QString("0"));
        QCOMPARE(f.ProgressBar1->value(), 0);
        QCOMPARE(f.State, RunIdle);
    }
};

QTEST_MAIN(ConversionRunTests)
#include "conversion_run_tests.moc"
