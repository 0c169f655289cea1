#include "dialogs/TPreviewForm.h"

#include "dialogs/PreviewMath.h"
#include "dialogs/PreviewPictures.h"
#include "dialogs/TGoPageForm.h"
#include "dialogs/TPreviewPage.h"
#include "dialogs/TPrnStatusForm.h"
#include "engine/THTMLViewer.h"
#include "engine/TMetaFilePrinter.h"
#include "engine/TPrintFormatter.h"
#include "platform/Log.h"
#include "platform/TShell.h"
#include "reader/THtmlFrame.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kZoomTexts[] = {"Страница целиком",
                                  "По ширине страницы",
                                  "Вручную",
                                  "25%",
                                  "50%",
                                  "75%",
                                  "100%",
                                  "125%",
                                  "150%",
                                  "200%",
                                  "300%",
                                  "400%"};

void setPrintBackgrounds(THTMLViewer* viewer, bool on) {
    if (!viewer)
        return;
    TViewerSettings s = viewer->settings();
    s.printTableBackgrounds = on;
    viewer->setSettings(s);
}

} // namespace

TPreviewForm::TPreviewForm(QWidget* owner, THTMLViewer* viewer, QPrinter* printer)
    : QDialog(owner), m_viewer(viewer), m_owner(owner), m_given(printer) {
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    buildUi();
}

TPreviewForm::~TPreviewForm() {
    if (m_filtering)
        qApp->removeEventFilter(this);
}

QAction* TPreviewForm::addTool(const QString& name, const QString& hint, const QString& caption,
                               const QString& glyph, bool checkable) {
    auto* a = new QAction(previewpictures::toolIcon(glyph), caption, this);
    a->setObjectName(name);
    a->setToolTip(hint);
    a->setStatusTip(hint);
    a->setCheckable(checkable);
    m_toolbar->addAction(a);
    if (QWidget* w = m_toolbar->widgetForAction(a))
        w->setObjectName(name);
    return a;
}

