#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class ReportRows;

// Which face an item of the report is drawn in.
enum class ReportFace {
    Label, // the report's labels: the sans face, 10 pt
    Data,  // the detail line's field texts: Arial 10 pt
    Unit,  // the unit field: the LCD renderer at 10 pt, so "#-K" shows the meter's symbols
};

// One text of a page, placed in device units. The box runs from the item's
// left/top edge to its column's right edge (a labels' row or a title: the
// band's) and its band's foot; nothing is drawn outside it.
struct ReportItem {
    QRect box;
    bool centred = false; // centred across the box instead of left-aligned
    ReportFace face = ReportFace::Label;
    QString text;
};

// Rows printed on one page: [first, first + count).
struct PageRows {
    int first = 0;
    int count = 0;
};

// The banded report on A4 portrait with 10 mm margins, one column:
//
//   band            height   printed
//   page header     10.6 mm  every page: "Test Data" centred, 2.1 mm down
//   column header   10.6 mm  every page: the six titles, 4.2 mm down
//   detail           6.6 mm  one per row, field texts 2.1 mm down
//   page footer     10.6 mm  at the page's foot, every page but the last
//
// Every page holds the same number of detail lines (those that fit between
// the column header and the footer), so the page count and the rows of any
// page are arithmetic and nothing is laid out ahead. Positions are computed
// in tenths of a millimetre and rounded to the device's resolution.
class ReportLayout {
public:
    static constexpr int kRowsPerPage = 37;

    explicit ReportLayout(qreal dotsPerInch);

    qreal dotsPerInch() const { return dpi_; }
    QSize pageSize() const; // the whole A4 sheet in device units
    int fontPixels() const; // 10 pt in device units
    // Device units of a length in tenths of a millimetre.
    int device(int tenthsMm) const;

    static int pageCount(int rowCount);
    static PageRows rowsOnPage(int page, int rowCount);
    static bool hasFooter(int page, int pageCount) { return page < pageCount - 1; }

    // Every item of page `page` (0-based) of a report of these rows.
    std::vector<ReportItem> pageItems(int page, const ReportRows& rows) const;

private:
    ReportItem place(int leftTenths, int rightTenths, int topTenths, int bandTopTenths,
                     int bandHeightTenths, ReportFace face, const QString& text) const;

    qreal dpi_;
};
