// A conversion run with the real brenmo and calvio built beside vesk: the
// outputs are exactly what the tools write when run by hand.
#include "file_list.hpp"
#include "form_test_support.hpp"
#include "parser_nodes.hpp"
#include "test_files.hpp"

#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <string>

namespace {

bool runByHand(const QString& tool, const QString& input, const QString& output)
{
    QProcess process;
    process.start(tool, {input, output});
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The last "ERROR[" line a tool prints on either stream when run by hand.
QString errorLineByHand(const QString& tool, const QString& input, const QString& output)
{
    QProcess process;
    process.start(tool, {input, output});
    process.waitForFinished(60000);
    QString line;
    for (const QByteArray& printed : (process.readAllStandardError() + process.readAllStandardOutput()).split('\n'))
        if (printed.startsWith("ERROR["))
            line = QString::fromUtf8(printed);
    return line;
}

}  // namespace

class RealToolsRunTests : public QObject {
    Q_OBJECT

    const QString binDir = QCoreApplication::applicationDirPath();
    QString tool(const char* name) const { return binDir + "/" + name; }

private slots:
    void initTestCase()
    {
        Pelk::vesk::initBlankTable();
        if (!QFileInfo(tool("brenmo")).isExecutable() || !QFileInfo(tool("calvio")).isExecutable())
            QSKIP("brenmo and calvio are not both part of this build");
    }

    void streamTextAndNeither()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("list/"), hand = dir.filePath("hand/");
        QDir().mkpath(list);
        QDir().mkpath(hand);
        QVERIFY(QFile::copy(PELK_FIXTURES_DIR "/openram_freepdk45_dff.gds", list + "s.gds"));
        QVERIFY(runByHand(tool("brenmo"), PELK_FIXTURES_DIR "/ihp_sg13g2_stdcell.gds", list + "t.gdsasc"));
        writeFile(list + "n.gds", "neither a stream nor a text form\n");

        QVERIFY(runByHand(tool("brenmo"), list + "s.gds", hand + "s.gdsasc"));
        QVERIFY(runByHand(tool("calvio"), list + "t.gdsasc", hand + "t.gds2"));

        FormWithTools t(binDir + "/vesk");
        TVeskForm& f = *t.form;
        QCOMPARE(f.BrenmoFound, true);
        QCOMPARE(f.CalvioFound, true);
        t.addFiles({list + "n.gds", list + "s.gds", list + "t.gdsasc"});
        QList<int> progress;
        connect(f.ProgressBar1, &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(readFile(list + "s.gdsasc"), readFile(hand + "s.gdsasc"));
        QCOMPARE(readFile(list + "t.gds2"), readFile(hand + "t.gds2"));
        QCOMPARE(QDir(list).entryList(QDir::Files), (QStringList{"n.gds", "s.gds", "s.gdsasc", "t.gds2", "t.gdsasc"}));
        QVERIFY(progress.size() >= 2 && progress.last() == 0);
        QVERIFY(*std::max_element(progress.begin(), progress.end()) < 100);
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        QCOMPARE(f.TimeLabel->text(), QString("0"));
        QCOMPARE(f.ProgressBar1->value(), 0);
    }

    void chipFilesStayAndBrokenInputsAreReported()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath("list/"), hand = dir.filePath("hand/");
        QDir().mkpath(list);
        QDir().mkpath(hand);
        const QString stream = PELK_FIXTURES_DIR "/openram_freepdk45_dff.gds";
        QVERIFY(QFile::copy(stream, list + "chip.gds2"));
        QVERIFY(runByHand(tool("brenmo"), PELK_FIXTURES_DIR "/ihp_sg13g2_stdcell.gds", list + "chip.gdsasc"));
        QVERIFY(QFile::copy(PELK_FIXTURES_DIR "/gf180mcu_as_sc_mcu7t3v3.gds", list + "good.gds"));
        writeFile(list + "empty.gds", QByteArray());
        QByteArray noise;
        for (quint32 x = 12345; noise.size() < 4096; x = x * 1103515245u + 12345u)
            noise += static_cast<char>(x >> 24);
        writeFile(list + "random.gds", noise);
        writeFile(list + "cut.gds", readFile(stream).left(500));
        const QByteArray chipStream = readFile(list + "chip.gds2"), chipText = readFile(list + "chip.gdsasc");
        QVERIFY(runByHand(tool("brenmo"), list + "good.gds", hand + "good.gdsasc"));
        const QString cutError = errorLineByHand(tool("brenmo"), list + "cut.gds", hand + "cut.gdsasc");
        QVERIFY(!cutError.isEmpty());

