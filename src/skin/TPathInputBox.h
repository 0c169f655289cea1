#pragma once

#include "data/StructModel.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

// The path input boxes of the skin (`_path`): borderless edit fields on the
// main window holding the folder that copied and extracted files go to. Each
// box starts with its stored folder (setting "PathInstall" + its index) or
// its `pathdef`, and writes its text back when the boxes are destroyed.
class TPathInputBox : public QObject {
    Q_OBJECT
public:
    using ScreenFn = std::function<int()>;

    // `rows`: the `_path` elements in element order; `mainWindow`: parent of
    // the fields; `title`: the book title (settings group); `currentScreen`:
    // the main window's current screen index.
    TPathInputBox(const TDynamicPathArray& rows, QWidget* mainWindow, const QString& title,
                  ScreenFn currentScreen, QObject* parent = nullptr);
    ~TPathInputBox() override;

    // After every screen change: hides the previous screen's boxes and shows
    // the current screen's.
    void showForScreen();
    // The standard look hides the current screen's boxes, the skinned look
    // shows them again.
    void setHidden(bool hidden);
    // The folder of the first box on the current screen, as a path text with a
    // trailing backslash ("~" at the start stands for the home folder); empty
    // when the current screen has no box.
    QString getPath() const;
    // Where copied files go: the folder of the current screen's box, else of
    // the book's first box (the reading screen usually has none of its own;
    // an empty folder would put the copies in the program's working folder).
    QString copyFolder() const;
    // Writes every box's text as "PathInstall" + index.
    void save() const;

    int count() const { return int(m_boxes.size()); }
    QLineEdit* box(int index) const { return m_boxes.at(index).edit; }
    int screenOf(int index) const { return m_boxes.at(index).screen; }

    // The pixel size of a font whose line height fits `height` pixels (the
    // field's font is (bottom - top) - 1 pixels high, leading included).
    static int fontPixelSizeFor(const QString& family, int height);
    // A folder text with a leading "~" expanded to the home folder.
    static QString expandHome(const QString& text);

Q_SIGNALS:
    // The pointer moved over a box: the skin's hover states are cleared by
    // passing the position (-1, -1) to the main window's mouse handling.
    void skinMouseMove(int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Box {
        QPointer<QLineEdit> edit;
        int screen = 0;
    };
    static QString folderOf(const Box& box);
    QList<Box> m_boxes;
    QString m_title;
    ScreenFn m_screen;
    int m_previousScreen = -1;
};
