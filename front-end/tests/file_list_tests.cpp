#include "file_list.hpp"
#include "form_test_support.hpp"

#include <QTest>

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
        QCOMPARE(ToNarrowString(QString()), std::string());
    }

    void subfoldersIncludeHiddenButNotLinks()
    {
        QTemporaryDir dir;
        const std::string root = ToNarrowString(dir.path());
        for (const char* name : {"b/f", ".h/f", "a.gds/f", "file"})
            writeFile(dir.filePath(name), "x");
        QFile::link(dir.filePath("b"), dir.filePath("link"));
        std::vector<std::string> found = ListSubdirectories(root, "*");
        std::sort(found.begin(), found.end());
        QCOMPARE(found, (std::vector<std::string>{root + "/.h", root + "/a.gds", root + "/b"}));
        QCOMPARE(ListSubdirectories(root + "/", "*.GDS"), (std::vector<std::string>{root + "/a.gds"}));
        QCOMPARE(ListSubdirectories(root + "/missing", "*"), std::vector<std::string>());
        QCOMPARE(CollectFiles(root + "/missing", "*", true), std::vector<std::string>());
    }
};

QTEST_MAIN(FileListTests)
#include "file_list_tests.moc"
