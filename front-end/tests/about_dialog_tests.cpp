#include "about_dialog.hpp"
#include "bitmap.hpp"
#include "file_list.hpp"
#include "form_test_support.hpp"
#include "version_record.hpp"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Counts the objects a test deleter frees.
int freed = 0;
struct CountingDeleter {
    void operator()(int* p) const
    {
        freed += p != nullptr;
        delete p;
    }
};
using CountedPtr = Pelk::util::SharedPtr<int, CountingDeleter>;

// Copies and assigns the pointer; nothing may be freed while `owner` lives.
[[gnu::noinline]] int shareAndRead(const CountedPtr& owner)
{
    CountedPtr copy(owner);
    CountedPtr assigned;
    assigned = copy;
    CountedPtr& same = assigned;
    assigned = same;
    return *assigned.get() + freed;
}

// Answers the about box by recording what it shows.
struct AboutRecorder : ScriptedDialogs {
    QStringList shown;
    void showAbout(std::unique_ptr<TAboutDialog> dialog) override
    {
        const QPixmap picture = dialog->Image1->pixmap();
        shown << dialog->windowTitle() << dialog->NameLabel->text() << dialog->VersionLabel->text()
              << QString("%1x%2").arg(picture.width()).arg(picture.height()) << dialog->BitBtn1->text();
    }
};

}  // namespace

class AboutDialogTests : public QObject {
    Q_OBJECT

private slots:
    void versionLabelComesFromTheProgramFile()
    {
        QCOMPARE(GetVersionLabel(VESK_PROGRAM_FILE), std::string("1.3.2.7"));
        QCOMPARE(GetVersionLabel(ToNarrowString(QCoreApplication::applicationFilePath())), std::string());
        QCOMPARE(GetVersionLabel("/nonexistent/vesk"), std::string());
        QCOMPARE(FormatVersionPart(65535), std::string("65535"));
        QCOMPARE(FormatVersionPart(0), std::string("0"));

        // The same program with other parts, and cut short inside its headers.
        QFile program(VESK_PROGRAM_FILE);
        QVERIFY(program.open(QIODevice::ReadOnly));
        QByteArray bytes = program.readAll();
        const QByteArray record("Pelk\0\0\0\0\x01\0\x03\0\x02\0\x07\0", 16);
        QCOMPARE(bytes.count(record), 1);
        bytes.replace(record, QByteArray("Pelk\0\0\0\0\xff\xff\0\0\x00\x80\x0a\0", 16));
        QTemporaryDir dir;
        writeFile(dir.filePath("patched"), bytes);
        writeFile(dir.filePath("cut"), bytes.left(200));
        writeFile(dir.filePath("text"), "VERSION 600\n");
        QCOMPARE(GetVersionLabel(ToNarrowString(dir.filePath("patched"))), std::string("65535.0.32768.10"));
        QCOMPARE(GetVersionLabel(ToNarrowString(dir.filePath("cut"))), std::string());
        QCOMPARE(GetVersionLabel(ToNarrowString(dir.filePath("text"))), std::string());
    }

    void dialogShowsTitleBuildAndPicture()
    {
        TAboutDialog withPicture(nullptr, VESK_PROGRAM_FILE, "Quarnel 1.3", 201, false);
        QCOMPARE(withPicture.windowTitle(), QString("About"));
        QCOMPARE(withPicture.size(), QSize(474, 287));
        QCOMPARE(withPicture.NameLabel->text(), QString("Quarnel 1.3"));
        QCOMPARE(withPicture.VersionLabel->text(), QString("Build: 1.3.2.7"));
        QCOMPARE(withPicture.Image1->pixmap().size(), QSize(169, 177));
        QCOMPARE(withPicture.Image1->size(), QSize(200, 200));
        QCOMPARE(QImage(":/pictures/201").depth(), 32);

        TAboutDialog plain(nullptr, ToNarrowString(QCoreApplication::applicationFilePath()), "Quarnel 1.3", 0, true);
        QCOMPARE(plain.VersionLabel->text(), QString("Build: "));
        QVERIFY(plain.Image1->pixmap().isNull());
        QCOMPARE(plain.NameLabel->text(), QString("Quarnel 1.3"));

        QVERIFY_THROWS_EXCEPTION(std::runtime_error, TAboutDialog(nullptr, VESK_PROGRAM_FILE, "x", 202, false));

        TAboutDialog closing(nullptr, VESK_PROGRAM_FILE, "Quarnel 1.3", 201, true);
        QVERIFY(!closing.Image1->pixmap().mask().isNull());
        QTimer::singleShot(0, closing.BitBtn1, [&] { QTest::mouseClick(closing.BitBtn1, Qt::LeftButton); });
        QCOMPARE(closing.exec(), int(QDialog::Accepted));
    }

    void aboutMenuItemOpensTheBox()
    {
        auto recorder = std::make_unique<AboutRecorder>();
        AboutRecorder* seen = recorder.get();
        TVeskForm form(nullptr, VESK_PROGRAM_FILE, std::move(recorder));
        form.About1->trigger();
        QCOMPARE(seen->shown, (QStringList{"About", "Quarnel 1.3", "Build: 1.3.2.7", "169x177", "OK"}));
        // Alt+A opens it from the keyboard.
        seen->shown.clear();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
        QCOMPARE(seen->shown, (QStringList{"About", "Quarnel 1.3", "Build: 1.3.2.7", "169x177", "OK"}));
        QCOMPARE(seen->messages, QStringList());
    }

    void sharedPointerFreesOnlyWhatWasNotReleased()
    {
        freed = 0;
        {
            CountedPtr first(new int(1));
            QCOMPARE(shareAndRead(first), 1);
            QCOMPARE(freed, 0);
        }
        QCOMPARE(freed, 1);

        int* kept = nullptr;
        {
            CountedPtr owner(new int(2));
            kept = owner.release();
            QCOMPARE(owner.get(), nullptr);
        }
        QCOMPARE(freed, 1);
        delete kept;

        CountedPtr empty;
        QCOMPARE(empty.get(), nullptr);
        QCOMPARE(empty.release(), nullptr);

        Pelk::util::Bitmap bitmap;
        QVERIFY(bitmap.get() != nullptr);
        QVERIFY(bitmap.get()->isNull());
    }
};

QTEST_MAIN(AboutDialogTests)
#include "about_dialog_tests.moc"
