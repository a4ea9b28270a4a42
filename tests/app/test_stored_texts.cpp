// Texts kept in the settings file: values with quotes, brackets, "=", ";", blanks at the ends,
// control characters, direction marks and characters beyond 16 bits read back exactly; names that an
// INI line cannot hold are refused, and the recent-file list leaves them out instead of keeping an
// entry of an earlier exit in their place.
#include "app/recent_files.h"
#include "platform/profile.h"
#include "platform/whole_characters.h"
#include "support/test_env.h"

#include <QTest>

using namespace zek;

namespace {

const QString Clef = QString::fromUtf8("\xf0\x9d\x84\x9e");

} // namespace

class TestStoredTexts : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnvironment> env;
    QString ini;

private Q_SLOTS:
    void init() {
        env = std::make_unique<test::TestEnvironment>();
        ini = env->path("zek.ini");
    }
    void cleanup() { env.reset(); }

    void valuesReadBackExactly_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("storable");
        QTest::newRow("apostrophe") << "Bob's" << true;
        QTest::newRow("apostrophes at both ends") << "'quoted'" << true;
        QTest::newRow("double quotes at both ends") << "\"quoted\"" << true;
        QTest::newRow("one quote at the start") << "\"half" << true;
        QTest::newRow("brackets, equals, semicolon") << "[Global] a=b ; c" << true;
        QTest::newRow("blanks at both ends") << "  padded\t" << true;
        QTest::newRow("tab and control character") << "a\tb\x01"
                                                      "c"
                                                   << true;
        QTest::newRow("direction marks") << QString::fromUtf8("\xe2\x80\x8f"
                                                              "x\xe2\x80\xae"
                                                              "y")
                                         << true;
        QTest::newRow("beyond 16 bits") << "clef " + Clef << true;
        QTest::newRow("299 characters") << QString(299, u'v') << true;
        QTest::newRow("300 characters") << QString(300, u'v') << false;
        QTest::newRow("line feed") << "a\nb" << false;
        QTest::newRow("carriage return") << "a\rb" << false;
        QTest::newRow("zero character") << QString("a") + QChar(0) + "b" << false;
        QTest::newRow("half a character") << QString("x") + Clef.at(0) << false;
    }

    void valuesReadBackExactly() {
        QFETCH(QString, value);
        QFETCH(bool, storable);
        QCOMPARE(platform::isStorableProfileValue(value), storable);
        QVERIFY(platform::writePrivateProfileString("Global", "Other", "kept", ini));
        const bool written = platform::writePrivateProfileString("Global", "DefaultDirectory", value, ini);
        if (storable) {
            QVERIFY(written);
            QCOMPARE(platform::getPrivateProfileString("Global", "DefaultDirectory", "", ini), value);
        } else if (!written) {
            QCOMPARE(platform::getPrivateProfileString("Global", "DefaultDirectory", "none", ini),
                     QString("none"));
        }
        // Whatever was written, the file's other keys are whole.
        QCOMPARE(platform::getPrivateProfileString("Global", "Other", "", ini), QString("kept"));
        QVERIFY(platform::writePrivateProfileString("Global", "After", "1", ini));
        QCOMPARE(platform::getPrivateProfileString("Global", "After", "", ini), QString("1"));
    }

    // A name the settings file cannot keep is left out; the entries after it move up, and the
    // places left over are emptied rather than left with the names of an earlier exit.
    void recentFilesLeaveOutNamesTheFileCannotKeep() {
        RecentFiles earlier;
        for (const char* name : {"/d/old1.zek", "/d/old2.zek", "/d/old3.zek", "/d/old4.zek"})
            addRecentFile(earlier, name, "/w/work.zek");
        saveRecentFiles(earlier, ini);

        RecentFiles recent;
        const QStringList names{"/d/Bob's [1] 100%.zek", "/d/a\nb.zek", "/d/" + QString(300, u'n') + ".zek",
                                "/d/Tom&Jerry " + Clef + ".zek"};
        for (const QString& n : names)
            addRecentFile(recent, n, "/w/work.zek");
        QCOMPARE(recent.count(), 4);
        saveRecentFiles(recent, ini);

        RecentFiles loaded;
        loadRecentFiles(loaded, ini, "/w/work.zek");
        QCOMPARE(loaded.captions, QStringList({"&1 " + names[3], "&2 " + names[0]}));
    }

    void recentFileMenuTexts_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "&1 /d/a.zek"
                               << "&1 /d/a.zek";
        QTest::newRow("ampersand in the name") << "&2 /d/Tom&Jerry.zek"
                                               << "&2 /d/Tom&&Jerry.zek";
        QTest::newRow("blank in the name") << "&3 /d/a b&.zek"
                                           << "&3 /d/a b&&.zek";
    }

    void recentFileMenuTexts() {
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QCOMPARE(recentFileMenuText(caption), text);
    }

    void wholeCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("whole");
        QTest::newRow("pairs kept") << "a" + Clef + "b" + Clef << "a" + Clef + "b" + Clef;
        QTest::newRow("first half at the end") << "ab" + Clef.left(1) << "ab";
        QTest::newRow("second half at the start") << Clef.right(1) + "ab"
                                                  << "ab";
        QTest::newRow("halves in the wrong order") << Clef.right(1) + Clef.left(1) << "";
    }

    void wholeCharacters() {
        QFETCH(QString, text);
        QFETCH(QString, whole);
        QCOMPARE(platform::wholeCharacters(text), whole);
        QString edited = text;
        int pos = static_cast<int>(text.size());
        platform::WholeCharactersValidator v;
        QCOMPARE(v.validate(edited, pos), QValidator::Acceptable);
        QCOMPARE(edited, whole);
        QCOMPARE(pos, static_cast<int>(whole.size()));
    }
};

QTEST_GUILESS_MAIN(TestStoredTexts)
#include "test_stored_texts.moc"
