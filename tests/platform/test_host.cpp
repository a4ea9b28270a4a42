#include "platform/file_association.h"
#include "platform/host_paths.h"
#include "platform/instance_lock.h"
#include "platform/twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zek::platform;

namespace {

QByteArray readRaw(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Another process that takes the lock on command: "a" acquire, "r" release, "q" quit. It answers
// each command with '1' or '0'.
class LockChild {
public:
    explicit LockChild(const QString& name) {
        int toChild[2], fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(toChild[1]);
            ::close(fromChild[0]);
            InstanceLock lock;
            char c;
            while (::read(toChild[0], &c, 1) == 1) {
                char answer = '1';
                if (c == 'a')
                    answer = lock.acquire(name) ? '1' : '0';
                else if (c == 'r')
                    lock.release();
                else if (c == 'q')
                    ::_exit(0);
                if (::write(fromChild[1], &answer, 1) != 1)
                    ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        m_command = toChild[1];
        m_reply = fromChild[0];
    }
    ~LockChild() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_command);
        ::close(m_reply);
    }
    bool started() const { return m_pid > 0; }
    bool send(char command) {
        char answer = 0;
        return ::write(m_command, &command, 1) == 1 && ::read(m_reply, &answer, 1) == 1 && answer == '1';
    }
    // Ends the child the hard way, as a crash would: no release, no destructor.
    void crash() {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_command = -1;
    int m_reply = -1;
};

} // namespace

class TestHost : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("HOME", m_dir.filePath("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath("run").toUtf8());
    }

    void folders() {
        QCOMPARE(configFolder(), m_dir.filePath("config/zek"));
        QCOMPARE(settingsFileName(), m_dir.filePath("config/zek/zek.ini"));
        QCOMPARE(dataHome(), m_dir.filePath("data"));
        QCOMPARE(runtimeFolder(), m_dir.filePath("run"));
        QCOMPARE(programFolder(), QCoreApplication::applicationDirPath());

        // Unset, empty or relative variables fall back to the home folder.
        qunsetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", "");
        qputenv("XDG_RUNTIME_DIR", "relative/run");
        QCOMPARE(configFolder(), m_dir.filePath("home/.config/zek"));
        QCOMPARE(dataHome(), m_dir.filePath("home/.local/share"));
        QCOMPARE(runtimeFolder(), m_dir.filePath("home/.config/zek"));
        initTestCase();
    }

    void replaceCreatesFoldersAndReportsFailures() {
        const QString name = m_dir.filePath("deep/er/file.txt");
        QVERIFY(replaceFileContents(name, "one"));
        QVERIFY(replaceFileContents(name, "two"));
        QCOMPARE(readRaw(name), QByteArray("two"));
        QCOMPARE(QDir(m_dir.filePath("deep/er")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"file.txt"});

        // A file where a folder is needed.
        HostError error;
        QVERIFY(!replaceFileContents(m_dir.filePath("deep/er/file.txt/x"), "x", &error));
        QCOMPARE(error.number, ENOTDIR);
        QVERIFY(error.text.contains("file.txt"));
    }

    void lockAcrossProcesses() {
        InstanceLock first;
        QVERIFY(first.acquire());
        QCOMPARE(first.fileName(), m_dir.filePath("run/zek.lock"));
        QVERIFY(first.acquire()); // already ours

        LockChild other(QStringLiteral("zek"));
        QVERIFY(other.started());
        QVERIFY(!other.send('a')); // held here

        // flock belongs to the open file, so a second lock in this very process is refused too.
        InstanceLock second;
        QVERIFY(!second.acquire());
        QVERIFY(second.heldElsewhere());

        first.release();
        QVERIFY(other.send('a'));
        QVERIFY(!first.acquire());
        QVERIFY(first.heldElsewhere());
        QCOMPARE(first.errorNumber(), EWOULDBLOCK);

        QVERIFY(other.send('r'));
        QVERIFY(first.acquire());
        QVERIFY(!other.send('a'));
        first.release();

        // The holder dies without releasing: the file stays, the lock does not.
        QVERIFY(other.send('a'));
        other.crash();
        QVERIFY(QFile::exists(m_dir.filePath("run/zek.lock")));
        QVERIFY(first.acquire());
    }

    void lockNamesAreIndependentAndReleasedOnDestruction() {
        {
            InstanceLock a;
            QVERIFY(a.acquire(QStringLiteral("one")));
            InstanceLock b;
            QVERIFY(b.acquire(QStringLiteral("two")));
        }
        InstanceLock again;
        QVERIFY(again.acquire(QStringLiteral("one")));
    }

    void lockFailureIsNotMistakenForAnotherInstance() {
        QVERIFY(replaceFileContents(m_dir.filePath("notafolder"), "x"));
        qputenv("XDG_RUNTIME_DIR", m_dir.filePath("notafolder").toUtf8());
        InstanceLock lock;
        QVERIFY(!lock.acquire());
        QVERIFY(!lock.heldElsewhere());
        QVERIFY(lock.errorNumber() != 0);
        QVERIFY(!lock.errorText().isEmpty());
        initTestCase();
    }

    void associationFiles() {
        writeFileAssociation(QStringLiteral("/usr/local/bin/zek"), CacheUpdate::Skip);
        const QString xml = m_dir.filePath("data/mime/packages/zek.xml");
        const QString desktop = m_dir.filePath("data/applications/zek.desktop");

        QXmlStreamReader reader(readRaw(xml));
        QString type, comment, glob;
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (reader.name() == QLatin1String("mime-type"))
                type = reader.attributes().value("type").toString();
            else if (reader.name() == QLatin1String("comment"))
                comment = reader.readElementText();
            else if (reader.name() == QLatin1String("glob"))
                glob = reader.attributes().value("pattern").toString();
        }
        QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
        QCOMPARE(type, QString("application/x-zek"));
        QCOMPARE(comment, QString("ZEK Database"));
        QCOMPARE(glob, QString("*.zek"));

        const QStringList lines = QString::fromUtf8(readRaw(desktop)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QString("[Desktop Entry]"));
        for (const char* line : {"Type=Application", "Name=ZEK", "Exec=/usr/local/bin/zek %f",
                                 "MimeType=application/x-zek;", "Terminal=false", "Categories=Utility;"})
            QVERIFY2(lines.contains(QLatin1String(line)), line);

        // Unchanged contents are not rewritten at the next start.
        struct stat before {
        }, after{};
        QVERIFY(::stat(QFile::encodeName(desktop).constData(), &before) == 0);
        writeFileAssociation(QStringLiteral("/usr/local/bin/zek"), CacheUpdate::Skip);
        QVERIFY(::stat(QFile::encodeName(desktop).constData(), &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino);

        // Another program folder: the entry follows it.
        writeFileAssociation(QStringLiteral("/opt/zek/zek"), CacheUpdate::Skip);
        QVERIFY(readRaw(desktop).contains("\nExec=/opt/zek/zek %f\n"));
    }

    void execLineQuoting_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("space") << "/opt/my apps/zek" << QByteArray("Exec=\"/opt/my apps/zek\" %f");
        QTest::newRow("dollar") << "/opt/a$b/zek" << QByteArray("Exec=\"/opt/a\\\\$b/zek\" %f");
        QTest::newRow("percent") << "/opt/100%/zek" << QByteArray("Exec=/opt/100%%/zek %f");
        QTest::newRow("quote") << "/opt/\"q\"/zek" << QByteArray("Exec=\"/opt/\\\\\"q\\\\\"/zek\" %f");
    }
    void execLineQuoting() {
        QFETCH(QString, path);
        QFETCH(QByteArray, exec);
        QVERIFY2(desktopEntryContents(path).contains("\n" + exec + "\n"),
                 desktopEntryContents(path).constData());
    }