        FormWithTools t(binDir + "/vesk");
        TVeskForm& f = *t.form;
        t.dialogs->folders.push_back(dir.filePath("list"));
        f.AddDirectoriesBtnClick();
        QCOMPARE(f.FileListBox->count(), 6);
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        QCOMPARE(readFile(list + "chip.gds2"), chipStream);
        QCOMPARE(readFile(list + "chip.gdsasc"), chipText);
        QCOMPARE(readFile(list + "good.gdsasc"), readFile(hand + "good.gdsasc"));
        QCOMPARE(t.dialogs->messages,
                 QStringList{"1 of 6 files were converted.\n\nFailed:\n" + list + "cut.gds (" + cutError
                             + ")\n\nRefused:\n" + list + "chip.gds2 (its output would overwrite " + list
                             + "chip.gdsasc)\n" + list + "chip.gdsasc (its output would overwrite " + list
                             + "chip.gds2)\n\nSkipped:\n" + list + "empty.gds (neither a stream file nor a text form)\n"
                             + list + "random.gds (neither a stream file nor a text form)"});
    }

    void namesWithQuotesSpacesAndOtherBytesConvert()
    {
        ScratchDir dir;
        const QString list = dir.filePath("list/"), hand = dir.filePath("hand/");
        QDir().mkpath(list);
        QDir().mkpath(hand);
        const std::string folder = ToNarrowString(list);
        const QString stream = PELK_FIXTURES_DIR "/openram_freepdk45_dff.gds";
        QVERIFY(runByHand(tool("brenmo"), stream, hand + "s.gdsasc"));
        QVERIFY(runByHand(tool("calvio"), hand + "s.gdsasc", hand + "t.gds2"));

        // Stream files and a text form under names holding a double quote,
        // bytes that are not UTF-8, and a blank. (Not a blank and a double
        // quote in one name: the tools' own joined command line cannot
        // carry that, and they refuse it.)
        const std::string streams[] = {"a\"b.gds", "caf\xe9.gds", "with space.gds"};
        const std::string text = "\xff\"t\".gdsasc";
        for (const std::string& name : streams)
            QVERIFY(std::filesystem::copy_file(ToNarrowString(stream), folder + name));
        QVERIFY(std::filesystem::copy_file(ToNarrowString(hand + "s.gdsasc"), folder + text));

        FormWithTools t(binDir + "/vesk");
        TVeskForm& f = *t.form;
        f.IncSubDirBox->setChecked(false);
        t.dialogs->folders.push_back(dir.filePath("list"));
        f.AddDirectoriesBtnClick();
        QCOMPARE(f.FileListBox->count(), 4);
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);

        using Pelk::testing::readWholeFile;
        const std::string expectedText = readWholeFile(ToNarrowString(hand + "s.gdsasc"));
        QVERIFY(expectedText.size() > 1000);
        for (const std::string& name : streams) {
            const std::string output = folder + name.substr(0, name.size() - 4) + ".gdsasc";
            QVERIFY2(readWholeFile(output) == expectedText, output.c_str());
        }
        QVERIFY(readWholeFile(folder + "\xff\"t\".gds2") == readWholeFile(ToNarrowString(hand + "t.gds2")));
        std::size_t files = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
            ++files;
        QCOMPARE(files, std::size_t(8));
        QCOMPARE(t.dialogs->messages, QStringList());
    }
};

QTEST_MAIN(RealToolsRunTests)
#include "real_tools_run_tests.moc"
