#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

using namespace zek::platform;

namespace {

void writeRaw(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readRaw(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString ini() const { return m_dir.filePath(QStringLiteral("zek.ini")); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    void cleanup() { QFile::remove(ini()); }

    void missingFileHasNoKeys() {
        const QString name = m_dir.filePath(QStringLiteral("no/such/folder/zek.ini"));
        QCOMPARE(getPrivateProfileString("Global", "DefaultDirectory", "", name), QString(""));
        QCOMPARE(getPrivateProfileString("Tip", "Tipstart", " ", name), QString(" "));
        QCOMPARE(getPrivateProfileInt("Global", "WscreenWidth", 9600, name), 9600);
        QVERIFY(!findPrivateProfileString("Global", "DefaultDirectory", name));
        QVERIFY(!QFileInfo::exists(m_dir.filePath("no"))); // reading creates nothing
    }

    void namesIgnoreCase() {
        writeRaw(ini(), "[Global]\nDefaultDirectory=/home/u/Work\n");
        QCOMPARE(getPrivateProfileString("GLOBAL", "defaultdirectory", "", ini()), QString("/home/u/Work"));
        QCOMPARE(getPrivateProfileString("global", "DEFAULTDIRECTORY", "", ini()), QString("/home/u/Work"));

        // A write in another case changes the existing line and keeps its spelling.
        QVERIFY(writePrivateProfileString("gLoBaL", "DEFAULTdirectory", "/srv", ini()));
        QCOMPARE(readRaw(ini()), QByteArray("[Global]\nDefaultDirectory=/srv\n"));
    }

    void valuesAsStored() {
        writeRaw(ini(), "[S]\n"
                        "  Spaced  =  value with  inner  spaces  \n"
                        "Tipstart=\" \"\n"
                        "Single='x y'\n"
                        "Lone=\"\n"
                        "Mixed=\"a'\n"
                        "Empty=\n"
                        "Inline=1 ; not a comment\n"
                        "Eq=a=b\n"
                        "Tab=\tv\t\n");
        QCOMPARE(getPrivateProfileString("S", "Spaced", "d", ini()), QString("value with  inner  spaces"));
        QCOMPARE(getPrivateProfileString("S", "Tipstart", "d", ini()), QString(" "));
        QCOMPARE(getPrivateProfileString("S", "Single", "d", ini()), QString("x y"));
        QCOMPARE(getPrivateProfileString("S", "Lone", "d", ini()), QString("\""));
        QCOMPARE(getPrivateProfileString("S", "Mixed", "d", ini()), QString("\"a'"));
        QCOMPARE(getPrivateProfileString("S", "Inline", "d", ini()), QString("1 ; not a comment"));
        QCOMPARE(getPrivateProfileString("S", "Eq", "d", ini()), QString("a=b"));
        QCOMPARE(getPrivateProfileString("S", "Tab", "d", ini()), QString("v"));
        // An empty value is a value; only a missing key takes the default.
        QCOMPARE(getPrivateProfileString("S", "Empty", "d", ini()), QString(""));
        QVERIFY(findPrivateProfileString("S", "Empty", ini()).has_value());
        QCOMPARE(getPrivateProfileString("S", "Missing", "d", ini()), QString("d"));
        QCOMPARE(getPrivateProfileString("Other", "Empty", "d", ini()), QString("d"));
    }

    void onlyKeysOfTheSectionCount() {
        writeRaw(ini(), "Loose=1\n"
                        "[A]\n"
                        ";Key=commented\n"
                        "NoEquals\n"
                        "[ B ]\n"
                        "Key=b\n"
                        "[A]\n"
                        "Key=second a\n");
        QCOMPARE(getPrivateProfileString("A", "Loose", "d", ini()), QString("d"));
        QCOMPARE(getPrivateProfileString("A", ";Key", "d", ini()), QString("d"));
        QCOMPARE(getPrivateProfileString("A", "NoEquals", "d", ini()), QString("d"));
        QCOMPARE(getPrivateProfileString("B", "Key", "d", ini()), QString("b"));
        QCOMPARE(getPrivateProfileString("A", "Key", "d", ini()), QString("second a"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::newRow("blank") << " ";
        QTest::newRow("empty") << "";
        QTest::newRow("leading") << "  lead";
        QTest::newRow("trailing") << "trail\t";
        QTest::newRow("double quoted") << "\"quoted\"";
        QTest::newRow("single quoted") << "'single'";
        QTest::newRow("inner quotes") << "say \"hi\" now";
        QTest::newRow("non-ascii") << QStringLiteral("Ärger – 東京 😀");
        QTest::newRow("backslash") << "C:\\WORK\\";
        QTest::newRow("equals and semicolon") << "a=b;c";
    }
    void roundTrip() {
        QFETCH(QString, value);
        QVERIFY(writePrivateProfileString("Tip", "Tipstart", value, ini()));
        QCOMPARE(getPrivateProfileString("tip", "tipstart", "default", ini()), value);
        // Written again over itself: still the same.
        QVERIFY(writePrivateProfileString("Tip", "Tipstart", value, ini()));
        QCOMPARE(getPrivateProfileString("Tip", "Tipstart", "default", ini()), value);
    }

    void utf8OnDisk() {
        QVERIFY(writePrivateProfileString("Recent File List", "File1", QStringLiteral("/home/jörg/a.zek"),
                                          ini()));
        QVERIFY(readRaw(ini()).contains("File1=/home/j\xC3\xB6rg/a.zek"));
        // A byte-order mark written by some editor is neither a key nor lost.
        writeRaw(ini(), "\xEF\xBB\xBF[Global]\r\nA=1\r\n");
        QCOMPARE(getPrivateProfileString("Global", "A", "", ini()), QString("1"));
        QVERIFY(writePrivateProfileString("Global", "B", "2", ini()));
        QCOMPARE(readRaw(ini()), QByteArray("\xEF\xBB\xBF[Global]\r\nA=1\r\nB=2\r\n"));
    }

    void writeKeepsTheRestOfTheFile() {
        const QByteArray original = "; ZEK settings\r\n"
                                    "[Global]\r\n"
                                    "DefaultDirectory = /data/work\r\n"
                                    "SaveSettingsOnExit=0\r\n"
                                    "\r\n"
                                    "; positions\r\n"
                                    "[Windowsposition]\r\n"
                                    "ZekForm=0 0 7200 9600 0\r\n"
                                    "\r\n"
                                    "[Tip]\r\n"
                                    "Tipstart=No"; // last line without a line end
        writeRaw(ini(), original);

        QVERIFY(writePrivateProfileString("Global", "SaveSettingsOnExit", "-1", ini()));
        QVERIFY(writePrivateProfileString("Global", "DefaultDirectory", "/data/other", ini()));
        QVERIFY(writePrivateProfileString("Global", "WscreenWidth", "12000", ini()));
        QVERIFY(writePrivateProfileString("Tip", "TipNew", "0", ini()));
        QVERIFY(writePrivateProfileString("Recent File List", "SizeOfMRUList", "4", ini()));

        QCOMPARE(readRaw(ini()), QByteArray("; ZEK settings\r\n"
                                            "[Global]\r\n"
                                            "DefaultDirectory = /data/other\r\n"
                                            "SaveSettingsOnExit=-1\r\n"
                                            "WscreenWidth=12000\r\n"
                                            "\r\n"
                                            "; positions\r\n"
                                            "[Windowsposition]\r\n"
                                            "ZekForm=0 0 7200 9600 0\r\n"
                                            "\r\n"
                                            "[Tip]\r\n"
                                            "Tipstart=No\r\n"
                                            "TipNew=0\r\n"
                                            "\r\n"
                                            "[Recent File List]\r\n"
                                            "SizeOfMRUList=4\r\n"));
    }

    // A last line ending in a lone CR has no line end for the reader: a key written after it
    // must still start a line of its own, in its section or in a new one.
    void aLastLineEndingInCarriageReturn() {
        writeRaw(ini(), "[ZEK]\rKey=1\r");
        QVERIFY(writePrivateProfileString("Other", "Key", "2", ini()));
        QVERIFY(writePrivateProfileString("ZEK", "WorkDir", "/w", ini()));
        QCOMPARE(findPrivateProfileString("Other", "Key", ini()), std::optional<QString>("2"));
        QCOMPARE(findPrivateProfileString("ZEK", "WorkDir", ini()), std::optional<QString>("/w"));

        writeRaw(ini(), "[A]\nX=1\r");
        QVERIFY(writePrivateProfileString("A", "Y", "2", ini()));
        QCOMPARE(findPrivateProfileString("A", "X", ini()), std::optional<QString>("1"));
        QCOMPARE(findPrivateProfileString("A", "Y", ini()), std::optional<QString>("2"));
        QCOMPARE(readRaw(ini()), QByteArray("[A]\nX=1\r\nY=2\n"));
    }

    void newFileAndFolderAreCreated() {
        const QString name = m_dir.filePath(QStringLiteral("a/b/zek.ini"));
        QVERIFY(writePrivateProfileString("Global", "DefaultDirectory", "/w", name));
        QCOMPARE(readRaw(name), QByteArray("[Global]\nDefaultDirectory=/w\n"));
        QVERIFY(QDir(m_dir.filePath("a/b")).removeRecursively());
    }

    void fileNameWithoutFolderLivesInTheConfigFolder() {
        QVERIFY(writePrivateProfileString("S", "K", "v", QStringLiteral("other.ini")));
        QVERIFY(QFileInfo::exists(m_dir.filePath(QStringLiteral("zek/other.ini"))));
        QCOMPARE(getPrivateProfileString("S", "K", "", QStringLiteral("other.ini")), QString("v"));
    }

    void writeIsAtomic() {
        writeRaw(ini(), "[S]\nK=1\n");
        QVERIFY(::chmod(QFile::encodeName(ini()).constData(), 0640) == 0);
        for (int i = 0; i < 20; ++i)
            QVERIFY(writePrivateProfileString("S", QStringLiteral("K%1").arg(i), QString::number(i), ini()));
        // Nothing beside the file: the new contents went through a temporary file that was renamed.
        const QStringList entries =
            QDir(m_dir.path()).entryList(QStringList{"zek.ini*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(entries, QStringList{"zek.ini"});
        QFileInfo info(ini());
        QCOMPARE(int(info.permissions() & (QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup |
                                           QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)),
                 int(QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup));
        QCOMPARE(getPrivateProfileInt("S", "K19", -1, ini()), 19);
    }

    void writeFollowsASymbolicLink() {
        const QString real = m_dir.filePath(QStringLiteral("dotfiles/zek.ini"));
        QVERIFY(QDir().mkpath(m_dir.filePath("dotfiles")));
        writeRaw(real, "[S]\nK=1\n");
        QVERIFY(QFile::link(real, ini()));
        QVERIFY(writePrivateProfileString("S", "K", "2", ini()));
        QVERIFY(QFileInfo(ini()).isSymLink());
        QCOMPARE(readRaw(real), QByteArray("[S]\nK=2\n"));
        QVERIFY(QDir(m_dir.filePath("dotfiles")).removeRecursively());
    }

    void refusedWritesLeaveTheFile() {
        const QByteArray original = "[S]\nK=1\n";
        writeRaw(ini(), original);
        HostError error;
        QVERIFY(!writePrivateProfileString("S", "K", "two\nlines", ini(), &error));
        QVERIFY(error.number != 0 && !error.text.isEmpty());
        QVERIFY(!writePrivateProfileString("S", "A=B", "x", ini()));
        QVERIFY(!writePrivateProfileString("S", ";K", "x", ini()));
        QVERIFY(!writePrivateProfileString("S", "", "x", ini()));
        QVERIFY(!writePrivateProfileString("S]", "K", "x", ini()));
        QVERIFY(!writePrivateProfileString("", "K", "x", ini()));
        QCOMPARE(readRaw(ini()), original);
    }

    void fileSystemFailuresAreReported() {
        if (::geteuid() == 0)
            QSKIP("permissions do not bind root");
        const QString folder = m_dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        const QString name = folder + QStringLiteral("/zek.ini");
        writeRaw(name, "[S]\nK=1\n");

        // No room for the new file beside the old one.
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0500) == 0);
        HostError error;
        QVERIFY(!writePrivateProfileString("S", "K", "2", name, &error));
        QCOMPARE(error.number, EACCES);
        QVERIFY(error.text.contains(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0700) == 0);
        QCOMPARE(readRaw(name), QByteArray("[S]\nK=1\n"));

        // An unreadable file is never replaced: its other keys would be lost.
        QVERIFY(::chmod(QFile::encodeName(name).constData(), 0200) == 0);
        error = {};
        QVERIFY(!writePrivateProfileString("S", "Other", "x", name, &error));
        QCOMPARE(error.number, EACCES);
        QCOMPARE(getPrivateProfileString("S", "K", "d", name), QString("d")); // read as a file without keys
        QVERIFY(::chmod(QFile::encodeName(name).constData(), 0600) == 0);
        QCOMPARE(readRaw(name), QByteArray("[S]\nK=1\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"zek.ini"});
    }

    void intValues_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("N=9600") << 9600;
        QTest::newRow("negative") << QByteArray("N= -1 ") << -1;
        QTest::newRow("plus") << QByteArray("N=+5") << 5;
        QTest::newRow("digits then text") << QByteArray("N=12abc") << 12;
        QTest::newRow("garbage") << QByteArray("N=abc") << 0;
        QTest::newRow("sign only") << QByteArray("N=-") << 0;
        QTest::newRow("decimal") << QByteArray("N=3.7") << 3;
        QTest::newRow("quoted") << QByteArray("N=\"42\"") << 42;
        QTest::newRow("too big") << QByteArray("N=99999999999999999999") << INT_MAX;
        QTest::newRow("too small") << QByteArray("N=-99999999999") << INT_MIN;
        QTest::newRow("empty") << QByteArray("N=") << 777;
        QTest::newRow("missing") << QByteArray("M=1") << 777;
    }
    void intValues() {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        writeRaw(ini(), "[Global]\n" + stored + "\n");
        QCOMPARE(getPrivateProfileInt("global", "n", 777, ini()), expected);
    }

    void longValuesAreCut() {
        const QString longValue(400, QLatin1Char('x'));
        QVERIFY(writePrivateProfileString("Recent File List", "File1", longValue, ini()));
        QCOMPARE(getPrivateProfileString("Recent File List", "File1", "", ini()).size(), 299);
        QCOMPARE(getPrivateProfileString("Recent File List", "Missing", longValue, ini()).size(), 299);
        QCOMPARE(getPrivateProfileString("Recent File List", "File1", "", ini(), 1000), longValue);
        // The whole value stays in the file.
        QVERIFY(readRaw(ini()).contains(longValue.toLatin1()));

        // A cut never leaves half of a character outside the basic plane.
        const QString emoji = QString(298, QLatin1Char('a')) + QStringLiteral("😀");
        QVERIFY(writePrivateProfileString("S", "E", emoji, ini()));
        QCOMPARE(getPrivateProfileString("S", "E", "", ini()), QString(298, QLatin1Char('a')));
    }
};

QTEST_MAIN(TestProfile)
#include "test_profile.moc"
