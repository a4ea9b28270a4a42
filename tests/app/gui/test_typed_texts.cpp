// Texts the user types or pastes into the program's boxes, with quotes, brackets, pattern
// characters, control characters, direction marks, characters beyond 16 bits and more than a box
// holds: each is kept exactly (in the box, in the work file, and after Save As and Open), cut to
// whole characters at the box's length, or refused with the box's own message.
#include "app/gui/work_directory_dialog.h"
#include "app/startup.h"
#include "platform/host_paths.h"
#include "platform/profile.h"
#include "query/gui/conditions_window.h"
#include "query/gui/grid_edits.h"
#include "query/statement_builder.h"
#include "report/gui/grid_clip.h"
#include "report/gui/report_setup_window.h"
#include "support/controls.h"
#include "support/laptop_screen.h"
#include "support/program_session.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTableWidget>

#include <memory>

using namespace zek;

namespace {

const QString Clef = QString::fromUtf8("\xf0\x9d\x84\x9e"); // beyond 16 bits: two UTF-16 units

// How a text reaches a box: typed key by key, or pasted (the only way to enter a tab or a line feed).
enum class Entry { Typed, Pasted };

void enter(QLineEdit* box, const QString& text, Entry how) {
    box->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    box->selectAll();
    if (how == Entry::Typed) {
        QTest::keyClicks(box, text);
    } else {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QCoreApplication::processEvents();
}

// No half of a character beyond 16 bits anywhere in the text.
bool wholeCharacters(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && (i + 1 == text.size() || !text[i + 1].isLowSurrogate()))
            return false;
        if (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()))
            return false;
    }
    return true;
}

void addHostileTexts(int maxLength) {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("how");
    QTest::addColumn<QString>("kept");
    auto row = [](const char* label, const QString& text, Entry how, const QString& kept) {
        QTest::newRow(label) << text << int(how) << kept;
    };
    row("apostrophe", "Bob's files", Entry::Typed, "Bob's files");
    row("brackets", "[a] (b) {c} <d>", Entry::Typed, "[a] (b) {c} <d>");
    row("pattern characters", "100% a_b *?# \\", Entry::Typed, "100% a_b *?# \\");
    row("quotes and a statement", "x'; DROP TABLE FILETYPE; --\"", Entry::Typed,
        "x'; DROP TABLE FILETYPE; --\"");
    row("tab and control character",
        "a\tb\x01"
        "c",
        Entry::Pasted,
        "a\tb\x01"
        "c");
    row("line feed", "a\nb", Entry::Pasted, "a\nb");
    row("direction marks",
        QString::fromUtf8("\xe2\x80\x8f"
                          "abc \xe2\x80\xae"
                          "def"),
        Entry::Pasted,
        QString::fromUtf8("\xe2\x80\x8f"
                          "abc \xe2\x80\xae"
                          "def"));
    row("beyond 16 bits", "clef " + Clef, Entry::Pasted, "clef " + Clef);
    const QString longText = QString("0123456789").repeated(205);
    row("2,050 characters", longText, Entry::Pasted, longText.left(maxLength));
    // The box is full one unit before the second half of the last character: the whole character
    // is left out, never half of it.
    row("a pair at the limit", QString(maxLength - 1, u'x') + Clef + "y", Entry::Pasted,
        QString(maxLength - 1, u'x'));
}

} // namespace

class TestTypedTexts : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ProgramSession> session;
    test::ScriptedPrompter* prompter = nullptr;
    AppState* app = nullptr;

    MainWindow* main() const { return session->main(); }
    ReportSetupWindow* setup(const char* name) const { return main()->findChild<ReportSetupWindow*>(name); }
    QLineEdit* box(QObject* window, const QString& name) const {
        return test::child<QLineEdit>(*window, name);
    }

    // Save As under `fileName`, New, and Open of that file again (no reports from it).
    void saveAsNewAndOpen(const QString& fileName) {
        prompter->saveAnswers = {fileName};
        session->action("Menu_File_SaveAs")->trigger();
        QCOMPARE(app->work.activeFileName, fileName);
        prompter->messageAnswers = {platform::IdNo};
        session->action("Menu_File_New")->trigger();
        prompter->openAnswers = {fileName};
        prompter->messageAnswers = {platform::IdNo};
        session->action("Menu_File_Open")->trigger();
        QCOMPARE(app->work.activeFileName, fileName);
    }

