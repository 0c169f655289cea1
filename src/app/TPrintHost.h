#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

class TMainForm;
class THtmlFrame;
class THTMLViewer;

// Printing in the window: the content frame's print command (the print
// verbs, "printhtml:" links, the standard window's "Печать", a print request
// from another copy) opens the print preview on the page. The preview's
// printer notices go to the skinned dialog, or to a warning box where there
// is none; its help key is the window's F1.
class TPrintHost : public QObject {
    Q_OBJECT
public:
    TPrintHost(TMainForm& window, THtmlFrame& frame, QObject* parent = nullptr);

    // The preview on `viewer`, modal; false when it could not be shown.
    bool showPreview(THTMLViewer* viewer, bool pageIsPicture, QSize picture);
    // A printer notice (2 no printer, 3 default printer unavailable).
    void printerNotice(int number);

private:
    TMainForm& m_window;
    QPointer<THtmlFrame> m_frame;
};
