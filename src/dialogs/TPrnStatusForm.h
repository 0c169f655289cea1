#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class THTMLViewer;
class TMetaFilePrinter;

// The small modal window shown while a page is laid out into sheets or
// printed ("Форматирование текста"): it names the sheet being made and
// stops the work when "Отмена" is pressed or any key is typed.
class TPrnStatusForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrnStatusForm(QWidget* parent = nullptr);

    // Lays the viewer's page out at `printZoom` into the page printer. True
    // when the reader stopped it.
    bool FormatWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer, double printZoom);
    // Prints sheets from..to (1-based) of the page printer, laying the page
    // out first when no sheet is there. True when the reader stopped it;
    // `failed` tells a printer that did not take the sheets. A stopped or
    // failed print to a file leaves no file behind.
    bool PrintWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer, double printZoom,
                           int from, int to, bool* failed = nullptr);
    // The same for the listed sheets (1-based, in order).
    bool PrintWithProgress(THTMLViewer* viewer, TMetaFilePrinter& printer, double printZoom,
                           const QList<int>& sheets, bool* failed = nullptr);

    // Asks the running work to stop (the "Отмена" button, a key).
    void cancel() { m_cancel = true; }
    QLabel* label() const { return m_label; }

signals:
    // A sheet was made (0 while laying out), before the work goes on.
    void progressed(int page);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

private:
    bool run(const std::function<bool(const std::function<void(int, bool&)>&)>& work, bool* failed);
    void progress(int page, bool& stop);

    QLabel* m_label;
    QPushButton* m_cancelButton;
    bool m_cancel = false;
    bool m_running = false;
};
