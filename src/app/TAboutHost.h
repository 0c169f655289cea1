#pragma once

#include <QObject>
#include <QPointer>

class TAboutBox;
class TMainForm;

// The about box in the main window: the verb "about" builds it on its first
// use, only when the pack holds "About.cfs" (without it the verb does
// nothing), keeps it for the rest of the run and shows it modally each time.
// The closing of the main window closes it.
class TAboutHost : public QObject {
    Q_OBJECT
public:
    explicit TAboutHost(TMainForm& window);
    ~TAboutHost() override;

    // Builds the box when it is not there yet and shows it; false when
    // there is nothing to show.
    bool showAbout();
    // The main window closes: so does the box, when it is on the screen.
    void closeForExit();
    // Null before the first "about" or without a usable "About.cfs".
    TAboutBox* box() const;

private:
    void createBox();

    TMainForm& m_window;
    QPointer<TAboutBox> m_box;
    bool m_tried = false;
};
