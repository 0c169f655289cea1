#pragma once

#include <QImage>
#include <QPicture>
#include <QWidget>

// One sheet on the print preview's screen: the recorded picture of a page
// drawn over the whole widget (the paper), exactly as the printer gets it.
// Mouse events go to the preview through signals.
class TPreviewPage : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewPage(QWidget* parent = nullptr);

    // The sheet to show (null: a blank sheet). The picture is kept, so the
    // sheet survives the page printer laying the page out again.
    void setPage(const QPicture* page);
    bool hasPage() const { return m_hasPage; }

    // A recorded page drawn onto an image of `size` (the whole paper),
    // white underneath. The picture's own resolution is used, so the sheet
    // is only scaled by size.
    static QImage render(const QPicture& page, QSize size);

signals:
    void pressed(QMouseEvent* e);
    void moved(QMouseEvent* e);
    void released(QMouseEvent* e);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    static constexpr qint64 kCacheLimit = 16'000'000;

    QPicture m_page;
    bool m_hasPage = false;
    QImage m_cache; // the page at the widget's size
};