QAction* TPreviewForm::action(const QString& name) const {
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TPreviewForm::buildUi() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("MainToolbar"));
    m_toolbar->setIconSize(QSize(20, 20));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    layout->addWidget(m_toolbar);

    connect(addTool("PrintBut", "Печать", "Печать", "print"), &QAction::triggered, this,
            [this] { Print(); });
    QAction* orient =
        addTool("PageOrientationBut", "Ориентация листа", "Ориентация листа", "⟲", true);
    connect(orient, &QAction::triggered, this, [this](bool on) { SetOrientation(on); });
    m_toolbar->addSeparator();
    connect(addTool("FirstPageBut", "На первую страницу", "Первая станица", "⇤"),
            &QAction::triggered, this, &TPreviewForm::FirstPage);
    connect(addTool("PrevPageBut", "На предыдущую страницу", "Предыдущая страница", "←"),
            &QAction::triggered, this, &TPreviewForm::PrevPage);
    connect(addTool("NextPageBut", "На следующую страницу", "Следующая страница", "→"),
            &QAction::triggered, this, &TPreviewForm::NextPage);
    connect(addTool("LastPageBut", "На последнюю страницу", "Последняя страница", "⇥"),
            &QAction::triggered, this, &TPreviewForm::LastPage);
    connect(addTool("GoToPageBut", "Переход на страницу", "Переход на страницу", "#"),
            &QAction::triggered, this, &TPreviewForm::GoToPage);
    m_toolbar->addSeparator();

    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("ZoomBox"));
    for (const char* t : kZoomTexts)
        m_zoomBox->addItem(QString::fromUtf8(t));
    m_zoomBox->setMaxVisibleItems(previewmath::kZoomEntries);
    m_zoomBox->setToolTip(QStringLiteral("Выбор масштаба отображения документа"));
    m_zoomBox->setStatusTip(m_zoomBox->toolTip());
    m_zoomBox->setCurrentIndex(0);
    m_toolbar->addWidget(m_zoomBox);
    connect(m_zoomBox, &QComboBox::activated, this, [this](int i) { SetZoomEntry(i); });

    QAction* fitPage = addTool("FitPageBut", "Лист целиком", "Лист целиком", "page", true);
    connect(fitPage, &QAction::triggered, this, [this] { SetZoomEntry(previewmath::FitPage); });
    QAction* fitWidth = addTool("FitWidthBut", "По ширине", "По ширине", "↔", true);
    connect(fitWidth, &QAction::triggered, this, [this] { SetZoomEntry(previewmath::FitWidth); });
    connect(addTool("RestoreStartPrintZoomBut", "Восстановить исходный масштаб печати",
                    "Восстановить масштаб", "↺"),
            &QAction::triggered, this, &TPreviewForm::RestoreStartPrintZoom);
    m_toolbar->addSeparator();
    auto* tools = new QActionGroup(this);
    QAction* printTool = addTool("ZoomCursorPrintBut", "Увеличение/уменьшение масштаба печати",
                                 "Масштаб печати", "P", true);
    QAction* viewTool = addTool("ZoomCursorBut", "Увеличение/уменьшение масштаба просмотра",
                                "Масштаб просмотра", "Q", true);
    QAction* hand = addTool("HandCursorBut", "Перемещение", "Перемещение", "hand", true);
    for (QAction* a : {printTool, viewTool, hand})
        tools->addAction(a);
    connect(printTool, &QAction::triggered, this, [this] { SetTool(PrintZoomTool); });
    connect(viewTool, &QAction::triggered, this, [this] { SetTool(ViewZoomTool); });
    connect(hand, &QAction::triggered, this, [this] { SetTool(HandTool); });
    m_toolbar->addSeparator();
    QAction* one = addTool("OnePageBut", "Один лист на странице", "Один лист", "1", true);
    QAction* two = addTool("TwoPageBut", "Два листа на странице", "Два листа", "2", true);
    connect(one, &QAction::triggered, this, &TPreviewForm::SetOnePage);
    connect(two, &QAction::triggered, this, &TPreviewForm::SetTwoPages);
    m_toolbar->addSeparator();
    connect(addTool("HelpBut", "Помощь", "Помощь", "?"), &QAction::triggered, this,
            &TPreviewForm::helpRequested);
    connect(addTool("CloseBut", "Завершить просмотр", "Выход", "✕"), &QAction::triggered, this,
            &QDialog::reject);

    // The toolbar's menu.
    m_menu = new QMenu(this);
    QMenu* numbers = m_menu->addMenu(QStringLiteral("Номера страниц"));
    auto* numberGroup = new QActionGroup(this);
    m_numbersOn = numbers->addAction(QStringLiteral("Выводить"));
    m_numbersOff = numbers->addAction(QStringLiteral("Не выводить"));
    for (QAction* a : {m_numbersOn, m_numbersOff}) {
        a->setCheckable(true);
        numberGroup->addAction(a);
    }
    m_numbersOn->setChecked(true);
    connect(m_numbersOn, &QAction::triggered, this, [this] { SetPageNumbers(true); });
    connect(m_numbersOff, &QAction::triggered, this, [this] { SetPageNumbers(false); });
    m_captions = m_menu->addAction(QStringLiteral("Подписи  к кнопкам"));
    m_captions->setCheckable(true);
    connect(m_captions, &QAction::triggered, this, &TPreviewForm::SetCaptions);
    m_backgrounds = m_menu->addAction(QStringLiteral("Печатать фон"));
    m_backgrounds->setCheckable(true);
    m_backgrounds->setChecked(true);
    connect(m_backgrounds, &QAction::triggered, this, &TPreviewForm::SetPrintBackgrounds);
    m_toolbar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_toolbar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { m_menu->popup(m_toolbar->mapToGlobal(p)); });

    // The sheets.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox"));
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_contain = new QWidget;
    m_contain->setObjectName(QStringLiteral("ContainPanel"));
    m_contain->setAutoFillBackground(true);
    QPalette grey = m_contain->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    m_contain->setPalette(grey);
    m_scroll->setWidget(m_contain);
    layout->addWidget(m_scroll, 1);
    const QString viewHint = QStringLiteral(
        "Просмотр страницы. Используйте правую/левую кнопку мыши для уменьшения/увеличения.");
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QFrame(m_contain);
        panel->setObjectName(i == 0 ? QStringLiteral("PagePanel") : QStringLiteral("PagePanel2"));
        auto* box = new QVBoxLayout(panel);
        box->setContentsMargins(0, 0, 0, 0);
        auto* view = new TPreviewPage(panel);
        view->setObjectName(i == 0 ? QStringLiteral("PB1") : QStringLiteral("PB2"));
        view->setToolTip(viewHint);
        view->setStatusTip(viewHint);
        box->addWidget(view);
        connect(view, &TPreviewPage::pressed, this,
                [this, i](QMouseEvent* e) { viewPressed(i, e); });
        connect(view, &TPreviewPage::moved, this, &TPreviewForm::viewMoved);
        connect(view, &TPreviewPage::released, this, &TPreviewForm::viewReleased);
        (i == 0 ? m_pagePanel : m_pagePanel2) = panel;
        (i == 0 ? m_pb1 : m_pb2) = view;
    }
    m_pagePanel2->hide();

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(false);
    const int widths[] = {125, 150, 150, 50};
    const char* const names[] = {"Номера страниц", "Масштаб просмотра", "Масштаб печати",
                                 "Подсказки"};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(QString::fromUtf8(names[i]), status);
        m_panels[i]->setMinimumWidth(widths[i]);
        if (i == 0)
            m_panels[i]->setAlignment(Qt::AlignCenter);
        if (i < 3)
            status->addWidget(m_panels[i]);
        else
            status->addWidget(m_panels[i], 1);
    }
    layout->addWidget(status);

    viewTool->setChecked(true);
    SetTool(ViewZoomTool);
    one->setChecked(true);
}

