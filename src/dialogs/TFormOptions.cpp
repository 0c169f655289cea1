#include "dialogs/TFormOptions.h"

#include "platform/Log.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QCheckBox* checkBox(const char* name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TFormOptions::TFormOptions(ROptions& options, TSettingsStore* store, options::RPages pages,
                           QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_options(options), m_store(store), m_pages(pages) {
    setObjectName(QStringLiteral("FormOptions"));
    setWindowTitle(QStringLiteral("Настройки"));
    setModal(false);
    if (m_store)
        options::read(*m_store, m_options, m_pages);
}

TFormOptions::~TFormOptions() = default;

void TFormOptions::setClipEnabled(bool on) {
    m_clipEnabled = on;
    if (m_clip)
        m_clip->setEnabled(on);
}

void TFormOptions::setWavEnabled(bool on) {
    m_wavEnabled = on;
    if (m_wav)
        m_wav->setEnabled(on);
}

void TFormOptions::buildControls() {
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));

    // "Основные".
    auto* main = new QWidget;
    main->setObjectName(QStringLiteral("TabSheetMain"));
    auto* mainLayout = new QVBoxLayout(main);
    m_clip = checkBox("CheckBoxClip", QStringLiteral("Клип при запуске"), main);
    m_wav = checkBox("CheckBoxWav", QStringLiteral("Озвучка кнопок"), main);
    m_bgSound = checkBox("CheckBoxBGSound", QStringLiteral("Фоновая музыка"), main);
    m_animation = checkBox("CheckBoxAnimation", QStringLiteral("Анимация окон"), main);
    m_hint = checkBox("CheckBoxHint", QStringLiteral("Всплывающие подсказки"), main);
    for (QCheckBox* box : {m_clip, m_wav, m_bgSound, m_animation, m_hint})
        mainLayout->addWidget(box);
    m_clip->setEnabled(m_clipEnabled);
    m_clip->hide();
    m_wav->setEnabled(m_wavEnabled);
    m_bgSound->setEnabled(false);
    m_bgSound->hide();
    m_animation->hide();
    m_hint->hide();
    auto* variantBox = new QGroupBox(QStringLiteral(" Вариант интерфейса "), main);
    variantBox->setObjectName(QStringLiteral("RadioGroup1"));
    auto* variantLayout = new QVBoxLayout(variantBox);
    m_variant = new QButtonGroup(this);
    const QString variants[4] = {QStringLiteral("Автоматический выбор"), QStringLiteral("800x600"),
                                 QStringLiteral("1024x768"), QStringLiteral("Произвольный")};
    for (int i = 0; i < 4; ++i) {
        auto* rb = new QRadioButton(variants[i], variantBox);
        rb->setObjectName(QStringLiteral("RBInerf%1").arg(i + 1));
        m_variant->addButton(rb, i);
        variantLayout->addWidget(rb);
    }
    mainLayout->addWidget(variantBox);
    auto* font = new QPushButton(QStringLiteral("Шрифт"), main);
    font->setObjectName(QStringLiteral("Button1"));
    font->setAutoDefault(false);
    connect(font, &QPushButton::clicked, this, &TFormOptions::Button1Click);
    mainLayout->addWidget(font, 0, Qt::AlignLeft);
    mainLayout->addStretch();
    m_tabs->addTab(main, QStringLiteral("Основные"));

    // "Проигрыватель".
    auto* player = new QWidget;
    player->setObjectName(QStringLiteral("TabSheetPlayer"));
    auto* playerLayout = new QVBoxLayout(player);
    m_autoStart =
        checkBox("CheckBoxAutoStartPlayer", QStringLiteral("Автозапуск проигрывателя"), player);
    m_cyclic =
        checkBox("CheckBoxPlayingCyclic", QStringLiteral("Играть по замкнутому циклу"), player);
    playerLayout->addWidget(m_autoStart);
    playerLayout->addWidget(m_cyclic);
    for (int i = 0; i < 3; ++i) {
        playerLayout->addWidget(
            new QLabel(QStringLiteral("Название %1-го списка песен:").arg(i + 1), player));
        m_listNames[i] = new QLineEdit(player);
        m_listNames[i]->setObjectName(QStringLiteral("EditNamePlayList%1").arg(i + 1));
        playerLayout->addWidget(m_listNames[i]);
    }
    playerLayout->addStretch();
    m_tabs->addTab(player, QStringLiteral("Проигрыватель"));

    // "Картинки".
    auto* pictures = new QWidget;
    pictures->setObjectName(QStringLiteral("TabSheetPictures"));
    auto* picturesLayout = new QVBoxLayout(pictures);
    m_runSlideShow =
        checkBox("CheckBoxRunSlideShow", QStringLiteral("Включить Слайд-шоу"), pictures);
    picturesLayout->addWidget(m_runSlideShow);
    m_slideTime = new QSlider(Qt::Horizontal, pictures);
    m_slideTime->setObjectName(QStringLiteral("TrackBarSlideShow"));
    m_slideTime->setRange(options::kMinSlideTime, options::kMaxSlideTime);
    m_slideTime->setSingleStep(1);
    m_slideTime->setPageStep(1);
    m_slideTime->setTickPosition(QSlider::TicksBelow);
    m_slideTime->setTickInterval(1);
    connect(m_slideTime, &QSlider::valueChanged, this, &TFormOptions::TrackBarSlideShowChange);
    picturesLayout->addWidget(m_slideTime);
    m_slideTimeLabel = new QLabel(pictures);
    m_slideTimeLabel->setObjectName(QStringLiteral("LabelTimeSlideShow"));
    m_slideTimeLabel->setAlignment(Qt::AlignCenter);
    picturesLayout->addWidget(m_slideTimeLabel);
    auto* sequenceBox = new QGroupBox(QStringLiteral(" Последовательность "), pictures);
    sequenceBox->setObjectName(QStringLiteral("RadioGroupImageSequence"));
    auto* sequenceLayout = new QVBoxLayout(sequenceBox);
    m_sequence = new QButtonGroup(this);
    const QString orders[2] = {QStringLiteral("Прямая"), QStringLiteral("Обратная")};
    for (int i = 0; i < 2; ++i) {
        auto* rb = new QRadioButton(orders[i], sequenceBox);
        m_sequence->addButton(rb, i);
        sequenceLayout->addWidget(rb);
    }
    picturesLayout->addWidget(sequenceBox);
    picturesLayout->addStretch();
    m_tabs->addTab(pictures, QStringLiteral("Картинки"));

    // The pages the book has no elements for are not shown.
    m_tabs->setTabVisible(1, m_pages.player);
    m_tabs->setTabVisible(2, m_pages.pictures);
    m_tabs->setCurrentIndex(0);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("ButtonOK"));
    m_ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TFormOptions::ButtonOKClick);
    connect(cancel, &QPushButton::clicked, this, &TFormOptions::ButtonCancelClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
}

