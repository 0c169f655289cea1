#pragma once

#include <QDialog>
#include <QPointer>

#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPrinter;
class QScrollArea;
class QToolBar;
class THTMLViewer;
class TMetaFilePrinter;
class TPreviewPage;
class TPrnStatusForm;
class TShell;

// The print preview ("Предварительный просмотр"): the page of a content
// pane laid out into sheets exactly as they will be printed, paged, zoomed
// on the screen and for print, turned to landscape, with or without page
// numbers and table backgrounds, and printed in part or whole.
//
// The sheets shown and the sheets printed are the same recorded pictures:
// every change that alters the pagination lays the whole page out again
// and both follow.
class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    enum Tool { ViewZoomTool, PrintZoomTool, HandTool };

    // `viewer` is the page to preview (the caller's). `printer`, when given,
    // is the printer to use (not owned); without one the default printer is
    // used, or a PDF file when the machine has no usable printer.
    TPreviewForm(QWidget* owner, THTMLViewer* viewer, QPrinter* printer = nullptr);
    ~TPreviewForm() override;

    // Prepares the preview: picks the printer (a notice when there is none
    // or the default one is unavailable), fits a picture page of `picture`
    // screen pixels to the paper and lays the page out with progress. True
    // when the preview cannot be shown (no printer, formatting stopped).
    bool Create(bool pageIsPicture = false, QSize picture = {});
    // Shows the prepared preview maximized and modal; returns when it closes.
    void Run();
    // The desktop that asks for the printer and shows warnings; nullptr
    // means the process-wide one.
    void setShell(TShell* shell) { m_shell = shell; }

    // --- state ---
    int pageCount() const;
    int currentPage() const { return m_page; }
    double printZoom() const { return m_printZoom; }
    double startPrintZoom() const { return m_startPrintZoom; }
    double viewZoom() const { return m_viewZoom; }
    bool twoPages() const { return m_twoPage; }
    Tool tool() const { return m_tool; }
    bool landscape() const;
    TMetaFilePrinter& pagePrinter() const { return *m_pages; }
    QPrinter* printer() const;
    TPreviewPage* pageView(int i) const { return i == 0 ? m_pb1 : m_pb2; }
    QScrollArea* scrollBox() const { return m_scroll; }
    QComboBox* zoomBox() const { return m_zoomBox; }
    QLabel* statusPanel(int i) const { return m_panels[i]; }
    QAction* action(const QString& name) const;
    // The progress window while it is up (tests stop it through this).
    TPrnStatusForm* statusForm() const { return m_status; }

    // --- commands (the toolbar, keys and menu) ---
    void ShowPage(int n);
    void NextPage();
    void PrevPage();
    void FirstPage();
    void LastPage();
    void GoToPage();
    void SetZoomEntry(int entry);
    void SetOrientation(bool landscape);
    void SetPrintZoom(double zoom);
    void RestoreStartPrintZoom();
    void SetPageNumbers(bool on);
    void SetPrintBackgrounds(bool on);
    void SetCaptions(bool on);
    void SetTool(Tool tool);
    void SetOnePage();
    void SetTwoPages();
    // The print dialog, then the chosen sheets with progress. False when
    // nothing was printed.
    bool Print();
    // Lays the sheets out on the screen for the current zoom and size.
    void FormResize();

signals:
    // No printer installed (2), the default printer not available (3).
    void printerNotice(int notice);
    // F1 or the help button.
    void helpRequested();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void buildUi();
    QAction* addTool(const QString& name, const QString& hint, const QString& caption,
                     const QString& glyph, bool checkable = false);
    bool formatWithProgress();
    void afterRepaginate(bool clamp);
    void updateNavigation();
    void viewPressed(int view, QMouseEvent* e);
    void viewMoved(QMouseEvent* e);
    void viewReleased(QMouseEvent* e);
    bool handleKey(QKeyEvent* e);
    double screenPpi() const;
    void setViewCursor(const QCursor& c);
    TShell& shell() const;

    THTMLViewer* m_viewer;
    QPointer<QWidget> m_owner;
    QPrinter* m_given;
    std::unique_ptr<QPrinter> m_ownPrinter;
    std::unique_ptr<TMetaFilePrinter> m_pages;
    double m_printZoom = 1;
    double m_startPrintZoom = 1;
    double m_viewZoom = 1;
    int m_page = 0;
    bool m_twoPage = false;
    bool m_onePage = true;
    Tool m_tool = ViewZoomTool;
    bool m_dragging = false;
    QPoint m_dragStart;
    bool m_filtering = false;
    bool m_shown = false;
    TShell* m_shell = nullptr;
    TPrnStatusForm* m_status = nullptr;

    QToolBar* m_toolbar = nullptr;
    QComboBox* m_zoomBox = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_contain = nullptr;
    QFrame* m_pagePanel = nullptr;
    QFrame* m_pagePanel2 = nullptr;
    TPreviewPage* m_pb1 = nullptr;
    TPreviewPage* m_pb2 = nullptr;
    QLabel* m_panels[4] = {};
    QMenu* m_menu = nullptr;
    QAction* m_numbersOn = nullptr;
    QAction* m_numbersOff = nullptr;
    QAction* m_captions = nullptr;
    QAction* m_backgrounds = nullptr;
};