// --- creation ---

QPrinter* TPreviewForm::printer() const {
    return m_pages ? m_pages->printer() : nullptr;
}

bool TPreviewForm::landscape() const {
    return m_pages && m_pages->orientation() == TMetaFilePrinter::Orientation::Landscape;
}

int TPreviewForm::pageCount() const {
    return m_pages ? m_pages->pageCount() : 0;
}

double TPreviewForm::screenPpi() const {
    return logicalDpiX() > 0 ? logicalDpiX() : 96;
}

bool TPreviewForm::Create(bool pageIsPicture, QSize picture) {
    setPrintBackgrounds(m_viewer, m_backgrounds->isChecked());
    QPrinter* device = m_given;
    if (!device) {
        // No printer or an unavailable default one: the reader is told, and
        // the sheets go to a PDF file.
        const int notice = THtmlFrame::printerState();
        if (notice != 0)
            emit printerNotice(notice);
        if (notice == 0)
            m_ownPrinter = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(),
                                                      QPrinter::HighResolution);
        if (!m_ownPrinter || !m_ownPrinter->isValid()) {
            m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_ownPrinter->setOutputFormat(QPrinter::PdfFormat);
            m_ownPrinter->setPageSize(QPageSize(QPageSize::A4));
            QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            if (folder.isEmpty() || !QDir(folder).exists())
                folder = QDir::homePath();
            const QString name = QCoreApplication::applicationName().isEmpty()
                                     ? QStringLiteral("print")
                                     : QCoreApplication::applicationName();
            m_ownPrinter->setOutputFileName(QDir(folder).filePath(name + ".pdf"));
        }
        device = m_ownPrinter.get();
    }
    m_pages = std::make_unique<TMetaFilePrinter>(device);
    if (!m_pages->refreshMetrics() || !device->isValid()) {
        vlog::complain(QStringLiteral("print preview: the printer cannot be used"));
        QApplication::restoreOverrideCursor();
        return true;
    }
    m_printZoom = 1;
    if (pageIsPicture && picture.width() > 0 && picture.height() > 0)
        m_printZoom = std::min(
            1.0, previewmath::fitPicture(*m_pages, picture.width(), picture.height(), screenPpi()));
    m_startPrintZoom = m_printZoom;
    if (!formatWithProgress()) {
        QApplication::restoreOverrideCursor();
        return true;
    }
    // A picture is shrunk until it fits on one sheet.
    if (pageIsPicture)
        while (m_pages->pageCount() >= 2 && m_printZoom > 0.05) {
            m_startPrintZoom -= 0.005;
            m_printZoom = m_startPrintZoom;
            printing::Format(m_viewer, *m_pages, m_printZoom);
        }
    setWindowIcon(QApplication::windowIcon());
    action("PageOrientationBut")->setChecked(landscape());
    setMinimumSize(250, 300);
    return false;
}

