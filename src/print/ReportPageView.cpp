#include "print/ReportPageView.h"

#include "print/ReportLayout.h"
#include "print/ReportPainter.h"
#include "print/ReportRows.h"
#include "widgets/ChildConnections.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kMinZoom = 0.1;
constexpr qreal kMaxZoom = 4.0;
// Page images kept for repainting, at most this many bytes (the newest one
// is always kept).
constexpr qint64 kCacheBytes = 24 << 20;
// Scroll bars count in int; beyond this many pixels a step spans several.
constexpr qint64 kMaxScrollSteps = 1'000'000'000;

} // namespace

ReportPageView::ReportPageView(const ReportRows& rows, QWidget* parent)
    : QAbstractScrollArea(parent), rows_(rows), pageCount_(ReportLayout::pageCount(rows.rowCount()))
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ReportPageView::onScrolled);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(),
            qOverload<>(&QWidget::update));
    updateScrollBars();
}

ReportPageView::~ReportPageView()
{
    disconnectChildren(*this);
}

qreal ReportPageView::dpi() const
{
    return logicalDpiY() * zoom_;
}

QSize ReportPageView::pageSizeOnScreen() const
{
    return ReportLayout(dpi()).pageSize();
}

qint64 ReportPageView::stride() const
{
    return pageSizeOnScreen().height() + kGap;
}

qint64 ReportPageView::contentHeight() const
{
    return pageCount_ * stride() + kGap;
}

qint64 ReportPageView::maxTop() const
{
    return std::max<qint64>(0, contentHeight() - viewport()->height());
}

void ReportPageView::setZoom(qreal zoom)
{
    fit_ = Fit::None;
    const int page = current_;
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    updateScrollBars();
    goToPage(page);
}

void ReportPageView::setFit(Fit fit)
{
    fit_ = fit;
    const int page = current_;
    applyFit();
    updateScrollBars();
    goToPage(page);
}

void ReportPageView::applyFit()
{
    if (fit_ == Fit::None)
        return;
    // The sheet's size at zoom 1, in pixels of this screen.
    const QSizeF sheet = ReportLayout(logicalDpiY()).pageSize();
    const qreal across = (viewport()->width() - 2.0 * kGap) / sheet.width();
    const qreal down = (viewport()->height() - 2.0 * kGap) / sheet.height();
    const qreal zoom = fit_ == Fit::Width ? across : std::min(across, down);
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
}

void ReportPageView::updateScrollBars()
{
    const QSize page = pageSizeOnScreen();
    const qint64 steps = maxTop();
    scrollUnit_ = std::max<qint64>(1, (steps + kMaxScrollSteps - 1) / kMaxScrollSteps);
    syncing_ = true;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, int(steps / scrollUnit_));
    v->setPageStep(int(std::max<qint64>(1, viewport()->height() / scrollUnit_)));
    v->setSingleStep(int(std::max<qint64>(1, 40 / scrollUnit_)));
    v->setValue(int(top_ / scrollUnit_));
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, page.width() + 2 * kGap - viewport()->width()));
    h->setPageStep(viewport()->width());
    syncing_ = false;
    top_ = std::clamp<qint64>(top_, 0, maxTop());
}

void ReportPageView::setTop(qint64 top)
{
    top_ = std::clamp<qint64>(top, 0, maxTop());
    syncing_ = true;
    verticalScrollBar()->setValue(int(top_ / scrollUnit_));
    syncing_ = false;
    viewport()->update();
}

void ReportPageView::onScrolled(int value)
{
    if (syncing_)
        return;
    top_ = std::clamp<qint64>(qint64(value) * scrollUnit_, 0, maxTop());
    // The page at the middle of the view is the current one; at either end
    // of the scroll range, the first or the last page.
    if (pageCount_ > 0) {
        if (top_ >= maxTop())
            setCurrent(pageCount_ - 1);
        else if (top_ == 0)
            setCurrent(0);
        else
            setCurrent(int(
                std::min<qint64>((top_ + viewport()->height() / 2) / stride(), pageCount_ - 1)));
    }
    viewport()->update();
}

void ReportPageView::goToPage(int page)
{
    page = std::clamp(page, 0, std::max(0, pageCount_ - 1));
    setTop(page * stride());
    setCurrent(page);
}

void ReportPageView::setCurrent(int page)
{
    if (page == current_)
        return;
    current_ = page;
    emit currentPageChanged(page);
}

const QImage& ReportPageView::pageImage(int page)
{
    const qreal d = dpi();
    const auto found = std::find_if(cache_.begin(), cache_.end(), [&](const CachedPage& c) {
        return c.page == page && c.dpi == d;
    });
    if (found != cache_.end()) {
        std::rotate(found, found + 1, cache_.end());
        return cache_.back().image;
    }
    const ReportLayout layout(d);
    QImage image(layout.pageSize(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        paintReportPage(painter, layout, rows_, page);
    }
    ++rendered_;
    cache_.push_back({page, d, std::move(image)});
    qint64 bytes = 0;
    for (const CachedPage& c : cache_)
        bytes += c.image.sizeInBytes();
    while (cache_.size() > 1 && (int(cache_.size()) > kCachedPages || bytes > kCacheBytes)) {
        bytes -= cache_.front().image.sizeInBytes();
        cache_.erase(cache_.begin());
    }
    return cache_.back().image;
}

void ReportPageView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(0x80, 0x80, 0x80));
    if (pageCount_ == 0)
        return;
    const QSize page = pageSizeOnScreen();
    const int viewWidth = viewport()->width();
    const int left = page.width() + 2 * kGap <= viewWidth ? (viewWidth - page.width()) / 2
                                                          : kGap - horizontalScrollBar()->value();
    const qint64 first = std::max<qint64>(0, (top_ - kGap) / stride());
    const qint64 last = std::min<qint64>(pageCount_ - 1, (top_ + viewport()->height()) / stride());
    for (qint64 p = first; p <= last; ++p) {
        const int y = int(p * stride() + kGap - top_);
        if (y >= viewport()->height() || y + page.height() <= 0)
            continue;
        const QImage& image = pageImage(int(p));
        painter.fillRect(QRect(left + 3, y + 3, page.width(), page.height()),
                         QColor(0x50, 0x50, 0x50));
        painter.drawImage(QPoint(left, y), image);
        emit pagePainted(int(p));
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const int page = current_;
    const bool fitted = fit_ != Fit::None;
    applyFit();
    updateScrollBars();
    if (fitted)
        goToPage(page);
}

void ReportPageView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown: goToPage(current_ + 1); break;
    case Qt::Key_PageUp: goToPage(current_ - 1); break;
    case Qt::Key_Home: goToPage(0); break;
    case Qt::Key_End: goToPage(pageCount_ - 1); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
}
