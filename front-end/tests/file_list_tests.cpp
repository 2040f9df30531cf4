#include "file_list.hpp"
#include "form_test_support.hpp"

#include <QTest>

#include <algorithm>
#include <random>

class FileListTests : public QObject {
    Q_OBJECT

private slots:
    void patternsMatchLikeWindowsWildcards_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("plain") << "a.gds" << "*.gds" << true;
        QTest::newRow("case") << "A.GdS" << "*.gds" << true;
        QTest::newRow("longer extension") << "a.gds2" << "*.gds" << false;
        QTest::newRow("only extension") << ".gds" << "*.gds" << true;
        QTest::newRow("no period") << "gds" << "*.gds" << false;
        QTest::newRow("two periods") << "a.b.asc" << "*.asc" << true;
        QTest::newRow("star matches all") << "anything" << "*" << true;
        QTest::newRow("star matches empty") << "" << "*" << true;
        QTest::newRow("question mark") << "ab.gds" << "a?.gds" << true;
        QTest::newRow("non-ASCII exact") << "\u00e9.gds" << "\u00e9.GDS" << true;
        QTest::newRow("non-ASCII case stays") << "\u00e9.gds" << "\u00c9.gds" << false;
        QTest::newRow("backtracking") << "a.gds.gds" << "*.gds" << true;
    }

    void patternsMatchLikeWindowsWildcards()
    {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(MatchesPattern(ToNarrowString(name), ToNarrowString(pattern)), matches);
    }

    void sizesOfFilesOnly()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("five"), "12345");
        writeFile(dir.filePath("empty"), "");
        QCOMPARE(GetFileSize64(ToNarrowString(dir.filePath("five"))), std::optional<std::uint64_t>(5));
        QCOMPARE(GetFileSize64(ToNarrowString(dir.filePath("empty"))), std::optional<std::uint64_t>(0));
        QCOMPARE(GetFileSize64(ToNarrowString(dir.filePath("missing"))), std::optional<std::uint64_t>());
        QCOMPARE(GetFileSize64(ToNarrowString(dir.path())), std::optional<std::uint64_t>());
    }

    void narrowStringsKeepEveryCharacter()
    {
        const QString text = "/tmp/\u00e9\u4e2d\U0001F600 x.gds";
        QCOMPARE(ToWideString(ToNarrowString(text)), text);
        QCOMPARE(ToNarrowString(text), std::string("/tmp/\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80 x.gds"));
        QCOMPARE(ToNarrowString(QString()), std::string());
        QCOMPARE(ToWideString(std::string()), QString());
    }

    void narrowStringsKeepEveryByte()
    {
        std::string every;
        for (int c = 1; c < 256; ++c)
            every += static_cast<char>(c);
        QCOMPARE(ToNarrowString(ToWideString(every)), every);

        // Latin-1, overlong, surrogate and cut-short sequences all come back as they were.
        for (const std::string bytes : {"caf\xe9.gds", "\xc0\xaf", "\xed\xa0\x80", "\xe4\xb8", "\xf4\x90\x80\x80",
                                        "\xf0\x9f\x98\x80\xff"}) {
            QCOMPARE(ToNarrowString(ToWideString(bytes)), bytes);
        }
        QCOMPARE(ToWideString("caf\xe9"), QString("caf") + QChar(0xDCE9));

        std::mt19937 random(2026);
        for (int n = 0; n < 2000; ++n) {
            std::string bytes(random() % 12, '\0');
            for (char& b : bytes)
                b = static_cast<char>(random() % 256);
            QCOMPARE(ToNarrowString(ToWideString(bytes)), bytes);
        }
    }

    // Hidden folders are entered, linked ones not; a name that matches two
    // patterns is listed once; the pump runs before each subfolder, and the
    // scan ends at the first pump that says so.
    void scanEntersHiddenFoldersButNotLinksAndEndsWhenThePumpSays()
    {
        QTemporaryDir dir;
        const std::string root = ToNarrowString(dir.path());
        for (const char* name : {"b/f.gds", "b/c/f.gds", ".h/f.gds", "a.gds/f.gds", "a.gds/g.txt", "f.gds", "g"})
            writeFile(dir.filePath(name), "x");
        QFile::link(dir.filePath("b"), dir.filePath("link"));
        const std::vector<const char*> patterns = {"*.gds", "f*"};
        int pumps = 0;
        auto collect = [&](const std::string& folder, bool recurse, int pumpsThatGoOn) {
            pumps = 0;
            std::vector<std::string> found =
                CollectFiles(folder, patterns, recurse, [&] { return ++pumps <= pumpsThatGoOn; });
            std::sort(found.begin(), found.end());
            return found;
        };
        QCOMPARE(collect(root, true, 100), (std::vector<std::string>{root + "/.h/f.gds", root + "/a.gds/f.gds",
                                                                     root + "/b/c/f.gds", root + "/b/f.gds",
                                                                     root + "/f.gds"}));
        QCOMPARE(pumps, 4);
        QCOMPARE(collect(root + "/", false, 100), (std::vector<std::string>{root + "/f.gds"}));
        QCOMPARE(pumps, 0);
        QCOMPARE(collect(root, true, 0), (std::vector<std::string>{root + "/f.gds"}));
        QCOMPARE(pumps, 1);
        QCOMPARE(collect(root + "/missing", true, 100), std::vector<std::string>());
    }
};

QTEST_MAIN(FileListTests)
#include "file_list_tests.moc"
