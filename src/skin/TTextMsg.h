#pragma once

#include "data/StructModel.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QPainter;

// The text elements of the skin (`_text`): single lines drawn straight onto
// the main window, or onto the skinned dialog for elements numbered 1000,
// whose text other parts change (the loaded page's title, the status line).
// The owner's paint handler draws the skin and then calls paint(); a text
// change repaints the element's old and new places on its window.
class TTextMsg : public QObject {
    Q_OBJECT
public:
    // Elements numbered this way belong to the skinned dialog.
    static constexpr int kDialogNumber = 1000;
    // SetText's `which` for every element whose ident is "statusline".
    static constexpr int kStatusLine = -1;

    using ScreenFn = std::function<int()>;

    // `elements`: the `_text` rows in element order; `mainWindow`: the skinned
    // window; `currentScreen`: the main window's current screen index.
    TTextMsg(const TDynamicTextArray& elements, QWidget* mainWindow, ScreenFn currentScreen,
             QObject* parent = nullptr);

    // The skinned dialog, when it exists (null otherwise).
    void setDialog(QWidget* dialog);
    QWidget* dialog() const { return m_dialog; }

    // Draws the current screen's elements that belong to `canvas` (the main
    // window or the dialog) and records their rectangles.
    void paint(QPainter& painter, const QWidget* canvas);

    // `which` >= 0: the first element whose number equals it; kStatusLine:
    // every status-line element. Nothing happens for an unchanged text.
    // `redraw`: the element's old and new places are repainted.
    void setText(const QString& text, int which, bool redraw);

    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    QString text(int index) const { return m_items.at(index).text; }
    // The rectangle of the last painting (or of the last text change).
    QRect rect(int index) const { return m_items.at(index).rect; }
    const RText& element(int index) const { return m_items.at(index).row; }
    QFont font(int index) const { return m_items.at(index).font; }
    bool isStatusLine(int index) const;

    // The rectangle the text takes when drawn at (left, top) in `font`.
    static QRect textRect(const QFont& font, int left, int top, const QString& text);
    // A skin font: point sizes are taken at 96 dots per inch, as the skin's
    // pictures were drawn, so the text keeps its place on every screen.
    // `styleWords`: "bold", "italic", "underline", "strikeout" anywhere.
    static QFont skinFont(const QString& family, int pointSize, const QString& styleWords);
    // A colour value r + 256*g + 65536*b.
    static QColor skinColor(int value);

Q_SIGNALS:
    // A text changed (after the element's place was scheduled for repainting).
    void textChanged(int index);

private:
    struct Item {
        RText row;
        QFont font;
        QColor color;
        QString text;
        QRect rect;
    };
    QWidget* canvasOf(const Item& item) const;
    void changeText(int index, const QString& text, bool redraw);

    QList<Item> m_items;
    QPointer<QWidget> m_main;
    QPointer<QWidget> m_dialog;
    ScreenFn m_screen;
};