void TPreviewForm::Run() {
    // Modal to the window it belongs to: a printer notice shown beside it
    // stays within reach.
    if (parentWidget())
        setWindowModality(Qt::WindowModal);
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TPreviewForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!m_filtering) {
        qApp->installEventFilter(this);
        m_filtering = true;
    }
    FormResize();
    // The first sheet when the preview opens; a window shown again (after
    // being minimized) keeps its sheet.
    if (!m_shown) {
        m_shown = true;
        ShowPage(0);
    }
}

void TPreviewForm::hideEvent(QHideEvent* e) {
    if (m_filtering) {
        qApp->removeEventFilter(this);
        m_filtering = false;
    }
    QDialog::hideEvent(e);
}

void TPreviewForm::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    FormResize();
}

// --- formatting ---

bool TPreviewForm::formatWithProgress() {
    if (!m_pages)
        return false;
    // Stopped formatting keeps the sheets there were: the ones shown and
    // printed stay whole.
    const TMetaFilePrinter::Pages kept = m_pages->pages();
    TPrnStatusForm status(this);
    m_status = &status;
    const bool cancelled = status.FormatWithProgress(m_viewer, *m_pages, m_printZoom);
    m_status = nullptr;
    if (cancelled)
        m_pages->setPages(kept);
    return !cancelled;
}

void TPreviewForm::afterRepaginate(bool clamp) {
    FormResize();
    if (clamp)
        m_page = std::min(m_page, std::max(0, pageCount() - 1));
    ShowPage(m_page);
}

// --- layout ---

void TPreviewForm::FormResize() {
    if (!m_pages || !m_scroll)
        return;
    QAction* one = action("OnePageBut");
    QAction* two = action("TwoPageBut");
    QAction* fitPage = action("FitPageBut");
    QAction* fitWidth = action("FitWidthBut");
    if (!m_onePage && !m_twoPage)
        m_onePage = true;
    int entry = m_zoomBox->currentIndex() < 0 ? 0 : m_zoomBox->currentIndex();
    if (m_onePage) {
        fitPage->setChecked(entry == previewmath::FitPage);
        fitWidth->setChecked(entry == previewmath::FitWidth);
    }
    const QSizeF inches(double(m_pages->paperWidth()) / m_pages->ppiX(),
                        double(m_pages->paperHeight()) / m_pages->ppiY());
    const QSize client = m_scroll->viewport()->size();
    const double z = previewmath::zoomFor(entry, client, inches, screenPpi(), m_viewZoom);
    if (entry == previewmath::FitPage || entry == previewmath::FitWidth) {
        m_onePage = true;
        m_twoPage = false;
    }
    one->setChecked(m_onePage);
    two->setChecked(m_twoPage);
    const int pageH = std::max(1, int(screenPpi() * z * inches.height()));
    const int pageW = std::max(1, int(screenPpi() * z * inches.width()));
    m_pagePanel->resize(pageW, pageH);
    m_pagePanel2->resize(pageW, pageH);
    m_pagePanel2->setVisible(m_twoPage);
    int c = pageW + 20;
    if (m_twoPage)
        c += pageW + 20;
    const int containH = std::max(pageH + 20, client.height() - 1);
    const int containW = std::max(c, client.width() - 1);
    m_contain->resize(containW, containH);
    const int top = pageH + 20 < containH ? containH / 2 - pageH / 2 : 10;
    const int left = c < containW ? containW / 2 - (c - 20) / 2 : 10;
    m_pagePanel->move(left, top);
    m_pagePanel2->move(left + pageW + 20, top);
    m_viewZoom = z;
    m_panels[1]->setText(QStringLiteral(" Масштаб просмотра: %1%").arg(qRound(z * 100)));
    m_panels[2]->setText(QStringLiteral(" Масштаб печати: %1%").arg(qRound(m_printZoom * 100)));
}

