// The position dialog: the position each option gives, the number boxes and their check, Cancel,
// and the program's prompter showing it.
#include "app/gui/qt_prompter.h"
#include "report/gui/position_dialog.h"
#include "support/controls.h"
#include "support/scripted_prompter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace zek;

class TestPositionDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<test::ScriptedPrompter> prompter;
    std::unique_ptr<PositionDialog> dialog;

    template <typename T> T* find(const QString& name) const { return test::child<T>(*dialog, name); }
    QLineEdit* box(const QString& name) const { return find<QLineEdit>(name); }

    void open(int count, int current) {
        dialog = std::make_unique<PositionDialog>();
        dialog->setRequest(platform::PositionRequest{"Add queryfield", count, current});
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    }

    // Chooses an option, puts a number in its box when it has one, and presses Ok.
    int choose(const QString& option, const QString& boxName = QString(), const QString& number = QString()) {
        find<QRadioButton>(option)->setChecked(true);
        if (!boxName.isEmpty())
            box(boxName)->setText(number);
        find<QPushButton>("ok")->click();
        return dialog->isVisible() ? -1 : dialog->chosenPosition();
    }

private Q_SLOTS:
    void init() { prompter = std::make_unique<test::ScriptedPrompter>(); }
    void cleanup() {
        dialog.reset();
        prompter.reset();
    }

    void controlsAndStart() {
        open(4, 3);
        QCOMPARE(dialog->windowTitle(), QString("Add queryfield"));
        // The number boxes start at the current position.
        const QList<test::Control> controls = {
            {"Numberfirst", "QRadioButton", "As First"},
            {"Numberlast", "QRadioButton", "As Last"},
            {"beforenumber", "QRadioButton", "Before current number"},
            {"afternumber", "QRadioButton", "After current number"},
            {"asnumber", "QRadioButton", "As Number"},
            {"beforenumbert", "QLineEdit", "3"},
            {"afternumbert", "QLineEdit", "3"},
            {"asnumbert", "QLineEdit", "3"},
            {"ok", "QPushButton", "&Ok"},
            {"cancel", "QPushButton", "Can&cel"},
        };
        QCOMPARE(test::controlMismatches(*dialog, controls).join("; "), QString());
    }

    void positionsOfTheOptions_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("position");
        QTest::newRow("first") << "Numberfirst"
                               << ""
                               << "" << 1;
        QTest::newRow("last of 4") << "Numberlast"
                                   << ""
                                   << "" << 5;
        QTest::newRow("before 2") << "beforenumber"
                                  << "beforenumbert"
                                  << "2" << 2;
        QTest::newRow("after 4") << "afternumber"
                                 << "afternumbert"
                                 << "4" << 5;
        QTest::newRow("after 1") << "afternumber"
                                 << "afternumbert"
                                 << "1" << 2;
        QTest::newRow("as 4") << "asnumber"
                              << "asnumbert"
                              << "4" << 4;
    }

    void positionsOfTheOptions() {
        QFETCH(QString, option);
        QFETCH(QString, box);
        QFETCH(QString, number);
        QFETCH(int, position);
        open(4, 1);
        QCOMPARE(choose(option, box, number), position);
        QVERIFY(prompter->messages.isEmpty());
    }

    void cancelGivesZero() {
        open(4, 2);
        find<QRadioButton>("Numberlast")->setChecked(true);
        find<QPushButton>("cancel")->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->chosenPosition(), 0);
        open(4, 2);
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QCOMPARE(dialog->chosenPosition(), 0);
    }

    void numberBoxesTakeDigitsOnly() {
        open(40, 1);
        QLineEdit* as = box("asnumbert");
        as->setFocus();
        as->clear();
        QTest::keyClicks(as, "1a-2 .");
        QCOMPARE(as->text(), QString("12"));
        QTest::keyClick(as, Qt::Key_Backspace);
        QCOMPARE(as->text(), QString("1"));
        // Typing a number chooses its option.
        QVERIFY(find<QRadioButton>("asnumber")->isChecked());
    }

    void invalidNumberAsksRetryOrCancel() {
        open(4, 3);
        prompter->messageAnswers = {platform::IdRetry};
        QCOMPARE(choose("beforenumber", "beforenumbert", "9"), -1); // the dialog stays
        QCOMPARE(prompter->texts(), QStringList({"Invalid number specified."}));
        QCOMPARE(prompter->messages[0].title, QString("Number specification error"));
        QCOMPARE(prompter->messages[0].style, platform::MbRetryCancel | platform::MbQuestion);
        QCOMPARE(box("beforenumbert")->text(), QString("9"));
        QTRY_COMPARE(QApplication::focusWidget(), box("beforenumbert"));

        // Cancel puts the current position back; the next Ok takes it.
        prompter->clear();
        prompter->messageAnswers = {platform::IdCancel};
        QCOMPARE(choose("asnumber", "asnumbert", "0"), -1);
        QCOMPARE(box("asnumbert")->text(), QString("3"));
        find<QPushButton>("ok")->click();
        QCOMPARE(dialog->chosenPosition(), 3);
    }

    void leavingABoxChecksIt() {
        open(4, 2);
        QLineEdit* after = box("afternumbert");
        after->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), after);
        after->setText("");
        prompter->messageAnswers = {platform::IdCancel};
        box("asnumbert")->setFocus();
        QCOMPARE(prompter->texts(), QStringList({"Invalid number specified."}));
        QCOMPARE(after->text(), QString("2"));
        // Going to Cancel asks nothing.
        prompter->clear();
        after->setFocus();
        after->setText("77");
        find<QPushButton>("cancel")->setFocus();
        QVERIFY(prompter->messages.isEmpty());
    }

    void theProgramsPrompterShowsTheDialog() {
        prompter.reset();
        QtPrompter qt;
        platform::Prompter* previous = platform::setPrompter(&qt);
        QString caption;
        // Answers the dialog once it is up; gives up (Escape) after a few tries so nothing hangs.
        int tries = 0;
        QTimer answer;
        answer.setInterval(20);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* shown = qobject_cast<PositionDialog*>(QApplication::activeModalWidget());
            if (!shown && ++tries < 100)
                return;
            answer.stop();
            if (!shown) {
                if (QWidget* any = QApplication::activeModalWidget())
                    QTest::keyClick(any, Qt::Key_Escape);
                return;
            }
            caption = shown->windowTitle();
            shown->findChild<QRadioButton*>("Numberlast")->setChecked(true);
            shown->findChild<QPushButton*>("ok")->click();
        });
        answer.start();
        const int p = platform::prompter().position(platform::PositionRequest{"Add Field in Grid", 7, 2});
        platform::setPrompter(previous);
        QCOMPARE(caption, QString("Add Field in Grid"));
        QCOMPARE(p, 8);
    }
};

QTEST_MAIN(TestPositionDialog)
#include "test_position_dialog.moc"
