#include "dialogs/TFontForm.h"

#include "dialogs/TColorGrid.h"
#include "engine/THTMLViewer.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

const QString TFontForm::kSample = QStringLiteral(
    "<center><h1>Заголовок</h1></center><ul>Нормальный текст<li><a href=NoWhere>Ссылка</a>"
    "<li><b>Жирный текст</b><li><i>Наклонный текст</i><li><code>Текст кода</code></ul> <hr>");

namespace {

constexpr int kMaxColourName = 80;
const QString kArial = QStringLiteral("Arial");

QLabel* label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// The named colours: every name the toolkit knows except the transparent one.
QStringList colourNames() {
    QStringList names;
    for (const QString& name : QColor::colorNames())
        if (QColor(name).alpha() == 255)
            names << name;
    return names;
}

} // namespace

TFontForm::TFontForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FontForm"));
    setWindowTitle(QStringLiteral("Шрифт"));

    m_fonts = new QListWidget(this);
    m_fonts->setObjectName(QStringLiteral("FontListBox"));
    QStringList families = QFontDatabase::families();
    // The panes' default font: offered also where it is only a substitute.
    if (!families.contains(kArial))
        families << kArial;
    families.sort(Qt::CaseInsensitive);
    families.removeDuplicates();
    m_fonts->addItems(families);

    m_backs = new QListWidget(this);
    m_backs->setObjectName(QStringLiteral("BackListBox"));
    m_backs->addItems(colourNames());

    m_fontGrid = new TColorGrid(this);
    m_fontGrid->setObjectName(QStringLiteral("FontColorGrid"));
    m_linkGrid = new TColorGrid(this);
    m_linkGrid->setObjectName(QStringLiteral("HotSpotColorGrid"));

    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("FontSizeEdit"));
    m_size->setRange(kMinSize, kMaxSize);
    m_size->setValue(m_fontSize);

    m_viewer = new THTMLViewer(this);
    m_viewer->setObjectName(QStringLiteral("FontViewer"));
    m_viewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_viewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_viewer->setMinimumSize(260, 200);

    auto* ok = new QPushButton(QStringLiteral("O&K"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    auto* reset = new QPushButton(QStringLiteral("&Сброс"), this);
    reset->setObjectName(QStringLiteral("ResetButton"));
    reset->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, &TFontForm::ResetButtonClick);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label(QStringLiteral("&Шрифт"), m_fonts, this), 0, 0);
    grid->addWidget(m_fonts, 1, 0, 3, 1);
    grid->addWidget(label(QStringLiteral("&Цвет фона"), m_backs, this), 0, 1);
    grid->addWidget(m_backs, 1, 1, 3, 1);
    grid->addWidget(label(QStringLiteral("Цвет &текста"), m_fontGrid, this), 0, 2);
    grid->addWidget(m_fontGrid, 1, 2);
    grid->addWidget(label(QStringLiteral("Цвет &ссылки"), m_linkGrid, this), 2, 2);
    grid->addWidget(m_linkGrid, 3, 2);
    auto* size = new QVBoxLayout;
    size->addWidget(label(QStringLiteral("&Размер"), m_size, this));
    size->addWidget(m_size);
    size->addStretch();
    grid->addLayout(size, 4, 0);
    grid->addWidget(m_viewer, 4, 1, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(reset);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 3, 4, 1);

    // A click in a list or a change of the size applies it; a colour chosen
    // in a grid becomes the text or the link colour.
    connect(m_fonts, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { setFontName(item->text()); });
    connect(m_fonts, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (!m_updating && !name.isEmpty())
            setFontName(name);
    });
    connect(m_backs, &QListWidget::currentTextChanged, this, [this](const QString& name) {
        if (!m_updating && !name.isEmpty())
            setBackground(THtmlSettings::fromColor(QColor(name)));
    });
    connect(m_size, &QSpinBox::valueChanged, this, [this](int size) {
        if (!m_updating)
            setFontSize(size);
    });
    connect(m_fontGrid, &TColorGrid::colourChosen, this,
            [this](const QColor& c) { setFontColor(THtmlSettings::fromColor(c)); });
    connect(m_linkGrid, &TColorGrid::colourChosen, this,
            [this](const QColor& c) { setHotSpotColor(THtmlSettings::fromColor(c)); });
    refreshSample();
}

