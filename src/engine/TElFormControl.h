#pragma once

#include <litehtml/litehtml.h>

#include <litehtml/html_tag.h>

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

// A form control of a page: <select>, <input>, <textarea>, <button>. It lays
// out as a box of the size the control needs and draws itself; the viewer
// puts a real widget over a drop-down list when it is used. A <select> with
// size above 1 or multiple is a list box, drawn and worked in the page.
class TElFormControl : public litehtml::html_tag {
public:
    enum class Kind { Select, Text, Password, CheckBox, Radio, Button, TextArea, Other };
    // Width of a list box's scroll bar.
    static constexpr int kBarWidth = 16;

    explicit TElFormControl(const std::shared_ptr<litehtml::document>& doc) : html_tag(doc) {}

    void parse_attributes() override;
    void parse_styles(bool is_reparse = false) override;
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) override;
    // Controls with one line of text put that text on the line's baseline,
    // check boxes and radio buttons centre on the capitals beside them, as
    // browsers place them; the others stand on the baseline.
    int get_base_line() override;

    // What the reader has changed, kept when the page is parsed again.
    struct State {
        Kind kind = Kind::Other;
        QList<bool> chosen;
        int selected = -1;
        int top = 0;
        bool checked = false;
        QString value;
    };
    State state() const;
    void restore(const State& state);

    Kind kind() const { return m_kind; }
    QString name() const;
    QString typeName() const;
    QString value() const { return m_value; }
    void setValue(const QString& v) { m_value = v; }
    const QStringList& options() const { return m_options; }
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int i);
    QString selectedText() const;

    // List boxes: rows shown, first row shown, the selected entries.
    bool isListBox() const { return m_listBox; }
    bool isMultiple() const { return m_multiple; }
    int visibleRows() const;
    int topRow() const { return m_top; }
    void scrollRows(int delta);
    bool isSelected(int i) const;
    QStringList selectedTexts() const;
    // A left click at a point of the page on the list box: selects a row
    // (Ctrl adds or removes one, Shift a range, in a multiple list) or works
    // the scroll bar. True when anything changed.
    bool listBoxClick(const QPoint& docPoint, Qt::KeyboardModifiers modifiers);
    bool checked() const { return m_checked; }
    void setChecked(bool c) { m_checked = c; }
    // The control's box in document coordinates.
    QRect documentRect() const;

private:
    struct ListGeometry {
        QRect rows; // the rows shown
        QRect bar;  // the scroll bar; empty when all rows fit
        QRect up, down, thumb;
        int rowHeight = 14;
    };
    ListGeometry listGeometry(const QRect& box);
    void choose(int i, bool on);
    void drawListBox(QPainter* p, const QRect& box);

    Kind m_kind = Kind::Other;
    QStringList m_options;
    int m_selected = -1;
    bool m_listBox = false;
    bool m_multiple = false;
    int m_size = 0;
    QList<bool> m_chosen; // list boxes
    int m_top = 0;
    int m_anchor = -1;
    bool m_checked = false;
    QString m_value;
};