void TFormOptions::fillControls() {
    // The two boxes the book may have nothing for keep their state while disabled.
    if (m_clipEnabled)
        m_clip->setChecked(m_options.clip);
    if (m_wavEnabled)
        m_wav->setChecked(m_options.wav);
    m_animation->setChecked(m_options.animation);
    m_hint->setChecked(m_options.hint);
    m_bgSound->setChecked(m_options.bgSound);
    if (QAbstractButton* b = m_variant->button(m_options.sizeInterface))
        b->setChecked(true);
    m_autoStart->setChecked(m_options.autoStartPlayer);
    m_cyclic->setChecked(m_options.playingCyclic);
    for (int i = 0; i < 3; ++i)
        m_listNames[i]->setText(m_options.namePlayList[i]);
    m_runSlideShow->setChecked(m_options.runSlideShow);
    m_slideTime->setValue(m_options.slideShowTime);
    if (QAbstractButton* b = m_sequence->button(m_options.imageSequence))
        b->setChecked(true);
    TrackBarSlideShowChange();
}

void TFormOptions::showOptions() {
    if (!m_tabs)
        buildControls();
    fillControls();
    adjustSize();
    if (const QScreen* screen =
            this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    show();
    raise();
    activateWindow();
    m_ok->setFocus();
    // The sound box's state, where its tick is and where OK is, in window
    // coordinates.
    const auto place = [this](QWidget* w, int x) {
        const QPoint c = w->mapTo(this, QPoint(x, w->height() / 2));
        return QStringLiteral("%1,%2").arg(c.x()).arg(c.y());
    };
    vlog::trace(QStringLiteral("options"),
                QStringLiteral("shown wav=%1 box=%2 ok=%3")
                    .arg(int(m_wav->isChecked()))
                    .arg(place(m_wav, 8), place(m_ok, m_ok->width() / 2)));
}

void TFormOptions::ButtonOKClick() {
    hide();
    if (!m_tabs)
        return;
    options::RChoice c;
    c.clip = m_clip->isChecked();
    c.wav = m_wav->isChecked();
    c.clipEnabled = m_clip->isEnabled();
    c.wavEnabled = m_wav->isEnabled();
    c.sizeInterface = m_variant->checkedId();
    c.autoStartPlayer = m_autoStart->isChecked();
    c.playingCyclic = m_cyclic->isChecked();
    for (int i = 0; i < 3; ++i)
        c.namePlayList[i] = m_listNames[i]->text();
    c.runSlideShow = m_runSlideShow->isChecked();
    c.slideShowTime = m_slideTime->value();
    c.imageSequence = m_sequence->checkedId();
    const options::RApplied applied = options::apply(m_store, m_options, c, m_pages);
    if (applied.slideShowSwitched || applied.slideTimeChanged)
        emit slideShowChanged(m_options.runSlideShow, m_options.slideShowTime * 1000 + 1);
}

void TFormOptions::ButtonCancelClick() {
    hide();
}

void TFormOptions::TrackBarSlideShowChange() {
    if (m_slideTimeLabel)
        m_slideTimeLabel->setText(slideTimeText(m_slideTime->value()));
}

void TFormOptions::Button1Click() {
    emit fontRequested();
}

QString TFormOptions::slideTimeText(int n) {
    const QString number = QString::number(n);
    if (n == 1)
        return number + QStringLiteral(" секунда");
    if (n >= 2 && n <= 4)
        return number + QStringLiteral(" секунды");
    return number + QStringLiteral(" секунд");
}