TFontForm::~TFontForm() = default;

void TFontForm::refreshSample() {
    TViewerSettings s = m_viewer->settings();
    s.defFontName = m_sampleFont;
    s.defFontColor = THtmlSettings::toColor(m_fontColor);
    s.defFontSize = m_fontSize;
    s.defHotSpotColor = THtmlSettings::toColor(m_hotSpotColor);
    s.defBackground = m_sampleBackground;
    s.viewImages = false;
    m_viewer->setSettings(s);
    m_viewer->loadHtml(kSample, QString());
}

void TFontForm::setFontName(const QString& name) {
    m_updating = true;
    auto found = m_fonts->findItems(name, Qt::MatchFixedString);
    if (found.isEmpty())
        found = m_fonts->findItems(kArial, Qt::MatchFixedString);
    if (!found.isEmpty())
        m_fonts->setCurrentItem(found.first());
    m_updating = false;
    m_fontName = name;
    m_sampleFont = name;
    refreshSample();
}

void TFontForm::setFontSize(int size) {
    m_fontSize = size;
    m_updating = true;
    m_size->setValue(qBound(kMinSize, size, kMaxSize));
    m_updating = false;
    refreshSample();
}

void TFontForm::setFontColor(int colour) {
    m_fontColor = colour;
    m_fontGrid->clearMark();
    refreshSample();
}

void TFontForm::setHotSpotColor(int colour) {
    m_hotSpotColor = colour;
    m_linkGrid->clearMark();
    refreshSample();
}

void TFontForm::setBackground(int colour) {
    selectBackground(THtmlSettings::toColor(colour));
}

void TFontForm::selectBackground(const QColor& colour) {
    // The colour's name in the list; a colour without a name is listed by
    // its number ("#rrggbb").
    QString name;
    for (int i = 0; i < m_backs->count() && name.isEmpty(); ++i)
        if (QColor(m_backs->item(i)->text()).rgb() == colour.rgb())
            name = m_backs->item(i)->text();
    if (name.isEmpty()) {
        name = colour.name().left(kMaxColourName);
        m_backs->addItem(name);
    }
    m_updating = true;
    const auto found = m_backs->findItems(name, Qt::MatchExactly);
    if (!found.isEmpty())
        m_backs->setCurrentItem(found.first());
    m_updating = false;
    m_sampleBackground = colour;
    refreshSample();
}

QString TFontForm::fontName() const {
    if (!m_fontName.isEmpty())
        return m_fontName;
    if (const QListWidgetItem* item = m_fonts->currentItem())
        return item->text();
    return kArial;
}

int TFontForm::background() const {
    const QListWidgetItem* item = m_backs->currentItem();
    const QColor colour = item ? QColor(item->text()) : QColor();
    if (!colour.isValid())
        return THtmlSettings::fromColor(QApplication::palette().color(QPalette::Button));
    return THtmlSettings::fromColor(colour);
}

void TFontForm::showEvent(QShowEvent* e) {
    m_shown.fontName = fontName();
    m_shown.fontColor = m_fontColor;
    m_shown.hotSpotColor = m_hotSpotColor;
    m_shown.background = background();
    m_shown.fontSize = m_fontSize;
    QDialog::showEvent(e);
}

void TFontForm::ResetButtonClick() {
    const RHtmlFonts shown = m_shown;
    setFontName(shown.fontName);
    setFontSize(shown.fontSize);
    setFontColor(shown.fontColor);
    setHotSpotColor(shown.hotSpotColor);
    setBackground(shown.background);
}

bool TFontForm::edit(RHtmlFonts& fonts, QWidget* parent) {
    TFontForm form(parent);
    form.setFontName(fonts.fontName);
    form.setFontColor(fonts.fontColor);
    form.setFontSize(fonts.fontSize);
    form.setHotSpotColor(fonts.hotSpotColor);
    form.setBackground(fonts.background);
    if (form.exec() != QDialog::Accepted)
        return false;
    fonts.fontName = form.fontName();
    fonts.fontColor = form.fontColor();
    fonts.fontSize = form.fontSize();
    fonts.hotSpotColor = form.hotSpotColor();
    fonts.background = form.background();
    return true;
}
