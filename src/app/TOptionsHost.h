#pragma once

#include <QObject>
#include <QPointer>

class TFormOptions;
class TMainForm;

// The options window in the main window: made at start (which reads the
// program-wide settings into the book's options), its two check boxes
// enabled when the book has a start clip / a button with a sound, shown by
// the verb "options"; its "Шрифт" button opens the font dialog of the
// content panes (the verb "bgsound" is served with the music, TMediaHost).
class TOptionsHost : public QObject {
    Q_OBJECT
public:
    explicit TOptionsHost(TMainForm& window);
    ~TOptionsHost() override;

    TFormOptions* form() const;

    // The book names a start clip (`rolic` set and not "no").
    static bool hasStartClip(const TMainForm& window);
    // Some button of the description has a sound (`wav` set and not "no").
    static bool hasButtonSounds(const TMainForm& window);

private:
    void claim();

    TMainForm& m_window;
    QPointer<TFormOptions> m_form;
};
