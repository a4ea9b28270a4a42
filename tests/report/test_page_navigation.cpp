// Paging a report: which moves are possible from which page, and what a typed page number gives.
#include "report/page_navigation.h"

#include <QtTest>

using namespace zek::report;

class TestPageNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void movesFromEachPage() {
        struct Case {
            PageMove move;
            int current;
            int count;
            int expected; // 0: not possible, a beep
        };
        const Case cases[] = {
            {PageMove::First, 1, 7, 0},    {PageMove::First, 4, 7, 1}, {PageMove::Previous, 1, 7, 0},
            {PageMove::Previous, 4, 7, 3}, {PageMove::Next, 4, 7, 5},  {PageMove::Next, 7, 7, 0},
            {PageMove::Last, 7, 7, 0},     {PageMove::Last, 2, 7, 7},  {PageMove::Next, 1, 1, 0},
            {PageMove::Last, 0, 0, 0},     {PageMove::First, 0, 0, 0},
        };
        for (const Case& c : cases)
            QCOMPARE(pageAfterMove(c.move, c.current, c.count).value_or(0), c.expected);
    }

    void typedPages() {
        struct Case {
            const char* text;
            int page;
            const char* message;
        };
        const Case cases[] = {
            {"3", 3, ""},
            {" 7 ", 7, ""},
            {"2.5", 2, ""}, // halves to even
            {"3.5", 4, ""},
            {"8", 0, "Please specify a page number between 1 and 7."},
            {"0", 0, "Please specify a page number between 1 and 7."},
            {"-2", 0, "Please specify a page number between 1 and 7."},
            {"0.4", 0, "Please specify a page number between 1 and 7."},
            {"two", 0, "Invalid page number entered."},
            {"", 0, "Invalid page number entered."},
        };
        for (const Case& c : cases) {
            const PageEntry entry = pageFromEntry(c.text, 7);
            QCOMPARE(entry.page, c.page);
            QCOMPARE(entry.message, QString(c.message));
        }
    }
};

QTEST_GUILESS_MAIN(TestPageNavigation)
#include "test_page_navigation.moc"
