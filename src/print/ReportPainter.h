#pragma once

class QFontMetrics;
class QPainter;
class ReportLayout;
class ReportRows;
struct ReportItem;

// Draws page `page` (0-based) of the report on a painter whose device units
// are the layout's: white sheet, no frame lines, the page's items. The
// preview, the printer and the PDF writer all draw pages through this one
// function, so they agree.
void paintReportPage(QPainter& painter, const ReportLayout& layout, const ReportRows& rows,
                     int page);

// How an item's text is drawn in its box, which clips it. It wraps where the
// box holds the lines; a text that would need more lines than that (in a
// band too low for two: any text wider than its column) goes on one line,
// cut at the column's edge, rather than showing only the whole words that
// fit a first line.
int reportTextFlags(const ReportItem& item, const QFontMetrics& metrics);