void TPreviewForm::SetZoomEntry(int entry) {
    m_zoomBox->setCurrentIndex(entry);
    if (entry == previewmath::FitPage || entry == previewmath::FitWidth)
        action("TwoPageBut")->setChecked(false);
    // Twice: scroll bars that come or go in the first pass change the room.
    FormResize();
    FormResize();
}

// --- pages ---

void TPreviewForm::ShowPage(int n) {
    m_page = n;
    const int count = pageCount();
    m_panels[0]->setText(QStringLiteral("Страница %1 из %2").arg(n + 1).arg(count));
    m_pb1->setPage(n >= 0 && n < count ? &m_pages->page(n) : nullptr);
    m_pb2->setPage(m_twoPage && n + 1 < count ? &m_pages->page(n + 1) : nullptr);
    updateNavigation();
    vlog::trace(QStringLiteral("preview"), QStringLiteral("page %1 of %2").arg(n + 1).arg(count));
}

void TPreviewForm::updateNavigation() {
    const int count = pageCount();
    action("NextPageBut")->setEnabled(m_page + 1 < count);
    action("LastPageBut")->setEnabled(m_page + 1 < count);
    action("PrevPageBut")->setEnabled(m_page > 0);
    action("FirstPageBut")->setEnabled(m_page > 0);
    action("GoToPageBut")->setEnabled(count > 1);
    QAction* two = action("TwoPageBut");
    if (count == 1) {
        two->setEnabled(false);
        if (m_twoPage) {
            m_twoPage = false;
            m_onePage = true;
            FormResize();
            m_pb2->setPage(nullptr);
        }
    } else {
        two->setEnabled(true);
    }
}

void TPreviewForm::NextPage() {
    if (m_page + 1 < pageCount())
        ShowPage(m_page + 1);
}

void TPreviewForm::PrevPage() {
    if (m_page > 0)
        ShowPage(m_page - 1);
}

void TPreviewForm::FirstPage() {
    ShowPage(0);
}

void TPreviewForm::LastPage() {
    ShowPage(std::max(0, pageCount() - 1));
}

void TPreviewForm::GoToPage() {
    TGoPageForm form(this);
    form.setPages(pageCount(), m_page);
    if (form.exec() != QDialog::Accepted)
        return;
    ShowPage(TGoPageForm::targetPage(form.value(), pageCount()));
}

// --- pagination changes ---

void TPreviewForm::SetOrientation(bool on) {
    if (!m_pages)
        return;
    using O = TMetaFilePrinter::Orientation;
    const O before = m_pages->orientation();
    m_pages->setOrientation(on ? O::Landscape : O::Portrait);
    if (!formatWithProgress())
        m_pages->setOrientation(before); // stopped: as it was
    action("PageOrientationBut")->setChecked(landscape());
    afterRepaginate(true);
}

void TPreviewForm::SetPrintZoom(double zoom) {
    const double before = m_printZoom;
    m_printZoom = zoom;
    if (formatWithProgress())
        afterRepaginate(true);
    else
        m_printZoom = before;
}

void TPreviewForm::RestoreStartPrintZoom() {
    SetPrintZoom(m_startPrintZoom);
}

void TPreviewForm::SetPageNumbers(bool on) {
    if (!m_pages)
        return;
    const bool before = m_pages->printPageNumbers();
    m_pages->setPrintPageNumbers(on);
    if (!formatWithProgress())
        m_pages->setPrintPageNumbers(before);
    (m_pages->printPageNumbers() ? m_numbersOn : m_numbersOff)->setChecked(true);
    // The page number stays as it was, even past a new end.
    ShowPage(m_page);
    FormResize();
}

void TPreviewForm::SetPrintBackgrounds(bool on) {
    const bool before = m_viewer ? m_viewer->settings().printTableBackgrounds : on;
    setPrintBackgrounds(m_viewer, on);
    if (formatWithProgress()) {
        m_backgrounds->setChecked(on);
        afterRepaginate(true);
    } else {
        setPrintBackgrounds(m_viewer, before);
        m_backgrounds->setChecked(before);
    }
}

