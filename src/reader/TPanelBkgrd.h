#pragma once

#include <QWidget>

class QSplitter;

// The white panel of the reading screen: the contents tree at its left, a
// splitter, and the page pane filling the rest. Hidden until the reading
// screen shows it; it never erases its background (the page pane covers it).
class TPanelBkgrd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLeft = 33, kTop = 90, kWidth = 673, kHeight = 421;

    explicit TPanelBkgrd(QWidget* parent = nullptr);

    // The splitter between the tree and the page pane (red 128, green 141,
    // blue 142). Trees go in front of the pane, the pane is the last widget.
    QSplitter* splitter() const { return m_splitter; }

private:
    QSplitter* m_splitter;
};
