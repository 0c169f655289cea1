#pragma once

#include "data/ROptions.h"
#include "data/StructModel.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QLabel;
class QTimer;
class QWidget;

// The picture areas of the skin (`_image`): each shows the pictures of one
// folder, one at a time, centred, on its own screen. One picture index is
// shared by every area; the commands nextpic and prevpic and the slide
// timer step it on the current screen's last area. Only the picture on show
// is decoded, scaled down to fit its area, so a folder of thousands of files
// or a huge picture costs the memory of one area-sized picture.
class TSlideImage : public QObject {
    Q_OBJECT
public:
    using ScreenFn = std::function<int()>;

    // `rows`: the `_image` elements in element order; `mainWindow`: parent of
    // the picture controls; `options`: the slide-show settings (read when the
    // timer is started and at each step); `currentScreen`: the main window's
    // current screen index. The folders are listed here, once.
    TSlideImage(const TDynamicImageArray& rows, QWidget* mainWindow, const ROptions& options,
                ScreenFn currentScreen, QObject* parent = nullptr);
    ~TSlideImage() override;

    // After every screen change: hides the previous screen's areas, shows the
    // current screen's (loading a picture into an area that has none yet),
    // and runs the slide timer there when the slide show is on.
    void ShowForScreen();
    void Next();     // nextpic
    void Previous(); // prevpic
    void Tick();     // the slide timer: forwards, backwards or at random

    // The options window switched the slide show on or off or changed its
    // time: the timer takes the interval, and runs only while the current
    // screen has an area.
    void setSlideShow(bool on, int intervalMs);

    // The picture files of an area: *.bmp, then *.jpg, then *.jpeg of its
    // folder (path texts), each mask in name order.
    static QStringList pictureList(const QString& folder);
    // A picture file decoded to fit `box` (scaled down, never up, aspect
    // kept; JPEG is scaled while it is decoded); a null image with the reason
    // in `error` when it cannot be read.
    static QImage decodeToFit(const QString& nativePath, QSize box, QString* error);

    int count() const { return int(m_areas.size()); }
    QLabel* area(int index) const { return m_areas.at(index).label; }
    const QStringList& list(int index) const { return m_areas.at(index).files; }
    // The file an area shows (empty when it shows nothing).
    QString shownFile(int index) const { return m_areas.at(index).shown; }
    int currentArea() const { return m_current; }
    int pictureIndex() const { return m_index; }
    QTimer* timer() const { return m_timer; }
    bool timerRunning() const;

    // Random steps draw from here (tests give a fixed sequence).
    std::function<int(int bound)> randomIndex;

signals:
    // The pointer moved over an area: the skin's hover looks are cleared by
    // passing (-1, -1) to the main window's mouse handling.
    void skinMouseMove(int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct Area {
        QLabel* label = nullptr;
        int screen = 0;
        QStringList files;
        QString shown;
    };
    // Loads picture `index` of area `area`'s list; false when there is none
    // or it cannot be read (the area keeps what it showed).
    bool load(int area, int index);
    bool currentScreenHasArea() const;

    QList<Area> m_areas;
    const ROptions& m_options;
    ScreenFn m_screen;
    QTimer* m_timer = nullptr;
    int m_current = 0;
    int m_index = 0;
    int m_previousScreen = -1;
};