private Q_SLOTS:
    void init() {
        session = std::make_unique<test::ProgramSession>();
        prompter = session->prompter.get();
        QVERIFY(session->startProgram());
        app = session->app.get();
    }

    void cleanup() { session.reset(); }

    void titlesAndFootnotesSurviveSaveAsAndOpen_data() { addHostileTexts(100); }

    void titlesAndFootnotesSurviveSaveAsAndOpen() {
        QFETCH(QString, text);
        QFETCH(int, how);
        QFETCH(QString, kept);
        const QStringList boxes{"first_title", "second_title", "first_footnote", "second_footnote"};
        for (const char* window : {"SetupDetail", "frmsummary"}) {
            for (const QString& name : boxes) {
                enter(box(setup(window), name), text, Entry(how));
                QCOMPARE(box(setup(window), name)->text(), kept);
            }
        }
        QCOMPARE(app->work.settings.detailTitles, (ReportTitles{kept, kept, kept, kept}));
        QCOMPARE(app->work.settings.summaryTitles, (ReportTitles{kept, kept, kept, kept}));

        saveAsNewAndOpen(session->env->path("titles.zek"));
        QCOMPARE(app->work.settings.detailTitles, (ReportTitles{kept, kept, kept, kept}));
        QCOMPARE(app->work.settings.summaryTitles, (ReportTitles{kept, kept, kept, kept}));
        for (const char* window : {"SetupDetail", "frmsummary"})
            for (const QString& name : boxes)
                QCOMPARE(box(setup(window), name)->text(), kept);
        QVERIFY(prompter->texts().filter("Error").isEmpty());
    }

    void columnDescriptionsSurviveSaveAsAndOpen_data() { addHostileTexts(40); }

    void columnDescriptionsSurviveSaveAsAndOpen() {
        QFETCH(QString, text);
        QFETCH(int, how);
        QFETCH(QString, kept);
        for (const char* window : {"SetupDetail", "frmsummary"}) {
            enter(box(setup(window), "dsfielddesc"), text, Entry(how));
            prompter->clear();
            prompter->messageAnswers = {platform::IdOk};
            box(setup(window), "first_title")->setFocus(Qt::MouseFocusReason); // leaves the box: accept?
            QCoreApplication::processEvents();
            QCOMPARE(prompter->messages.size(), 1);
        }
        QCOMPARE(app->work.settings.detailColumns[0].description, kept);
        QCOMPARE(app->work.settings.summaryColumns[0].description, kept);

        saveAsNewAndOpen(session->env->path("columns.zek"));
        QCOMPARE(app->work.settings.detailColumns[0].description, kept);
        QCOMPARE(app->work.settings.summaryColumns[0].description, kept);
        QCOMPARE(box(setup("SetupDetail"), "dsfielddesc")->text(), kept);
    }

    // A title with an apostrophe, typed, saved under a name with one too, and opened again.
    void aTitleWithAnApostropheSurvivesSaveAndOpen() {
        enter(box(setup("SetupDetail"), "first_title"), "Bob's 'best' files", Entry::Typed);
        const QString file = session->env->path("Bob's inventory.zek");
        saveAsNewAndOpen(file);
        QCOMPARE(box(setup("SetupDetail"), "first_title")->text(), QString("Bob's 'best' files"));
        // Save (not Save As) writes the same file again, and it opens the same.
        enter(box(setup("SetupDetail"), "second_title"), "It's done", Entry::Typed);
        prompter->clear();
        session->action("Menu_File_Save")->trigger();
        QVERIFY(prompter->messages.isEmpty());
        prompter->openAnswers = {file};
        prompter->messageAnswers = {platform::IdNo};
        session->action("Menu_File_Open")->trigger();
        QCOMPARE(app->work.settings.detailTitles.firstTitle, QString("Bob's 'best' files"));
        QCOMPARE(app->work.settings.detailTitles.secondTitle, QString("It's done"));
    }

    void saveAsFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << "Bob's.zek";
        QTest::newRow("brackets and pattern characters") << "[a] (b) 100% a_b #1 *?.zek";
        QTest::newRow("tab, line feed and control character") << "a\tb\nc\x01"
                                                                 "d.zek";
        QTest::newRow("direction marks") << QString::fromUtf8("\xe2\x80\x8f"
                                                              "x\xe2\x80\xae"
                                                              "kez.zek");
        QTest::newRow("beyond 16 bits") << "clef " + Clef + ".zek";
        QTest::newRow("255 bytes") << QString(251, u'n') + ".zek";
    }

    void saveAsFileNames() {
        QFETCH(QString, name);
        enter(box(setup("SetupDetail"), "first_title"), "kept", Entry::Typed);
        const QString file = session->env->path(name);
        saveAsNewAndOpen(file);
        QVERIFY(QFileInfo(file).isFile());
        QCOMPARE(app->work.settings.detailTitles.firstTitle, QString("kept"));
    }

    // A name the file system cannot take is refused with the save's message, and the work file
    // stays as it was.
    void aFileNameTooLongForTheFileSystem() {
        const QString file = session->env->path(QString(300, u'n') + ".zek");
        const QString before = app->work.activeFileName;
        prompter->clear();
        prompter->saveAnswers = {file};
        session->action("Menu_File_SaveAs")->trigger();
        QCOMPARE(app->work.activeFileName, before);
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(prompter->texts(),
                 QStringList{"Error # 36 : File name too long occured when saving " + file + "."});
    }

    // Condition values of the long fields take every printable character (the mask's rule; letters
    // in upper case): kept in the box, in the stored line (apostrophes doubled inside the quotes) and
    // after Save As and Open.
    void conditionValuesSurviveSaveAsAndOpen_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("kept");
        auto row = [](const char* label, const QString& text, Entry how, const QString& kept) {
            QTest::newRow(label) << text << int(how) << kept;
        };
        row("apostrophe", "Bob's files", Entry::Typed, "BOB'S FILES");
        row("brackets", "[a] (b) {c} <d>", Entry::Typed, "[A] (B) {C} <D>");
        row("pattern characters", "100% a_b *?# \\", Entry::Typed, "100% A_B *?# \\");
        row("quotes and a statement", "x'; DROP TABLE FILETYPE; --\"", Entry::Typed,
            "X'; DROP TABLE FILETYPE; --\"");
        row("tab and control character",
            "a\tb\x01"
            "c",
            Entry::Pasted, "ABC");
        row("direction marks",
            QString::fromUtf8("\xe2\x80\x8f"
                              "abc \xe2\x80\xae"
                              "def"),
            Entry::Pasted, "ABC DEF");
        row("beyond 16 bits", "clef " + Clef + "!", Entry::Pasted, "CLEF !");
        const QString longText = QString("0123456789").repeated(205);
        row("2,050 characters", longText, Entry::Pasted, longText.left(64));
        row("a pair at the limit", QString(63, u'x') + Clef + "y", Entry::Pasted, QString(63, u'X') + "Y");
    }

    void conditionValuesSurviveSaveAsAndOpen() {
        QFETCH(QString, text);
        QFETCH(int, how);
        QFETCH(QString, kept);
        auto* window = main()->findChild<ConditionsWindow*>("Drivedirquery");
        auto* field = test::child<QComboBox>(*window, "DQFIELD_0");
        auto* value = test::child<MaskedValueEdit>(*window, "DQVALUE_0");
        field->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        field->setCurrentIndex(field->findText("LONGNAME"));
        Q_EMIT field->activated(field->currentIndex());
        QCoreApplication::processEvents();
        const QString upper = kept;
        enter(value, text, Entry(how));
        QCOMPARE(value->maskedText(), upper);
        QVERIFY(wholeCharacters(value->text()));
        window->storeGridRows();
        QString quoted = upper;
        quoted.replace("'", "''");
        QCOMPARE(app->work.settings.queryLines.line(1).value, "'" + quoted + "'");

        saveAsNewAndOpen(session->env->path("conditions.zek"));
        QCOMPARE(app->work.settings.queryLines.line(1).value, "'" + quoted + "'");
        QCOMPARE(value->maskedText(), upper);
        query::SortKeys keys;
        app->work.database->openSql(query::buildSelectStatement(
            query::buildWhereClause(app->work.settings.queryLines), query::buildOrderByList({}, keys)));
    }

    // NAME takes the characters of short names, among them the apostrophe and the pattern
    // characters of other dialects; the statement of the stored line is one the engine accepts.
    void nameValueWithQuoteAndPatternCharacters() {
        auto* window = main()->findChild<ConditionsWindow*>("Drivedirquery");
        auto* field = test::child<QComboBox>(*window, "DQFIELD_0");
        auto* value = test::child<MaskedValueEdit>(*window, "DQVALUE_0");
        field->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        field->setCurrentIndex(field->findText("NAME"));
        Q_EMIT field->activated(field->currentIndex());
        QCoreApplication::processEvents();
        enter(value, "o'b#%_1*.[x]", Entry::Typed); // "." and the brackets are not name characters
        QCOMPARE(value->maskedText(), QString("O'B#%_1*"));
        window->storeGridRows();
        QCOMPARE(app->work.settings.queryLines.line(1).value, QString("'O''B#%_1*'"));
        saveAsNewAndOpen(session->env->path("name.zek"));
        QCOMPARE(value->maskedText(), QString("O'B#%_1*"));
        query::SortKeys keys;
        const QString where = query::buildWhereClause(app->work.settings.queryLines);
        QCOMPARE(where, QString("NAME LIKE 'O''B[#]%_1*'"));
        app->work.database->openSql(query::buildSelectStatement(where, query::buildOrderByList({}, keys)));
    }

    // A bracket box holds as many brackets as the work file keeps for it: 2,000 characters pasted
    // become 20 brackets, and the file saves and opens with them.
    void bracketBoxesHoldWhatTheWorkFileKeeps() {
        auto* window = main()->findChild<ConditionsWindow*>("Drivedirquery");
        auto* left = test::child<QLineEdit>(*window, "DQBRACKETL_0");
        auto* right = test::child<QLineEdit>(*window, "DQBRACKETR_0");
        enter(left, QString(2000, u'x'), Entry::Pasted);
        enter(right, QString(2000, u'y'), Entry::Pasted);
        QCOMPARE(left->text(), QString(20, u'('));
        QCOMPARE(right->text(), QString(20, u')'));
        window->storeGridRows();
        prompter->clear();
        saveAsNewAndOpen(session->env->path("brackets.zek"));
        QCOMPARE(prompter->texts().filter("Error"), QStringList());
        QCOMPARE(left->text(), QString(20, u'('));
        QCOMPARE(right->text(), QString(20, u')'));
    }

    // The work directory's box keeps whole characters whatever reaches it.
    void workDirectoryBoxKeepsWholeCharacters() {
        WorkDirectoryDialog dialog;
        dialog.setTexts("Setup Workdirectory ZEK", "p", "l", "/tmp/x" + Clef.left(1));
        QCOMPARE(dialog.directory(), QString("/tmp/x"));
        dialog.directoryEdit()->setMaxLength(8);
        enter(dialog.directoryEdit(), "/tmp/ab" + Clef, Entry::Pasted);
        QCOMPARE(dialog.directory(), QString("/tmp/ab"));
    }

    // A viewer's cells on the clipboard keep the block's shape: a tab or line feed of a name is
    // copied as its picture.
    void copiedCellsKeepTheirShape() {
        QTableWidget grid(2, 2);
        const QStringList texts{"a\tb", "c\nd", "Bob's", "e\r\x01"};
        for (int i = 0; i < 4; ++i)
            grid.setItem(i / 2, i % 2, new QTableWidgetItem(texts[i]));
        const QString clip = gridClipText(grid, QTableWidgetSelectionRange(0, 0, 1, 1));
        QCOMPARE(clip, QString("a") + QChar(0x2409) + "b\tc" + QChar(0x240A) + "d\nBob's\te" + QChar(0x240D) +
                           QChar(0x2401));
    }

    // The work directory is remembered in the settings file: a name is taken when the settings file
    // gives it back whole at the next start, and refused with "Not a valid path." when it cannot.
    void workDirectoryNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        QTest::newRow("apostrophe") << "Bob's work" << true;
        QTest::newRow("brackets and pattern characters") << "[a] (b) 100% a_b #1 *?;x=y" << true;
        QTest::newRow("quotes at both ends") << "\"quoted\"" << true;
        QTest::newRow("tab and control character") << "a\tb\x01"
                                                      "c"
                                                   << true;
        QTest::newRow("direction marks") << QString::fromUtf8("\xe2\x80\x8f"
                                                              "x\xe2\x80\xae"
                                                              "y")
                                         << true;
        QTest::newRow("beyond 16 bits") << "clef " + Clef << true;
        QTest::newRow("line feed") << "a\nb" << false;
        QTest::newRow("carriage return") << "a\rb" << false;
        QTest::newRow("one name of 2,000 characters") << QString(2000, u'w') << false;
        QTest::newRow("a path longer than the setting holds") << QString("d123456789/").repeated(40) << false;
    }

    void workDirectoryNames() {
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        const QString base = session->env->path("wd");
        QVERIFY(QDir().mkpath(base));
        const QString dir = base + "/" + typed;
        const QString before =
            platform::getPrivateProfileString("Global", "DefaultDirectory", "", app->iniFileName);
        prompter->clear();
        prompter->workDirectoryAnswers = {dir, std::nullopt};
        const std::optional<QString> chosen =
            askWorkDirectory(*app, "Setup Workdirectory ZEK", "p", "l", "x");
        if (taken) {
            QCOMPARE(chosen, std::optional<QString>(QDir(dir).absolutePath()));
            QVERIFY(prompter->messages.isEmpty());
            // The next start finds it again.
            AppState next;
            readStartupSettings(next);
            QCOMPARE(next.work.workDirectory, QDir(dir).absolutePath());
        } else {
            QCOMPARE(chosen, std::nullopt);
            QVERIFY(!prompter->messages.isEmpty());
            QCOMPARE(prompter->messages.last().text, QString("Not a valid path."));
            QCOMPARE(prompter->messages.last().title, QString("Setup Workdirectory ZEK"));
            QCOMPARE(platform::getPrivateProfileString("Global", "DefaultDirectory", "", app->iniFileName),
                     before);
            // The dialog came back with the typed text.
            QCOMPARE(prompter->workDirectoryRequests.size(), 2);
            QCOMPARE(prompter->workDirectoryRequests[1].proposal, dir);
        }
    }
};

ZEK_TEST_MAIN_ON_LAPTOP_SCREEN(TestTypedTexts)
#include "test_typed_texts.moc"
