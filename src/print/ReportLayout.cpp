#include "print/ReportLayout.h"

#include "print/ReportRows.h"

#include <QtMath>

#include <algorithm>

namespace {

// Lengths in tenths of a millimetre.
constexpr int kPageWidth = 2100; // A4 portrait
constexpr int kPageHeight = 2970;
constexpr int kMargin = 100;
constexpr int kBandWidth = kPageWidth - 2 * kMargin;
constexpr int kPageHeaderHeight = 106;
constexpr int kColumnHeaderHeight = 106;
constexpr int kDetailHeight = 66;
constexpr int kFooterHeight = 106;

constexpr int kColumnHeaderTop = kMargin + kPageHeaderHeight;
constexpr int kFirstDetailTop = kColumnHeaderTop + kColumnHeaderHeight;
constexpr int kFooterTop = kPageHeight - kMargin - kFooterHeight;
static_assert((kFooterTop - kFirstDetailTop) / kDetailHeight == ReportLayout::kRowsPerPage,
              "the detail lines that fit between column header and footer");

constexpr int kTitleTop = 21;
constexpr int kLabelTop = 42; // column titles and footer label
constexpr int kFieldTop = 21;

struct Column {
    int titleLeft;
    const char* title;
    int fieldLeft;
    ReadingField field;
    ReportFace face;
};
// Each column's title in the column header and its field in the detail line
// (the unit's field starts 1.1 mm left of its title). A column's texts end
// kColumnGap before the next column's, the last column's at the band's edge.
constexpr Column kColumns[] = {
    {85, "No", 85, ReadingField::ANo, ReportFace::Data},
    {339, "Time", 339, ReadingField::ATime, ReportFace::Data},
    {762, "T1 T2", 762, ReadingField::AT1T2, ReportFace::Data},
    {995, "Value", 995, ReadingField::AValue, ReportFace::Data},
    {1323, "Unit", 1312, ReadingField::AUnit, ReportFace::Unit},
    {1566, "Judge", 1566, ReadingField::AJudge, ReportFace::Data},
};
constexpr int kColumnCount = int(std::size(kColumns));
constexpr int kColumnGap = 20;

int titleRight(int column)
{
    return column + 1 < kColumnCount ? kColumns[column + 1].titleLeft - kColumnGap : kBandWidth;
}

int fieldRight(int column)
{
    return column + 1 < kColumnCount ? kColumns[column + 1].fieldLeft - kColumnGap : kBandWidth;
}

} // namespace

ReportLayout::ReportLayout(qreal dotsPerInch) : dpi_(std::max<qreal>(1.0, dotsPerInch)) {}

int ReportLayout::device(int tenthsMm) const
{
    return qRound(tenthsMm * dpi_ / 254.0);
}

QSize ReportLayout::pageSize() const
{
    return {device(kPageWidth), device(kPageHeight)};
}

int ReportLayout::fontPixels() const
{
    return std::max(1, qRound(10.0 * dpi_ / 72.0));
}

int ReportLayout::pageCount(int rowCount)
{
    if (rowCount <= 0)
        return 0;
    return rowCount / kRowsPerPage + (rowCount % kRowsPerPage != 0 ? 1 : 0);
}

PageRows ReportLayout::rowsOnPage(int page, int rowCount)
{
    if (page < 0 || page >= pageCount(rowCount))
        return {};
    const int first = page * kRowsPerPage; // below rowCount, so no overflow
    return {first, std::min(kRowsPerPage, rowCount - first)};
}

ReportItem ReportLayout::place(int leftTenths, int rightTenths, int topTenths, int bandTopTenths,
                               int bandHeightTenths, ReportFace face, const QString& text) const
{
    const int left = device(kMargin + leftTenths);
    const int top = device(bandTopTenths + topTenths);
    const int right = device(kMargin + rightTenths);
    const int bottom = device(bandTopTenths + bandHeightTenths);
    ReportItem item;
    item.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    item.face = face;
    item.text = text;
    return item;
}

std::vector<ReportItem> ReportLayout::pageItems(int page, const ReportRows& rows) const
{
    const int pages = pageCount(rows.rowCount());
    if (page < 0 || page >= pages)
        return {};
    const PageRows onPage = rowsOnPage(page, rows.rowCount());
    std::vector<ReportItem> items;
    items.reserve(1 + kColumnCount * (1 + onPage.count) + 1);

    ReportItem title = place(0, kBandWidth, kTitleTop, kMargin, kPageHeaderHeight,
                             ReportFace::Label, QStringLiteral("Test Data"));
    title.centred = true;
    items.push_back(std::move(title));
    for (int c = 0; c < kColumnCount; ++c)
        items.push_back(place(kColumns[c].titleLeft, titleRight(c), kLabelTop, kColumnHeaderTop,
                              kColumnHeaderHeight, ReportFace::Label,
                              QString::fromLatin1(kColumns[c].title)));
    for (int i = 0; i < onPage.count; ++i) {
        const ReadingRow row = rows.row(onPage.first + i);
        const int bandTop = kFirstDetailTop + i * kDetailHeight;
        for (int c = 0; c < kColumnCount; ++c) {
            QString text = row.text(kColumns[c].field);
            if (!text.isEmpty())
                items.push_back(place(kColumns[c].fieldLeft, fieldRight(c), kFieldTop, bandTop,
                                      kDetailHeight, kColumns[c].face, std::move(text)));
        }
    }
    if (hasFooter(page, pages))
        items.push_back(place(85, kBandWidth, kLabelTop, kFooterTop, kFooterHeight,
                              ReportFace::Label, QStringLiteral("The Data Print Foot")));
    return items;
}
