#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class TReadBin;

// The progress bar of the text search in the skinned dialog, drawn from two
// pictures of the resource pack: "status_up.bmp" (the empty bar) and
// "status_dn.bmp" (the full bar). Each step fills one more pixel column. It
// draws only while the main window shows its reading screen (index 1).
class TScaleBar : public QObject {
    Q_OBJECT
public:
    static constexpr int kX = 33; // position in the dialog's client area
    static constexpr int kY = 75;
    static constexpr int kScreen = 1;
    static constexpr const char* kEmptyPicture = "status_up.bmp";
    static constexpr const char* kFullPicture = "status_dn.bmp";

    using ScreenFn = std::function<int()>;

    // `pack`: the resource pack (may be null: no pictures); `currentScreen`:
    // the main window's current screen index.
    TScaleBar(const TReadBin* pack, ScreenFn currentScreen, QObject* parent = nullptr);

    // The skinned dialog and its composed background (both may be null). The
    // bar draws into the background and has the dialog repaint that place.
    void setDialog(QWidget* dialog, QImage* background);

    // Called when the dialog builds its search page: on the bar's screen the
    // pictures are loaded and drawn, then reset(); leaving that screen frees them.
    void showForScreen();
    // Back to the start: the empty bar.
    void reset();
    // One more filled column.
    void step();
    // Search progress over `total` files, before file `k` (counted from 1):
    // steps while the filled part is at most k/total of the bar.
    void advanceTo(int k, int total);

    int column() const { return m_column; }
    int right() const { return m_right; }
    int bottom() const { return m_bottom; }
    QRect rect() const { return QRect(kX, kY, m_right - kX, m_bottom - kY); }
    bool hasPictures() const { return !m_empty.isNull() && !m_full.isNull(); }

private:
    bool onScreen() const;
    void drawInto(const QImage& source, const QRect& sourceRect, const QPoint& at);

    const TReadBin* m_pack;
    ScreenFn m_screen;
    QPointer<QWidget> m_dialog;
    QImage* m_background = nullptr;
    QImage m_empty;
    QImage m_full;
    int m_right = kX;
    int m_bottom = kY;
    int m_column = kX;
    int m_previousScreen = -1;
};
