// The add check of the chosen-folder list, and the short form of a folder given by its path.
#include "scan/folder_add_check.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace zek;
using namespace zek::scan;

class TestFolderAddCheck : public QObject {
    Q_OBJECT

    static FolderList dataList() {
        FolderList list;
        list.append("/DATA", "/DATA");
        list.append("/home/Program Files", "/HOME/PROGRA~1");
        return list;
    }

private Q_SLOTS:
    void messages_data() {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("candidateShort");
        QTest::addColumn<bool>("shortForms");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<int>("conflict");
        QTest::addColumn<QString>("message");

        QTest::newRow("inside")
            << "/DATA/OLD"
            << "/DATA/OLD" << false << int(FolderAddVerdict::InsideListed) << 0
            << "The directory /DATA/OLD is a subdirectory of /DATA, which is already included.";
        QTest::newRow("root holds all")
            << "/"
            << "/" << false << int(FolderAddVerdict::ContainsListed) << 0
            << "The directory /DATA is a subdirectory of /, which is already included.";
        QTest::newRow("again") << "/DATA"
                               << "/DATA" << false << int(FolderAddVerdict::AlreadyAdded) << 0
                               << "You have already added /DATA.";
        QTest::newRow("same prefix, other folder")
            << "/DATABASE"
            << "/DATABASE" << false << int(FolderAddVerdict::Accepted) << -1 << "";
        QTest::newRow("case counts") << "/data/old"
                                     << "/DATA/OLD" << false << int(FolderAddVerdict::Accepted) << -1 << "";
        QTest::newRow("second item decides")
            << "/home/Program Files/Tools"
            << "/HOME/PROGRA~1/TOOLS" << false << int(FolderAddVerdict::InsideListed) << 1
            << "The directory /home/Program Files/Tools is a subdirectory of /home/Program Files, which is "
               "already "
               "included.";
        QTest::newRow("short forms quoted")
            << "/home/Program Files/Tools"
            << "/HOME/PROGRA~1/TOOLS" << true << int(FolderAddVerdict::InsideListed) << 1
            << "The directory /HOME/PROGRA~1/TOOLS is a subdirectory of /HOME/PROGRA~1, which is already "
               "included.";
        QTest::newRow("holds listed, short")
            << "/home"
            << "/HOME" << true << int(FolderAddVerdict::ContainsListed) << 1
            << "The directory /HOME/PROGRA~1 is a subdirectory of /HOME, which is already included.";
    }
    void messages() {
        QFETCH(QString, candidate);
        QFETCH(QString, candidateShort);
        QFETCH(bool, shortForms);
        QFETCH(int, verdict);
        QFETCH(int, conflict);
        QFETCH(QString, message);
        const FolderAddCheck check = checkFolderAddition(dataList(), candidate, candidateShort, shortForms);
        QCOMPARE(int(check.verdict), verdict);
        QCOMPARE(check.conflictIndex, conflict);
        QCOMPARE(check.message, message);
        QCOMPARE(check.accepted(), verdict == int(FolderAddVerdict::Accepted));
    }

    void firstConflictInListOrderDecides() {
        FolderList list;
        list.append("/a/b", "/A/B");
        list.append("/a", "/A");
        const FolderAddCheck check = checkFolderAddition(list, "/a", "/A", false);
        QCOMPARE(check.verdict, FolderAddVerdict::ContainsListed);
        QCOMPARE(check.conflictIndex, 0);
    }

    void emptyListAcceptsAll() { QVERIFY(checkFolderAddition(FolderList{}, "/", "/", false).accepted()); }

    void shortFormOfAFolder() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath("Program Files/Tools"));
        QVERIFY(QDir(dir.path()).mkpath("Program Files 2"));
        QVERIFY(QDir(dir.path()).mkpath("data"));
        const QString base = shortFormOfFolder(QFile::encodeName(dir.path()));
        QCOMPARE(base, base.toUpper());
        QVERIFY(base.startsWith('/'));
        QCOMPARE(shortFormOfFolder(QFile::encodeName(dir.path() + "/Program Files/Tools")),
                 base + "/PROGRA~1/TOOLS");
        QCOMPARE(shortFormOfFolder(QFile::encodeName(dir.path() + "/Program Files 2")), base + "/PROGRA~2");
        QCOMPARE(shortFormOfFolder(QFile::encodeName(dir.path() + "/data")), base + "/DATA");
        QCOMPARE(shortFormOfFolder("/"), QString("/"));
        // A folder that cannot be listed still gets a form.
        QCOMPARE(shortFormOfFolder(QFile::encodeName(dir.path() + "/no such/Long Name")),
                 base + "/NOSUCH~1/LONGNA~1");
    }
};

QTEST_GUILESS_MAIN(TestFolderAddCheck)
#include "test_folder_add_check.moc"
