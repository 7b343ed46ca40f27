#pragma once

#include <QAbstractScrollArea>
#include <QImage>

#include <vector>

class ReportRows;

// The pages of a report, one below the other, at a zoom. Where each page
// lies is arithmetic (every page has the same size), so opening the view or
// moving to any page costs the same whatever the page count; only the pages
// on screen are drawn, into a small cache of page images.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum class Fit { None, Page, Width };
    static constexpr int kGap = 12;        // pixels around and between pages
    static constexpr int kCachedPages = 6; // at most, and within a byte budget

    ReportPageView(const ReportRows& rows, QWidget* parent = nullptr);
    ~ReportPageView() override;

    int pageCount() const { return pageCount_; }
    int currentPage() const { return current_; } // 0-based; 0 when there are none
    void goToPage(int page);                     // clamped to the pages present

    // Zoom 1 shows the sheet at its real size on this screen.
    qreal zoom() const { return zoom_; }
    void setZoom(qreal zoom); // leaves any fit mode
    Fit fit() const { return fit_; }
    void setFit(Fit fit);

    QSize pageSizeOnScreen() const;
    // Pages drawn into images since the view was made (the cache's misses).
    int pagesRendered() const { return rendered_; }

signals:
    void currentPageChanged(int page);
    void pagePainted(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct CachedPage {
        int page;
        qreal dpi;
        QImage image;
    };
    qreal dpi() const;
    qint64 stride() const;
    qint64 contentHeight() const;
    qint64 maxTop() const;
    void applyFit();
    void updateScrollBars();
    void setTop(qint64 top);
    void onScrolled(int value);
    void setCurrent(int page);
    const QImage& pageImage(int page);

    const ReportRows& rows_;
    int pageCount_;
    qreal zoom_ = 1.0;
    Fit fit_ = Fit::Width;
    qint64 top_ = 0;        // content pixels above the viewport
    qint64 scrollUnit_ = 1; // content pixels per vertical scroll bar step
    bool syncing_ = false;
    int current_ = 0;
    int rendered_ = 0;
    std::vector<CachedPage> cache_; // most recently used last
};