    void mimeDatabaseAcceptsThePackage() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (tool.isEmpty())
            QSKIP("update-mime-database is not installed");
        writeFileAssociation(QStringLiteral("/usr/local/bin/zek"), CacheUpdate::Skip);
        QProcess p;
        p.start(tool, {m_dir.filePath("data/mime")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(readRaw(m_dir.filePath("data/mime/globs2")).contains("application/x-zek:*.zek"));
    }

    void associationFailureIsQuiet() {
        QVERIFY(replaceFileContents(m_dir.filePath("datafile"), "x"));
        qputenv("XDG_DATA_HOME", m_dir.filePath("datafile").toUtf8());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("File association not written"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("File association not written"));
        writeFileAssociation(QStringLiteral("/usr/local/bin/zek"));
        initTestCase();
    }

    void twips() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const int tx = int(std::lround(1440.0 / screen->logicalDotsPerInchX()));
        const int ty = int(std::lround(1440.0 / screen->logicalDotsPerInchY()));
        QCOMPARE(twipsPerPixelX(), tx);
        QCOMPARE(twipsPerPixelY(), ty);
        QCOMPARE(pixelsToTwips(640), 640 * tx);
        QCOMPARE(pixelsToTwips(480, Axis::Y), 480 * ty);
        QCOMPARE(twipsToPixels(pixelsToTwips(123)), 123);
        QCOMPARE(twipsToPixels(-pixelsToTwips(7, Axis::Y), Axis::Y), -7);
        if (tx == 15) { // the offscreen screen reports 96 DPI
            QCOMPARE(twipsToPixels(9600), 640);
            QCOMPARE(twipsToPixels(7), 0);
            QCOMPARE(twipsToPixels(8), 1);
        }
    }
};

QTEST_MAIN(TestHost)
#include "test_host.moc"
