// The file that replaces its target only when complete: a write that meets a full disk, however it
// arrives (one large write, a text stream that drops what the device did not take), makes commit()
// refuse with the system's error number, and the old target stays with no temporary file beside it.
#include "support/file_size_limit.h"
#include "support/test_env.h"
#include "work/file_copy.h"
#include "work/replacing_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextStream>

#include <cerrno>
#include <sys/stat.h>

using namespace zek;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// How the bytes reach the file.
enum class Writer { OneWrite, TextStream, Copy };

} // namespace

class TestReplacingFile : public QObject {
    Q_OBJECT

    test::TestEnvironment m_env;

private Q_SLOTS:
    void targetIsReplacedOnlyWhenComplete_data() {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<int>("limit"); // bytes any file may grow to; 0: no limit
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<int>("error"); // 0: the target is replaced

        QTest::newRow("one write") << Writer::OneWrite << 0 << true << 0;
        QTest::newRow("text stream") << Writer::TextStream << 0 << true << 0;
        QTest::newRow("copy") << Writer::Copy << 0 << true << 0;
        QTest::newRow("one write past a full disk") << Writer::OneWrite << 64 * 1024 << true << EFBIG;
        QTest::newRow("text stream past a full disk") << Writer::TextStream << 64 * 1024 << true << EFBIG;
        QTest::newRow("copy past a full disk") << Writer::Copy << 64 * 1024 << true << EFBIG;
        QTest::newRow("missing folder") << Writer::OneWrite << 0 << false << ENOENT;
        QTest::newRow("copy into a missing folder") << Writer::Copy << 0 << false << ENOENT;
    }
    void targetIsReplacedOnlyWhenComplete() {
        QFETCH(Writer, writer);
        QFETCH(int, limit);
        QFETCH(bool, folderExists);
        QFETCH(int, error);

        const QString folder = m_env.path(QTest::currentDataTag());
        if (folderExists)
            QVERIFY(QDir().mkpath(folder));
        const QString target = folder + "/target.zek";
        const QByteArray old("the user's file as it was");
        if (folderExists) {
            QVERIFY(writeFile(target, old));
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        }
        QByteArray text;
        for (int i = 0; text.size() < 300 * 1024; ++i)
            text += "line " + QByteArray::number(i) + " of a report that does not fit\n";
        const QString source = m_env.path(QString(QTest::currentDataTag()) + ".source");
        if (writer == Writer::Copy)
            QVERIFY(writeFile(source, text));

        bool committed = false;
        int number = 0;
        {
            test::FileSizeLimit disk;
            if (limit > 0)
                QVERIFY(disk.set(rlim_t(limit)));
            if (writer == Writer::Copy) {
                const work::CopyFailure failure = work::copyFileOver(source, target);
                committed = !failure.failed();
                number = failure.number;
            } else {
                work::ReplacingFile file(target);
                if (file.openForWriting()) {
                    if (writer == Writer::OneWrite) {
                        file.write(text);
                    } else {
                        QTextStream out(&file);
                        for (const QByteArray& line : text.split('\n'))
                            out << line << '\n';
                        out.flush();
                    }
                    committed = file.commit();
                }
                number = file.errorNumber();
            }
        }

        QCOMPARE(number, error);
        QCOMPARE(committed, error == 0);
        QVERIFY(!QFile::exists(work::partFileName(target)));
        if (error == 0) {
            QVERIFY(fileBytes(target).startsWith(text));
            // The replaced file keeps the permissions the user gave it.
            QCOMPARE(QFile::permissions(target) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                   QFile::WriteGroup | QFile::ReadOther),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        } else if (folderExists) {
            QCOMPARE(fileBytes(target), old);
        }
    }

    void symbolicLinkKeepsPointingAtTheReplacedFile() {
        const QString folder = m_env.path("link");
        QVERIFY(QDir().mkpath(folder + "/real"));
        const QString real = folder + "/real/inventory.zek";
        const QString link = folder + "/inventory.zek";
        QVERIFY(writeFile(real, "old"));
        QVERIFY(QFile::link(real, link));
        const QString source = folder + "/new.zek";
        QVERIFY(writeFile(source, "new"));

        QVERIFY(!work::copyFileOver(source, link).failed());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(real), QByteArray("new"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({"inventory.zek", "new.zek"}));
    }
};

QTEST_GUILESS_MAIN(TestReplacingFile)
#include "test_replacing_file.moc"
