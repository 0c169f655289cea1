#pragma once

#include <QDialog>

class QSpinBox;
class QPushButton;

// The go-to-page dialog of the print preview ("Переход на страницу"): a
// page number from 1 to the page count.
class TGoPageForm : public QDialog {
    Q_OBJECT
public:
    explicit TGoPageForm(QWidget* parent = nullptr);

    // Sets the range 1..`pageCount` and the shown value `current` + 1.
    void setPages(int pageCount, int current);
    int value() const;
    QSpinBox* pageNum() const { return m_pageNum; }

    // The 0-based page an entry leads to: below 1 the first, past the end
    // the last.
    static int targetPage(int entry, int pageCount);

protected:
    void showEvent(QShowEvent* e) override;

private:
    QSpinBox* m_pageNum;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
