#pragma once

#include "data/OptionsReader.h"
#include "data/ROptions.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class TSettingsStore;

// The book's settings window ("Настройки"): created once at start, which
// reads the program-wide settings into `options` with their defaults; shown
// without waiting, on top, centred on the screen; OK takes the changed
// values into `options` and writes them. The controls are made the first
// time the window shows, so creating it at start costs only the reading.
//
// Pages: "Основные" (button sounds, interface variant, the font button),
// "Проигрыватель" (only with song lists, which no book has) and "Картинки"
// (only with slide-show picture areas).
class TFormOptions : public QDialog {
    Q_OBJECT
public:
    // `store` may be null (nothing is read or written; the defaults of
    // `options` stand).
    TFormOptions(ROptions& options, TSettingsStore* store, options::RPages pages,
                 QWidget* parent = nullptr);
    ~TFormOptions() override;

    // The start clip and button sound boxes can be changed (the book has a
    // start clip / a button with a sound).
    void setClipEnabled(bool on);
    void setWavEnabled(bool on);

    // Fills the controls from the settings and shows the window centred on
    // the screen (the verb "options").
    void showOptions();

    // The handlers of the window.
    void ButtonOKClick();
    void ButtonCancelClick();
    void TrackBarSlideShowChange();
    void Button1Click();

    // The time label's text for `seconds` ("1 секунда", "3 секунды", "5 секунд").
    static QString slideTimeText(int seconds);

    const options::RPages& pages() const { return m_pages; }
    bool controlsBuilt() const { return m_tabs != nullptr; }

signals:
    // The slide show is switched on or off, or its time changed: the slide
    // timer runs (or stops) with this interval.
    void slideShowChanged(bool on, int intervalMs);
    // The "Шрифт" button: the font dialog of the content panes.
    void fontRequested();

private:
    void buildControls();
    void fillControls();

    ROptions& m_options;
    TSettingsStore* m_store;
    options::RPages m_pages;
    bool m_clipEnabled = false;
    bool m_wavEnabled = false;

    QTabWidget* m_tabs = nullptr;
    QCheckBox* m_clip = nullptr;
    QCheckBox* m_wav = nullptr;
    QCheckBox* m_bgSound = nullptr;
    QCheckBox* m_animation = nullptr;
    QCheckBox* m_hint = nullptr;
    QButtonGroup* m_variant = nullptr;
    QCheckBox* m_autoStart = nullptr;
    QCheckBox* m_cyclic = nullptr;
    QLineEdit* m_listNames[3] = {};
    QCheckBox* m_runSlideShow = nullptr;
    QSlider* m_slideTime = nullptr;
    QLabel* m_slideTimeLabel = nullptr;
    QButtonGroup* m_sequence = nullptr;
    QPushButton* m_ok = nullptr;
};
