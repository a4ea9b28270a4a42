// The real prompter: how the classic message-box styles become QMessageBox buttons and icons, and
// the work-directory dialog. Each box is answered by a timer that finds it once it is up.
#include "app/gui/qt_prompter.h"
#include "app/gui/work_directory_dialog.h"
#include "support/test_env.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace zek;
using namespace zek::platform;

namespace {

// Runs `answer` on the first modal widget of type T once it shows.
template <typename T> void whenShown(std::function<void(T*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(w);
        }
    });
    timer->start();
}

} // namespace

class TestQtPrompter : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestEnvironment> env;
    // The file dialog keeps its state in Qt's own settings, whose folder is fixed at first use:
    // it is pointed at a folder that lives as long as the test run.
    QTemporaryDir qtSettings;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(qtSettings.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qtSettings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, qtSettings.path());
    }

    void init() { env = std::make_unique<test::TestEnvironment>(); }
    void cleanup() {
        env.reset();
        QVERIFY(!QApplication::activeModalWidget());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void messageStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QList<int>>("buttons"); // QMessageBox::StandardButton, in order
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("press"); // index into buttons
        QTest::addColumn<int>("result");
        using B = QMessageBox;
        QTest::newRow("OK, exclamation")
            << (MbOkOnly + MbExclamation) << QList<int>{B::Ok} << int(B::Warning) << 0 << IdOk;
        QTest::newRow("OK/Cancel, stop: Cancel")
            << (MbOkCancel + MbCritical) << QList<int>{B::Ok, B::Cancel} << int(B::Critical) << 1 << IdCancel;
        QTest::newRow("Abort/Retry/Ignore: Ignore")
            << MbAbortRetryIgnore << QList<int>{B::Abort, B::Retry, B::Ignore} << int(B::NoIcon) << 2
            << IdIgnore;
        QTest::newRow("Yes/No/Cancel, question: No")
            << (MbYesNoCancel + MbQuestion) << QList<int>{B::Yes, B::No, B::Cancel} << int(B::Question) << 1
            << IdNo;
        QTest::newRow("Yes/No: Yes") << (MbYesNo + MbExclamation) << QList<int>{B::Yes, B::No}
                                     << int(B::Warning) << 0 << IdYes;
        QTest::newRow("Retry/Cancel, information: Retry")
            << (MbRetryCancel + MbInformation) << QList<int>{B::Retry, B::Cancel} << int(B::Information) << 0
            << IdRetry;
    }

    void messageStyles() {
        QFETCH(int, style);
        QFETCH(QList<int>, buttons);
        QFETCH(int, icon);
        QFETCH(int, press);
        QFETCH(int, result);
        QtPrompter prompter;
        QString seenText, seenTitle;
        int seenIcon = -1;
        QList<int> seenButtons;
        int seenDefault = -1;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            seenText = box->text();
            seenTitle = box->windowTitle();
            seenIcon = box->icon();
            for (QAbstractButton* b : box->buttons())
                seenButtons.append(box->standardButton(b));
            seenDefault = box->standardButton(box->defaultButton());
            box->button(QMessageBox::StandardButton(buttons[press]))->click();
        });
        const int answer = prompter.message("First line\r\nSecond line", style, "Box title");
        QCOMPARE(answer, result);
        QCOMPARE(seenText, "First line\nSecond line");
        QCOMPARE(seenTitle, "Box title");
        QCOMPARE(seenIcon, icon);
        std::sort(seenButtons.begin(), seenButtons.end());
        QList<int> expected = buttons;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(seenButtons, expected);
        QCOMPARE(seenDefault, buttons.first());
    }

    void escapeAndEmptyTitle() {
        QtPrompter prompter;
        QString title;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(prompter.message("Sure?", MbYesNoCancel, QString()), IdCancel);
        QCOMPARE(title, "ZEK");
        QCOMPARE(closedWithoutButton(MbOkOnly), IdOk);
        QCOMPARE(closedWithoutButton(MbYesNo), IdNo);
    }

    void secondDefaultButton() {
        QtPrompter prompter;
        int seenDefault = -1;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            seenDefault = box->standardButton(box->defaultButton());
            box->defaultButton()->click();
        });
        QCOMPARE(prompter.message("Print Detail Report?", MbYesNoCancel + 0x100, "Print"), IdNo);
        QCOMPARE(seenDefault, int(QMessageBox::No));
    }

    void workDirectoryDialog() {
        QtPrompter prompter;
        WorkDirectoryRequest request{"Setup Workdirectory ZEK", "Type the directory.",
                                     "Workdirectory:", "/proposed"};
        QStringList seen;
        whenShown<WorkDirectoryDialog>([&](WorkDirectoryDialog* dlg) {
            seen << dlg->objectName() << dlg->windowTitle() << dlg->directoryEdit()->selectedText()
                 << dlg->continueButton()->text() << dlg->exitButton()->text();
            for (QLabel* label : dlg->findChildren<QLabel*>())
                seen << label->text();
            dlg->directoryEdit()->setText("/typed/dir");
            dlg->continueButton()->click();
        });
        QCOMPARE(prompter.workDirectory(request), std::optional<QString>("/typed/dir"));
        QCOMPARE(seen.mid(0, 5),
                 QStringList({"PathDlg", "Setup Workdirectory ZEK", "/proposed", "&Continue", "&Exit"}));
        QVERIFY(seen.contains("Type the directory."));
        QVERIFY(seen.contains("Workdirectory:"));
        QVERIFY(seen.contains("To quit ZEK, choose the Exit button."));

        whenShown<WorkDirectoryDialog>([](WorkDirectoryDialog* dlg) { dlg->exitButton()->click(); });
        QCOMPARE(prompter.workDirectory(request), std::nullopt);
    }

    void fileDialogCancelled() {
        QtPrompter prompter;
        FileDialogRequest request{"Open ZEK database", env->root(), "*.ZEK", "ZEK database (*.zek)", "ZEK"};
        QString title;
        whenShown<QDialog>([&](QDialog* dialog) {
            title = dialog->windowTitle();
            dialog->reject();
        });
        QCOMPARE(prompter.openFileName(request), std::nullopt);
        QCOMPARE(title, "Open ZEK database");
    }

    void saveDialogAddsLowerCaseExtension() {
        QtPrompter prompter;
        FileDialogRequest request{"Save ZEK database As", env->root(), "ZEKDB.ZEK", "ZEK database (*.zek)",
                                  "ZEK"};
        whenShown<QDialog>([&](QDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(edit);
            QCOMPARE(edit->text(), "ZEKDB.ZEK");
            edit->setText("inventory");
            dialog->accept();
        });
        const std::optional<QString> chosen = prompter.saveFileName(request);
        QCOMPARE(chosen, std::optional<QString>(env->root() + "/inventory.zek"));
    }
};

QTEST_MAIN(TestQtPrompter)
#include "test_qt_prompter.moc"