void TPreviewForm::SetCaptions(bool on) {
    m_captions->setChecked(on);
    m_toolbar->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    QAction* orient = action("PageOrientationBut");
    if (auto* button = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(orient)))
        button->setFixedWidth(on ? 125 : 23);
    if (on)
        setMinimumSize(300, 600);
    else
        setMinimumSize(250, 300);
    FormResize();
}

void TPreviewForm::SetTool(Tool tool) {
    m_tool = tool;
    action("ZoomCursorPrintBut")->setChecked(tool == PrintZoomTool);
    action("ZoomCursorBut")->setChecked(tool == ViewZoomTool);
    action("HandCursorBut")->setChecked(tool == HandTool);
    setViewCursor(tool == HandTool ? QCursor(Qt::OpenHandCursor) : previewpictures::magnifier(0));
}

void TPreviewForm::setViewCursor(const QCursor& c) {
    m_pb1->setCursor(c);
    m_pb2->setCursor(c);
}

void TPreviewForm::SetOnePage() {
    m_onePage = true;
    m_twoPage = false;
    action("FitWidthBut")->setChecked(false);
    m_zoomBox->setCurrentIndex(previewmath::FitPage);
    FormResize();
    ShowPage(m_page);
}

void TPreviewForm::SetTwoPages() {
    if (pageCount() <= 1) {
        action("TwoPageBut")->setChecked(false);
        return;
    }
    m_twoPage = true;
    m_onePage = false;
    action("FitPageBut")->setChecked(false);
    action("FitWidthBut")->setChecked(false);
    m_zoomBox->setCurrentIndex(previewmath::Manual);
    FormResize();
    ShowPage(m_page);
}

// --- mouse ---

void TPreviewForm::viewPressed(int view, QMouseEvent* e) {
    if (QWidget* f = QApplication::focusWidget(); f && m_toolbar->isAncestorOf(f))
        m_scroll->setFocus();
    const bool left = e->button() == Qt::LeftButton;
    const bool right = e->button() == Qt::RightButton;
    if (m_tool == HandTool) {
        setViewCursor(QCursor(Qt::ClosedHandCursor));
        m_dragging = true;
        m_dragStart = e->globalPosition().toPoint();
        return;
    }
    if (!left && !right)
        return;
    setViewCursor(previewpictures::magnifier(right ? -1 : 1));
    if (m_tool == PrintZoomTool) {
        const double z = previewmath::printZoomStep(m_printZoom, left);
        if (z != m_printZoom)
            SetPrintZoom(z);
        return;
    }
    const QWidget* pv = view == 0 ? m_pb1 : m_pb2;
    QPointF pos = e->position();
    if (view == 1)
        pos += m_pagePanel2->pos() - m_pagePanel->pos();
    const QPointF rel(pos.x() / std::max(1, pv->width()), pos.y() / std::max(1, pv->height()));
    m_viewZoom = previewmath::viewZoomStep(m_viewZoom, left);
    m_zoomBox->setCurrentIndex(previewmath::Manual);
    FormResize();
    FormResize();
    const QSize vs = m_pb1->size();
    m_scroll->horizontalScrollBar()->setValue(int(vs.width() * rel.x()) -
                                              m_scroll->viewport()->width() / 2);
    m_scroll->verticalScrollBar()->setValue(int(vs.height() * rel.y()) -
                                            m_scroll->viewport()->height() / 2);
}

void TPreviewForm::viewMoved(QMouseEvent* e) {
    if (m_tool == HandTool && m_dragging) {
        const QPoint now = e->globalPosition().toPoint();
        const QPoint d = m_dragStart - now;
        m_scroll->horizontalScrollBar()->setValue(m_scroll->horizontalScrollBar()->value() + d.x());
        m_scroll->verticalScrollBar()->setValue(m_scroll->verticalScrollBar()->value() + d.y());
        m_dragStart = now;
        return;
    }
    if (e->buttons() == Qt::NoButton)
        setViewCursor(m_tool == HandTool ? QCursor(Qt::OpenHandCursor)
                                         : previewpictures::magnifier(0));
}

