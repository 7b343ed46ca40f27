#pragma once

class QPainter;
class ReportLayout;
class ReportRows;

// Draws page `page` (0-based) of the report on a painter whose device units
// are the layout's: white sheet, no frame lines, the page's items. The
// preview, the printer and the PDF writer all draw pages through this one
// function, so they agree.
void paintReportPage(QPainter& painter, const ReportLayout& layout, const ReportRows& rows,
                     int page);
