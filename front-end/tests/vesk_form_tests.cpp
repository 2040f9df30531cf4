#include "file_list.hpp"
#include "form_test_support.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QAbstractButton>
#include <QTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <functional>

// One way a user changes the list or the run's options.
using FormEdit = std::function<void(FormWithTools&)>;
Q_DECLARE_METATYPE(FormEdit)

// more/0.gds, which sorts before the data/ entries, added by either button.
const FormEdit addByFileDialog = [](FormWithTools& t) {
    t.dialogs->files.push_back({t.path("more/0.gds")});
    QTest::mouseClick(t.form->AddFilesBtn, Qt::LeftButton);
};
const FormEdit addByFolderScan = [](FormWithTools& t) {
    t.dialogs->folders.push_back(t.path("more"));
    QTest::mouseClick(t.form->AddDirectoriesBtn, Qt::LeftButton);
};

class VeskFormTests : public QObject {
    Q_OBJECT

    // The enabled flags of the timer's controls, in its order, as 0 and 1.
    static QString enabledStates(const TVeskForm& f)
    {
        QString s;
        for (const QWidget* w : {static_cast<const QWidget*>(f.AddFilesBtn), static_cast<const QWidget*>(f.AddDirectoriesBtn),
                                 static_cast<const QWidget*>(f.IncSubDirBox), static_cast<const QWidget*>(f.RemoveBtn),
                                 static_cast<const QWidget*>(f.SourceBtn), static_cast<const QWidget*>(f.DirChoiceBtn),
                                 static_cast<const QWidget*>(f.DirNameEdit), static_cast<const QWidget*>(f.DirSelectBtn),
                                 static_cast<const QWidget*>(f.GdsExtEdit), static_cast<const QWidget*>(f.AscExtEdit),
                                 static_cast<const QWidget*>(f.StartBtn)})
            s += w->isEnabled() ? '1' : '0';
        return s;
    }

private slots:
    void initialLayout()
    {
        FormWithTools t(false, false);
        TVeskForm& f = *t.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.windowTitle(), QString("Quarnel"));
        QCOMPARE(f.centralWidget()->size() + QSize(0, f.StatusBar1->height()), QSize(670, 658));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(f.Panel1->width(), 215);
        const QStringList texts = {f.File1->title(), f.Exit1->text(), f.About1->text(), f.AddFilesBtn->text(),
                                   f.AddDirectoriesBtn->text(), f.IncSubDirBox->text(), f.RemoveBtn->text(),
                                   f.Label5->text(), f.SourceBtn->text(), f.DirChoiceBtn->text(),
                                   f.DirNameEdit->text(), f.Label3->text(), f.Label7->text(), f.GdsExtEdit->text(),
                                   f.Label6->text(), f.Label8->text(), f.AscExtEdit->text(), f.StartBtn->text(),
                                   f.Label2->text(), f.TimeLabel->text(), f.Panel3->text()};
        QCOMPARE(texts, (QStringList{"&File", "E&xit", "&About", "Add Files", "Add Directories",
                                     "Include Subdirectories", "Remove Selected", "Output options",
                                     "source directory", "", "./", "Extension for", "GDSII files:", ".gds2",
                                     "Extension for", "ASCII files:", ".gdsasc", "Start", "Time Left:", "", "File List:"}));
        QCOMPARE(totals(f), (QStringList{"Files: 0", "Size: 0 kB", "Selected Files: 0", "Selected Size: 0"}));
        QVERIFY(f.IncSubDirBox->isChecked());
        QVERIFY(f.SourceBtn->isChecked());
        QCOMPARE(f.ProgressBar1->value(), 0);
        QCOMPARE(f.ProgressBar1->maximum(), 100);
        QVERIFY(!f.Image1->pixmap().isNull());
        QCOMPARE(f.Timer1->interval(), 100);
        QVERIFY(f.Timer1->isActive());
        QCOMPARE(f.State, RunIdle);
    }

    void statusBarNamesTheToolsFound_data()
    {
        QTest::addColumn<bool>("brenmo");
        QTest::addColumn<bool>("calvio");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("enabledWithEntry");
        QTest::newRow("both") << true << true << "brenmo - found; calvio - found" << "11101100111";
        QTest::newRow("brenmo only") << true << false << "brenmo - found; calvio - not found" << "11101100011";
        QTest::newRow("calvio only") << false << true << "brenmo - not found; calvio - found" << "11101100101";
        QTest::newRow("neither") << false << false << "brenmo - not found; calvio - not found" << "11101100000";
    }

    void statusBarNamesTheToolsFound()
    {
        QFETCH(bool, brenmo);
        QFETCH(bool, calvio);
        FormWithTools t(brenmo, calvio);
        TVeskForm& f = *t.form;
        QFETCH(QString, panel);
        QCOMPARE(f.StatusPanels[1]->text(), panel);
        QVERIFY(f.StatusPanels[0]->text().startsWith("Quarnel"));
        QCOMPARE(f.StatusPanels[0]->width(), 250);
        QCOMPARE(f.BrenmoPath, t.path("brenmo").toStdString());
        QCOMPARE(f.CalvioPath, t.path("calvio").toStdString());
        QCOMPARE(f.StartBtn->isEnabled(), brenmo || calvio);

        // Adding files works with or without tools; Start follows once there is an entry.
        writeFile(t.path("data/a.gds"), "x");
        t.dialogs->files.push_back({t.path("data/a.gds")});
        QTest::mouseClick(f.AddFilesBtn, Qt::LeftButton);
        QCOMPARE(listEntries(f), QStringList{t.path("data/a.gds")});
        QFETCH(QString, enabledWithEntry);
        QTRY_COMPARE(enabledStates(f), enabledWithEntry);
    }

    void timerEnablesByStateListAndOutputChoice_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<bool>("ownFolder");
        QTest::addColumn<QString>("enabled");
        // AddFiles AddDirs IncSub Remove Source DirChoice DirName DirSelect Gds Asc Start
        QTest::newRow("idle, empty") << 0 << 0 << false << false << "11101100110";
        QTest::newRow("idle, empty, own folder") << 0 << 0 << false << true << "11101111110";
        QTest::newRow("idle, entries") << 0 << 2 << false << false << "11101100111";
        QTest::newRow("idle, selection") << 0 << 2 << true << false << "11111100111";
        QTest::newRow("idle, selection, own folder") << 0 << 2 << true << true << "11111111111";
        QTest::newRow("running, empty") << 1 << 0 << false << false << "00000000000";
        QTest::newRow("running, selection, own folder") << 1 << 2 << true << true << "00000000001";
        QTest::newRow("aborting, entries") << 2 << 2 << false << false << "00000000000";
        QTest::newRow("aborting, selection, own folder") << 2 << 2 << true << true << "00000000000";
    }

    void timerEnablesByStateListAndOutputChoice()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        QStringList files;
        QFETCH(int, entries);
        for (int i = 0; i < entries; ++i) {
            files << t.path(QString("data/%1.gds").arg(i));
            writeFile(files.back(), "x");
        }
        if (!files.isEmpty()) {
            t.dialogs->files.push_back(files);
            f.AddFilesBtnClick();
        }
        QFETCH(bool, selection);
        if (selection)
            f.FileListBox->item(0)->setSelected(true);
        QFETCH(bool, ownFolder);
        if (ownFolder)
            QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        QFETCH(int, state);
        f.State = static_cast<RunState>(state);
        f.Timer1Timer();
        QFETCH(QString, enabled);
        QCOMPARE(enabledStates(f), enabled);
        f.State = RunIdle;
    }

    void outputChoiceEnablesTheFolderControls()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        QVERIFY(f.DirNameEdit->isEnabled());
        QVERIFY(f.DirSelectBtn->isEnabled());
        QTest::mouseClick(f.SourceBtn, Qt::LeftButton);
        QVERIFY(!f.DirNameEdit->isEnabled());
        QVERIFY(!f.DirSelectBtn->isEnabled());
    }

    void folderBrowserSetsTheOutputFolder()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        QStringList seen;
        for (const QString& answer : {QString("/"), QString("/srv/out"), QString("/srv/out/"), QString()}) {
            t.dialogs->folders.push_back(answer);
            QTest::mouseClick(f.DirSelectBtn, Qt::LeftButton);
            seen << f.DirNameEdit->text();
        }
        QCOMPARE(seen, (QStringList{"/", "/srv/out/", "/srv/out/", "/srv/out/"}));
        QCOMPARE(t.dialogs->asked, QStringList(4, "Select Output Directory | new folder"));
    }

    void addFilesKeepsByteOrderWithoutDuplicates()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        const QString a = t.path("data/a.gds"), b = t.path("data/B.gds"), upperA = t.path("data/A.gds"),
                      accented = t.path("data/\u00e9t\u00e9.gds");
        for (const QString& p : {a, b, upperA, accented})
            writeFile(p, "x");

        t.dialogs->files.push_back({a, accented});
        t.dialogs->files.push_back({});
        t.dialogs->files.push_back({b, a, upperA});
        QTest::mouseClick(f.AddFilesBtn, Qt::LeftButton);
        QTest::mouseClick(f.AddFilesBtn, Qt::LeftButton);  // cancelled
        QCOMPARE(listEntries(f), (QStringList{a, accented}));
        QTest::mouseClick(f.AddFilesBtn, Qt::LeftButton);
        QCOMPARE(listEntries(f), (QStringList{upperA, b, a, accented}));
        QCOMPARE(totals(f), (QStringList{"Files: 4", "Size: 0 kB", "Selected Files: 0", "Size: 0 kB"}));

        const QString expectedDialog =
            "Add Files to Convert | Layout Files (*.gds *.gds2 *.gdsii *.strm *.agf *.asc *.gdsasc) | All Files (*) | multi";
        QCOMPARE(t.dialogs->asked, QStringList(3, expectedDialog));
    }

    void folderScanFindsLayoutFiles_data()
    {
        QTest::addColumn<bool>("subfolders");
        QTest::addColumn<QStringList>("folders");
        QTest::newRow("with subfolders") << true << QStringList{"scan/", "scan/.hid/", "scan/sub/", "scan/sub/deeper/"};
        QTest::newRow("without subfolders") << false << QStringList{"scan/"};
    }

    // Every pattern, in either case, at several depths, beside names that
    // only look like layout files; the list is byte-ordered.
    void folderScanFindsLayoutFiles()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        const QStringList layoutNames = {".hidden.gdsii", "A.ASC", "B.GDSASC", "V.GDS2", "W.AGF", "X2.GDS", "Y.STRM",
                                         "a.asc", "b.gdsasc", "v.gds2", "w.agf", "x.gds", "y.strm", "z.GdsII"};
        for (const char* folder : {"scan/", "scan/.hid/", "scan/sub/", "scan/sub/deeper/"}) {
            for (const QString& name : layoutNames)
                writeFile(t.path(QString(folder) + name), "x");
            for (const char* name : {"readme.txt", "gds", "x.gds.bak", "v.oas", "a.ascii", "b.gds3", "c.agfx"})
                writeFile(t.path(QString(folder) + name), "x");
        }
        QDir().mkpath(t.path("scan/folder.gds"));
        QFile::link(t.path("scan"), t.path("scan/sub/loop"));

        QFETCH(bool, subfolders);
        f.IncSubDirBox->setChecked(subfolders);
        t.dialogs->folders.push_back(t.path("scan"));
        QTest::mouseClick(f.AddDirectoriesBtn, Qt::LeftButton);
        QFETCH(QStringList, folders);
        QStringList expected;
        for (const QString& folder : folders)
            for (const QString& name : layoutNames)
                expected << t.path(folder + name);
        expected.sort();  // by UTF-16 units: byte order for these ASCII paths
        QCOMPARE(listEntries(f), expected);
        QCOMPARE(t.dialogs->asked, QStringList{"Add Directories to Scan | no new folder"});
        QCOMPARE(totals(f)[0], QString("Files: %1").arg(expected.size()));
    }

    void folderScanKeepsNamesThatAreNotUtf8()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        const std::string latin1 = ToNarrowString(t.path("scan")) + "/caf\xe9.gds";
        QDir().mkpath(t.path("scan"));
        std::ofstream(latin1, std::ios::binary) << std::string(2048, 'x');
        t.dialogs->folders.push_back(t.path("scan"));
        f.AddDirectoriesBtnClick();
        QCOMPARE(f.FileListBox->count(), 1);
        QCOMPARE(ToNarrowString(f.FileListBox->item(0)->text()), latin1);
        QCOMPARE(totals(f), (QStringList{"Files: 1", "Size: 2 kB", "Selected Files: 0", "Size: 0 kB"}));
    }

    void folderScanWithNothingFoundChangesNothing()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        writeFile(t.path("empty/readme.txt"), "x");
        t.dialogs->folders.push_back(t.path("empty"));
        t.dialogs->folders.push_back(QString());
        f.AddDirectoriesBtnClick();
        f.AddDirectoriesBtnClick();
        QCOMPARE(listEntries(f), QStringList());
        QCOMPARE(totals(f), (QStringList{"Files: 0", "Size: 0 kB", "Selected Files: 0", "Selected Size: 0"}));

        // A scan merges into what the list already holds.
        writeFile(t.path("more/a.gds"), "x");
        t.dialogs->files.push_back({t.path("more/a.gds")});
        f.AddFilesBtnClick();
        t.dialogs->folders.push_back(t.path("more"));
        f.AddDirectoriesBtnClick();
        QCOMPARE(listEntries(f), QStringList{t.path("more/a.gds")});
    }

    void extensionFieldsTakeNoSeparator_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("an extension") << ".gdsasc" << ".gdsasc";
        QTest::newRow("without a period") << "txt" << "txt";
        QTest::newRow("with a blank") << ".a b" << ".a b";
        QTest::newRow("a way out of the folder") << "/../../escape.txt" << "....escape.txt";
        QTest::newRow("a folder of its own") << ".d/x" << ".dx";
        QTest::newRow("a NUL") << QString(".x") + QChar(0) + "y" << ".xy";
    }

    // Typed or pasted, neither field takes a '/', so every output lies in
    // its folder.
    void extensionFieldsTakeNoSeparator()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Timer1Timer();
        QFETCH(QString, typed);
        QFETCH(QString, text);
        for (QLineEdit* edit : {f.GdsExtEdit, f.AscExtEdit}) {
            edit->clear();
            for (const QChar c : typed)
                if (!c.isNull())  // no key types a NUL; a paste can
                    QTest::keyClick(edit, c.toLatin1());
            QCOMPARE(edit->text(), text);
            edit->clear();
            QApplication::clipboard()->setText(typed);
            edit->paste();
            QCOMPARE(edit->text(), text == typed ? typed : QString());
        }
    }

    void totalsCountBytesAndSelection()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), QByteArray(1023, 'a'));
        writeFile(t.path("data/b.gds"), QByteArray(1025, 'b'));
        t.dialogs->files.push_back({t.path("data/a.gds"), t.path("data/b.gds"), t.path("data/gone.gds")});
        f.AddFilesBtnClick();
        QCOMPARE(totals(f), (QStringList{"Files: 3", "Size: 2 kB", "Selected Files: 0", "Size: 0 kB"}));

        f.FileListBox->item(0)->setSelected(true);
        QCOMPARE(totals(f), (QStringList{"Files: 3", "Size: 2 kB", "Selected Files: 1", "Size: 0 kB"}));
        f.FileListBox->item(1)->setSelected(true);
        QCOMPARE(totals(f), (QStringList{"Files: 3", "Size: 2 kB", "Selected Files: 2", "Size: 2 kB"}));
        f.FileListBox->item(1)->setSelected(false);
        f.FileListBox->item(2)->setSelected(true);
        QCOMPARE(totals(f), (QStringList{"Files: 3", "Size: 2 kB", "Selected Files: 2", "Size: 0 kB"}));
    }

    void deleteKeyAndRemoveButtonDropTheSelection()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        QStringList files;
        for (const char* name : {"data/a.gds", "data/b.gds", "data/c.gds", "data/d.gds"}) {
            files << t.path(name);
            writeFile(files.back(), QByteArray(1024, 'x'));
        }
        t.dialogs->files.push_back(files);
        f.AddFilesBtnClick();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.FileListBox->setFocus();

        QTest::keyClick(f.FileListBox, Qt::Key_Delete);
        QCOMPARE(listEntries(f), files);

        f.FileListBox->item(1)->setSelected(true);
        f.FileListBox->item(3)->setSelected(true);
        QTest::keyClick(f.FileListBox, Qt::Key_Backspace);
        QCOMPARE(listEntries(f), files);
        QTest::keyClick(f.FileListBox, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(listEntries(f), (QStringList{files[0], files[2]}));
        QCOMPARE(totals(f), (QStringList{"Files: 2", "Size: 2 kB", "Selected Files: 0", "Size: 0 kB"}));

        f.FileListBox->item(0)->setSelected(true);
        f.Timer1Timer();
        QTest::mouseClick(f.RemoveBtn, Qt::LeftButton);
        QCOMPARE(listEntries(f), QStringList{files[2]});
        QCOMPARE(totals(f), (QStringList{"Files: 1", "Size: 1 kB", "Selected Files: 0", "Size: 0 kB"}));
    }

    void editsAreRefusedWhileARunOrAScanIsOn_data()
    {
        QTest::addColumn<FormEdit>("edit");
        QTest::newRow("Add Files") << addByFileDialog;
        QTest::newRow("Add Directories") << addByFolderScan;
        QTest::newRow("Remove Selected") << FormEdit([](FormWithTools& t) {
            QTest::mouseClick(t.form->RemoveBtn, Qt::LeftButton);
        });
        QTest::newRow("Delete key") << FormEdit([](FormWithTools& t) {
            QTest::keyClick(t.form->FileListBox, Qt::Key_Delete);
        });
        QTest::newRow("Include Subdirectories") << FormEdit([](FormWithTools& t) {
            QTest::mouseClick(t.form->IncSubDirBox, Qt::LeftButton);
        });
        QTest::newRow("source directory") << FormEdit([](FormWithTools& t) {
            QTest::mouseClick(t.form->SourceBtn, Qt::LeftButton);
        });
        QTest::newRow("folder chosen") << FormEdit([](FormWithTools& t) {
            t.dialogs->folders.push_back("/srv/out");
            QTest::mouseClick(t.form->DirSelectBtn, Qt::LeftButton);
        });
        QTest::newRow("folder typed") << FormEdit([](FormWithTools& t) {
            QTest::keyClicks(t.form->DirNameEdit, "x");
        });
        QTest::newRow("GDSII extension erased") << FormEdit([](FormWithTools& t) {
            QTest::keyClick(t.form->GdsExtEdit, Qt::Key_Backspace);
        });
        QTest::newRow("ASCII extension typed") << FormEdit([](FormWithTools& t) {
            QTest::keyClicks(t.form->AscExtEdit, "x");
        });
    }

    // Each edit is tried while the timer has not yet caught up with the
    // state, so every control still takes input: during a run, and during a
    // folder scan, when it comes as the scan pumps events between subfolders.
    // Idle again, it must work.
    void editsAreRefusedWhileARunOrAScanIsOn()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        for (const char* name : {"data/a.gds", "data/b.gds", "more/0.gds", "scan/s.gds", "scan/sub/t.gds"})
            writeFile(t.path(name), "x");
        t.addFiles({t.path("data/a.gds"), t.path("data/b.gds")});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Timer1->stop();
        QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        f.FileListBox->item(0)->setSelected(true);
        f.Timer1Timer();
        auto everything = [&] {
            return listEntries(f) + totals(f) + t.dialogs->asked
                   + QStringList{QString::number(f.IncSubDirBox->isChecked()),
                                 QString::number(f.SourceBtn->isChecked()), QString::number(f.DirChoiceBtn->isChecked()),
                                 QString::number(f.DirNameEdit->isEnabled()), f.DirNameEdit->text(),
                                 f.GdsExtEdit->text(), f.AscExtEdit->text()};
        };
        const QStringList before = everything();

        QFETCH(FormEdit, edit);
        for (RunState state : {RunRunning, RunAborting}) {
            f.State = state;
            edit(t);
            QCOMPARE(everything(), before);
        }
        f.State = RunIdle;

        t.dialogs->folders = {t.path("scan")};
        QStringList atScan, afterEdit;
        QTimer::singleShot(0, &f, [&] {
            atScan = everything();
            edit(t);
            afterEdit = everything();
        });
        f.AddDirectoriesBtnClick();
        QVERIFY(!atScan.isEmpty());
        QCOMPARE(afterEdit, atScan);
        QCOMPARE(listEntries(f), (QStringList{t.path("data/a.gds"), t.path("data/b.gds"), t.path("scan/s.gds"),
                                              t.path("scan/sub/t.gds")}));

        f.FileListBox->item(0)->setSelected(true);
        const QStringList afterScan = everything();
        edit(t);
        QVERIFY(everything() != afterScan);
    }

    // Start pressed while a scan pumps events runs nothing, and the timer
    // shows every edit and Start disabled until the scan is over.
    void aScanRunsNothingAndDisablesStart()
    {
        FormWithTools t(QByteArray("#!/bin/sh\nprintf x > \"$2\"\n"), QByteArray());
        TVeskForm& f = *t.form;
        const QByteArray stream = QByteArray("\x00\x06\x00\x02\x02\x58", 6) + QByteArray(94, '\x11');
        for (const char* name : {"data/a.gds", "scan/s.gds", "scan/sub/t.gds"})
            writeFile(t.path(name), stream);
        t.addFiles({t.path("data/a.gds")});
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.Timer1Timer();
        QCOMPARE(enabledStates(f), QString("11101100011"));

        t.dialogs->folders = {t.path("scan")};
        QString during;
        QTimer::singleShot(0, &f, [&] {
            QTest::mouseClick(f.StartBtn, Qt::LeftButton);
            f.Timer1Timer();
            during = enabledStates(f);
            if (const QCursor* cursor = QApplication::overrideCursor())
                during += QString(" cursor %1").arg(cursor->shape());
        });
        f.AddDirectoriesBtnClick();
        QCOMPARE(during, QString("00000000000 cursor %1").arg(Qt::BusyCursor));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(QDir(t.path("data")).entryList(QDir::Files), QStringList{"a.gds"});
        QCOMPARE(t.dialogs->messages, QStringList());
        QCOMPARE(f.StartBtn->text(), QString("Start"));
        f.Timer1Timer();
        QCOMPARE(enabledStates(f), QString("11101100011"));
        QCOMPARE(listEntries(f).size(), 3);
    }

    void listEditsDuringARunChangeNothingAndEveryEntryConvertsOnce_data()
    {
        QTest::addColumn<FormEdit>("edit");
        // The entry being converted, selected and deleted.
        QTest::newRow("Delete key") << FormEdit([](FormWithTools& t) {
            t.form->FileListBox->setFocus();
            t.form->FileListBox->clearSelection();
            t.form->FileListBox->item(0)->setSelected(true);
            QTest::keyClick(t.form->FileListBox, Qt::Key_Delete);
        });
        QTest::newRow("Add Files") << addByFileDialog;
        QTest::newRow("Add Directories") << addByFolderScan;
    }

    void listEditsDuringARunChangeNothingAndEveryEntryConvertsOnce()
    {
        // The stand-in brenmo logs its input and records its arguments, then
        // holds the first entry until the test lets it go.
        const QByteArray brenmo = "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/log\"\n"
                                  "printf '%s\\n' \"$@\" > \"$2\"\n"
                                  "n=0\nwhile [ ! -e \"$(dirname \"$0\")/go\" ] && [ $n -lt 1000 ]; do sleep 0.01; n=$((n+1)); done\n";
        FormWithTools t(brenmo, QByteArray());
        TVeskForm& f = *t.form;
        const QByteArray stream = QByteArray("\x00\x06\x00\x02\x02\x58", 6) + QByteArray(94, '\x11');
        QStringList files;
        for (const char* name : {"data/a.gds", "data/b.gds", "data/c.gds"}) {
            files << t.path(name);
            writeFile(files.back(), stream);
        }
        writeFile(t.path("more/0.gds"), stream);
        t.addFiles(files);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // The edit comes before the timer's first pass in the run: every
        // button is still enabled.
        f.Timer1->stop();

        QFETCH(FormEdit, edit);
        QStringList seen;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (!seen.isEmpty() || !QFileInfo::exists(t.path("data/a.gdsasc")))
                return;
            edit(t);
            seen << listEntries(f);
            writeFile(t.path("go"), "");
        });
        poll.start(10);
        QTest::mouseClick(f.StartBtn, Qt::LeftButton);
        poll.stop();

        QCOMPARE(seen, files);
        QCOMPARE(listEntries(f), files);
        QCOMPARE(readFile(t.path("log")), (files.join('\n') + '\n').toUtf8());
        for (const QString& file : files) {
            const QString output = QString(file).replace(".gds", ".gdsasc");
            QCOMPARE(readFile(output), (file + "\n" + output + "\n").toUtf8());
        }
        QCOMPARE(t.dialogs->asked.size(), 1);
        QCOMPARE(t.dialogs->messages, QStringList());
        QCOMPARE(f.State, RunIdle);
    }

    void fileMenuOpensFromTheKeyboard()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(&f, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(f.File1->isVisible());
        QCOMPARE(f.File1->activeAction(), f.Exit1);
        QTest::keyClick(f.File1, Qt::Key_Escape);
        QTRY_VERIFY(!f.File1->isVisible());
    }

    // Once the keyboard has moved the focus, each button shows it has it.
    void focusedButtonShowsItsFocus()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        writeFile(t.path("data/a.gds"), "x");
        t.addFiles({t.path("data/a.gds")});
        f.FileListBox->item(0)->setSelected(true);
        QTest::mouseClick(f.DirChoiceBtn, Qt::LeftButton);
        f.Timer1->stop();
        f.Timer1Timer();
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.FileListBox->setFocus();
        QTest::keyClick(f.FileListBox, Qt::Key_Tab);

        QStringList unchanged;
        for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
                 f.AddFilesBtn, f.AddDirectoriesBtn, f.RemoveBtn, f.DirSelectBtn, f.StartBtn}) {
            f.FileListBox->setFocus();
            const QImage plain = button->grab().toImage();
            button->setFocus(Qt::TabFocusReason);
            QVERIFY(button->hasFocus());
            if (button->grab().toImage() == plain)
                unchanged << button->text();
        }
        QCOMPARE(unchanged, QStringList());
    }

    void closeIsRefusedDuringARunAndEndsAScan()
    {
        FormWithTools t(true, true);
        TVeskForm& f = *t.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        for (RunState state : {RunRunning, RunAborting}) {
            f.State = state;
            CloseAction action = CloseAction::caFree;
            f.FormClose(action);
            QVERIFY(action == CloseAction::caNone);
            f.Exit1->trigger();
            QVERIFY(f.isVisible());
        }
        QCOMPARE(t.dialogs->messages, QStringList(4, "Stop running processes before closing application"));

        f.State = RunIdle;
        f.Exit1->trigger();
        QVERIFY(!f.isVisible());
        QCOMPARE(t.dialogs->messages.size(), 4);

        // Closed during a scan, the window goes at once, the scan ends at the
        // pump that took the close, and the list and the cursor are as they
        // were: a scan that went on would pump again for each subfolder left.
        // The file at the root, found before the first pump, is not added
        // either.
        writeFile(t.path("data/a.gds"), "x");
        t.addFiles({t.path("data/a.gds")});
        writeFile(t.path("scan/r.gds"), "x");
        for (int i = 0; i < 20; ++i)
            writeFile(t.path(QString("scan/%1/s.gds").arg(i)), "x");
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        t.dialogs->folders = {t.path("scan")};
        int pumpsAfterClose = -1;
        QTimer pumps;
        connect(&pumps, &QTimer::timeout, this, [&] {
            if (pumpsAfterClose >= 0) {
                ++pumpsAfterClose;
                return;
            }
            f.Exit1->trigger();
            pumpsAfterClose = 0;
        });
        pumps.start(0);
        f.AddDirectoriesBtnClick();
        pumps.stop();
        QCOMPARE(pumpsAfterClose, 0);
        QVERIFY(!f.isVisible());
        QCOMPARE(listEntries(f), QStringList{t.path("data/a.gds")});
        QCOMPARE(totals(f), (QStringList{"Files: 1", "Size: 0 kB", "Selected Files: 0", "Size: 0 kB"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(t.dialogs->messages.size(), 4);
    }
};

QTEST_MAIN(VeskFormTests)
#include "vesk_form_tests.moc"
