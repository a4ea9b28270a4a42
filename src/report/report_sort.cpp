// Sorting the in-memory cells by one column: a quicksort without recursion, over an explicit stack of
// pending ranges.
#include "report/report_engine.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <utility>

namespace zek::report {

namespace {

struct Range {
    int lo;
    int hi;
};

// Sorts keys[1..n] ascending and moves order[] along with them. The smaller part of each split is
// sorted next, so the stack stays near log2(n) deep; it grows as needed (ten entries were too few
// near the row limit).
void quicksort(std::vector<double>& keys, std::vector<int>& order, int n) {
    auto swapRows = [&](int a, int b) {
        std::swap(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
        std::swap(order[static_cast<size_t>(a)], order[static_cast<size_t>(b)]);
    };
    auto key = [&](int r) { return keys[static_cast<size_t>(r)]; };

    std::vector<Range> stack{{1, n}};
    while (!stack.empty()) {
        const auto [lo, hi] = stack.back();
        if (lo >= hi) {
            stack.pop_back();
            continue;
        }
        int i = lo - 1;
        int j = hi;
        const double pivot = key(hi);
        while (i < j) {
            ++i;
            --j;
            while (key(i) < pivot)
                ++i;
            while (j > i && key(j) > pivot)
                --j;
            if (i < j)
                swapRows(i, j);
        }
        if (i != hi && key(i) > key(hi))
            swapRows(i, hi);
        const Range left{lo, i - 1};
        const Range right{i + 1, hi};
        // The smaller part goes on top; with equal parts the right one.
        if (i - lo < hi - i) {
            stack.back() = right;
            stack.push_back(left);
        } else {
            stack.back() = left;
            stack.push_back(right);
        }
    }
}

} // namespace

// Keys by row (index 0 unused): the numbers themselves, or the texts' ranks in the user's
// collation without regard to case, so that every comparison of the sort is a cheap one.
std::vector<double> ReportEngine::sortKeys(const ColumnDefinition& def) const {
    std::vector<double> keys(static_cast<size_t>(m_rowCount) + 1, 0.0);
    if (def.dataType == NumericType) {
        for (int r = 1; r <= m_rowCount; ++r)
            keys[static_cast<size_t>(r)] = numericCell(def.valueSlot, r);
        return keys;
    }
    QCollator collator(QLocale::system());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // compare(), not sort keys: under the C locale the sort keys keep the case.
    std::vector<int> byText(static_cast<size_t>(m_rowCount));
    std::iota(byText.begin(), byText.end(), 1);
    auto text = [this, &def](int row) { return m_textCells[cellIndex(def.valueSlot, row)]; };
    std::stable_sort(byText.begin(), byText.end(),
                     [&](int a, int b) { return collator.compare(text(a), text(b)) < 0; });
    int rank = 0;
    for (size_t k = 0; k < byText.size(); ++k) {
        if (k > 0 && collator.compare(text(byText[k - 1]), text(byText[k])) != 0)
            ++rank;
        keys[static_cast<size_t>(byText[k])] = rank;
    }
    return keys;
}

// Row p of the cells becomes what was row order[p], in every numeric and every text slot.
void ReportEngine::moveRows(const std::vector<int>& order) {
    const auto rows = static_cast<size_t>(m_rowCount);
    std::vector<float> numbers(m_numericCells.size());
    std::vector<QString> texts(m_textCells.size());
    for (size_t s = 0; s * rows < m_numericCells.size(); ++s)
        for (size_t p = 1; p <= rows; ++p)
            numbers[s * rows + p - 1] = m_numericCells[s * rows + static_cast<size_t>(order[p]) - 1];
    for (size_t s = 0; s * rows < m_textCells.size(); ++s)
        for (size_t p = 1; p <= rows; ++p)
            texts[s * rows + p - 1] = std::move(m_textCells[s * rows + static_cast<size_t>(order[p]) - 1]);
    m_numericCells = std::move(numbers);
    m_textCells = std::move(texts);
}

void ReportEngine::rptSort(int column) {
    if (column < 1 || column > m_columnCount) {
        misuse(Operation::Sort, InvalidColumnText);
        return;
    }
    const ColumnDefinition& def = m_columns[static_cast<size_t>(column - 1)];
    showStatus("sorting by " + def.heading);

    // A column without cells (no valid type, or beyond the declared count) gives no order.
    if (def.valueSlot > 0 && m_rowCount > 1) {
        std::vector<double> keys = sortKeys(def);
        std::vector<int> order(static_cast<size_t>(m_rowCount) + 1);
        std::iota(order.begin(), order.end(), 0);
        quicksort(keys, order, m_rowCount);
        moveRows(order);
    }

    hideStatus();
}

} // namespace zek::report
