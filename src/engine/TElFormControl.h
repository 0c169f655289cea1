#pragma once

#include <litehtml/litehtml.h>

#include <litehtml/html_tag.h>

#include <QRect>
#include <QString>
#include <QStringList>

// A form control of a page: <select>, <input>, <textarea>, <button>. It lays
// out as a box of the size the control needs and draws itself; the viewer
// puts a real widget over a drop-down list when it is used.
class TElFormControl : public litehtml::html_tag {
public:
    enum class Kind { Select, Text, Password, CheckBox, Radio, Button, TextArea, Other };

    explicit TElFormControl(const std::shared_ptr<litehtml::document>& doc) : html_tag(doc) {}

    void parse_attributes() override;
    void parse_styles(bool is_reparse = false) override;
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) override;

    Kind kind() const { return m_kind; }
    QString name() const;
    QString typeName() const;
    QString value() const { return m_value; }
    void setValue(const QString& v) { m_value = v; }
    const QStringList& options() const { return m_options; }
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int i);
    QString selectedText() const;
    bool checked() const { return m_checked; }
    void setChecked(bool c) { m_checked = c; }
    // The control's box in document coordinates.
    QRect documentRect() const;

private:
    Kind m_kind = Kind::Other;
    QStringList m_options;
    int m_selected = -1;
    bool m_checked = false;
    QString m_value;
};