void TPreviewForm::viewReleased(QMouseEvent*) {
    m_dragging = false;
    setViewCursor(m_tool == HandTool ? QCursor(Qt::OpenHandCursor) : previewpictures::magnifier(0));
}

// --- keys and hints ---

bool TPreviewForm::handleKey(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QScrollBar* h = m_scroll->horizontalScrollBar();
    QScrollBar* v = m_scroll->verticalScrollBar();
    switch (e->key()) {
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_PageUp:
        PrevPage();
        return true;
    case Qt::Key_PageDown:
        NextPage();
        return true;
    case Qt::Key_Home:
        FirstPage();
        return true;
    case Qt::Key_End:
        LastPage();
        return true;
    case Qt::Key_Left:
        if (h->isVisible())
            h->setValue(h->value() - 10);
        return true;
    case Qt::Key_Right:
        if (h->isVisible())
            h->setValue(h->value() + 10);
        return true;
    case Qt::Key_Up:
        if (v->isVisible())
            v->setValue(v->value() - 10);
        return true;
    case Qt::Key_Down:
        if (v->isVisible())
            v->setValue(v->value() + 10);
        return true;
    case Qt::Key_P:
        if (ctrl) {
            Print();
            return true;
        }
        return false;
    case Qt::Key_F1:
        emit helpRequested();
        return true;
    default:
        return false;
    }
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        // Only keys of this window; the zoom list's open list keeps its own.
        const QWidget* modal = QApplication::activeModalWidget();
        if (w->window() == this && (!modal || modal == this) &&
            !(m_zoomBox->view() && m_zoomBox->view()->isVisible()))
            return handleKey(static_cast<QKeyEvent*>(e));
    }
    return QDialog::eventFilter(watched, e);
}

bool TPreviewForm::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        m_panels[3]->setText(QLatin1Char(' ') + static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QDialog::event(e);
}

// --- printing ---

TShell& TPreviewForm::shell() const {
    return m_shell ? *m_shell : TShell::instance();
}

bool TPreviewForm::Print() {
    QPrinter* device = printer();
    if (!device || !device->isValid()) {
        shell().showMessage(QStringLiteral("Принтер не доступен!"), true);
        return false;
    }
    const int count = pageCount();
    if (!shell().askPrintPages(device, 1, count))
        return false;
    // The sheets chosen: a list of ranges, one range, or all from the
    // dialog's first page on.
    QList<int> sheets;
    const QList<QPageRanges::Range> ranges = device->pageRanges().toRangeList();
    if (device->printRange() == QPrinter::PageRange && !ranges.isEmpty()) {
        for (const QPageRanges::Range& r : ranges)
            for (int n = r.from; n <= r.to && n <= count; ++n)
                sheets << n;
    } else {
        for (int n = std::max(1, device->fromPage()); n <= count; ++n)
            sheets << n;
    }
    // The dialog may have chosen another printer or paper: lay the sheets
    // out again so that what is printed is what the preview shows.
    const QSize paper(m_pages->paperWidth(), m_pages->paperHeight());
    const int ppi = m_pages->ppiX();
    const bool usable = m_pages->refreshMetrics();
    if (usable &&
        (paper != QSize(m_pages->paperWidth(), m_pages->paperHeight()) || ppi != m_pages->ppiX())) {
        if (!formatWithProgress())
            return false;
        afterRepaginate(true);
    }
    bool failed = !usable;
    if (!failed) {
        TPrnStatusForm status(this);
        m_status = &status;
        const bool cancelled =
            status.PrintWithProgress(m_viewer, *m_pages, m_printZoom, sheets, &failed);
        m_status = nullptr;
        if (cancelled)
            return false;
    }
    if (failed) {
        vlog::complain(QStringLiteral("print preview: the printer did not take the sheets"));
        shell().showMessage(QStringLiteral("Принтер не доступен!"), true);
        return false;
    }
    QStringList printed;
    for (int n : sheets)
        printed << QString::number(n);
    vlog::trace(QStringLiteral("printed"),
                printed.join(u',') + QLatin1Char(' ') + device->outputFileName());
    return true;
}
