// Folders chosen in the Path Selection window whose names hold quotes, pattern characters, control
// characters, direction marks, characters beyond 16 bits or bytes that are no UTF-8: each is added
// from the outline, shown as it is on disk, scanned with its own entries, and kept in the work file;
// one whose name cannot be kept is refused with a message, never scanned as another folder.
#include "scan/gui/path_selection_window.h"

#include "app/app_state.h"
#include "support/controls.h"
#include "support/walker_fixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>

using namespace zek;
using namespace zek::test;

namespace {

int nodeNamed(const PathSelectionWindow& w, const QByteArray& rawName) {
    for (int i = 0; i < w.outline().count(); ++i)
        if (w.outline().nodes()[static_cast<size_t>(i)].rawName == rawName)
            return i;
    return -1;
}

} // namespace

class TestHostileFolderNames : public QObject {
    Q_OBJECT

    std::unique_ptr<WalkerFixture> f;
    QString root;

private Q_SLOTS:
    void init() {
        f = std::make_unique<WalkerFixture>();
        root = f->tree("drive");
    }

    void cleanup() {
        removeTree(raw(root));
        f.reset();
    }

    void foldersAddedFromTheOutline_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("kept");
        QTest::newRow("apostrophe") << QByteArray("Bob's") << true;
        QTest::newRow("brackets and pattern characters") << QByteArray("[a] 100% a_b #1 *?") << true;
        QTest::newRow("tab, line feed, control character") << QByteArray("a\tb\nc\x01"
                                                                         "d")
                                                           << true;
        QTest::newRow("direction marks") << QByteArray("\xe2\x80\x8f"
                                                       "x\xe2\x80\xae"
                                                       "y")
                                         << true;
        QTest::newRow("beyond 16 bits") << QByteArray("clef \xf0\x9d\x84\x9e") << true;
        QTest::newRow("255 bytes") << QByteArray(255, 'n') << true;
        QTest::newRow("no UTF-8") << QByteArray("bad\xff") << false;
        QTest::newRow("half a character") << QByteArray("half\xf0\x9d") << false;
    }

    void foldersAddedFromTheOutline() {
        QFETCH(QByteArray, name);
        QFETCH(bool, kept);
        const QByteArray folder = raw(root) + "/" + name;
        QVERIFY(makeFolder(folder));
        QVERIFY(makeFile(folder + "/in", 3));
        // A sibling that a name read the wrong way might stand for.
        QVERIFY(makeFolder(raw(root) + "/decoy"));
        QVERIFY(makeFile(raw(root) + "/decoy/other", 3));

        platform::IntlSettings intl;
        PathSelectionWindow w(f->ws, intl, nullptr, nullptr, {root});
        const int node = nodeNamed(w, name);
        QVERIFY(node >= 0);
        w.selectNode(node);
        f->prompter.clear();
        child<QPushButton>(w, "drivediradd")->click();
        if (!kept) {
            // Refused: the folder cannot be reached again from the name the list keeps.
            QCOMPARE(f->ws.settings.folders.count(), 0);
            QCOMPARE(f->prompter.messages.size(), 1);
            QCOMPARE(f->prompter.messages[0].text, scan::unkeptFolderNameText(w.outline().longPath(node)));
            return;
        }
        QVERIFY(f->prompter.messages.isEmpty());
        QCOMPARE(f->ws.settings.folders.longForms, QStringList{QFile::decodeName(folder)});
        QCOMPARE(child<QListWidget>(w, "drivedirlist")->item(0)->text(), QFile::decodeName(folder));

        RecordingDisplay display;
        QCOMPARE(scan::scanSelectedFolders(f->scan, f->ws, display), scan::ScanOutcome::Completed);
        QCOMPARE(display.problems, QStringList());
        const QList<FileRecord> records = f->records();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].longName, QString("in"));
        QCOMPARE(records[0].longPath, QFile::decodeName(folder) + "/");

        // Kept in the work file as it was added.
        const QString saved = f->env.path("folders.zek");
        QVERIFY(work::saveWorkFile(f->ws, saved));
        QString fileName = saved;
        f->prompter.messageAnswers = {platform::IdNo};
        work::openWorkFile(f->ws, "LOAD", fileName);
        QCOMPARE(f->ws.settings.folders.longForms, QStringList{QFile::decodeName(folder)});
    }
};

QTEST_MAIN(TestHostileFolderNames)
#include "test_hostile_folder_names.moc"
