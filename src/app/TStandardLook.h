#pragma once

#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QString>

class QMenu;
class QStatusBar;
#include <QToolBar>
class QToolButton;
class TMainForm;
class TReadingScreen;

// The standard look of the main window: an ordinary resizable window with a
// toolbar ("Печать", "Свернуть", and the history buttons with their menus)
// over one page. A command-line start (a document, or a help page with
// " /h") stays in it; the skinned window enters it with "standartwin" and
// goes back with "Свернуть".
class TStandardLook : public QObject {
    Q_OBJECT
public:
    static constexpr int kMenuItems = 7;
    static inline const QString kPictureCaption = QStringLiteral("Увеличенная картинка");
    static inline const QString kHelpCaption = QStringLiteral("Помощь");

    TStandardLook(TMainForm& window, TReadingScreen& reading);

    // Enters the look. `document`: the page shown (sizes the window for a
    // picture); `commandLine`: a window of its own (shown normally, no way
    // back); `help`: the help variant, captioned "Помощь".
    void enter(const QString& document, bool commandLine, bool help);
    // Back to the skinned look ("Свернуть").
    void leave();
    bool active() const { return m_active; }

    // The history buttons and menus follow the current viewer's history;
    // the caption reads "Увеличенная картинка" (or "Помощь").
    void refreshHistory();

    QToolBar* toolBar() const { return m_toolBar; }
    QMenu* backMenu() const { return m_backMenu; }
    QMenu* forwardMenu() const { return m_forwardMenu; }
    QStatusBar* statusBar() const { return m_statusBar; }
    QToolButton* button(int index) const;

    // The window size for `document`: 780 x 550 for the wiring diagrams,
    // the picture's size plus 45 x 90 for another picture, else invalid.
    static QSize sizeFor(const QString& document, QSize lastPicture);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    void placeWindow(const QString& document);

    TMainForm& m_window;
    TReadingScreen& m_reading;
    QPointer<QToolBar> m_toolBar;
    QMenu* m_backMenu = nullptr;
    QMenu* m_forwardMenu = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QList<QToolButton*> m_buttons;
    QRegion m_skinRegion;
    bool m_active = false;
    bool m_commandLine = false;
    bool m_help = false;
};
