#pragma once

#include "platform/TInstanceLink.h"

#include <QObject>
#include <QString>
#include <QStringList>

class TMainForm;

// The window's side of the messages between running copies: it registers
// the window with the other copies, answers their records (show a page,
// print a file, is this document shown) and close requests, and sends the
// requests this window makes (a page for the thesaurus window, a picture for
// the picture windows, closing the others when the book closes).
class TInstanceMessages : public QObject {
    Q_OBJECT
public:
    static inline const QString kThesaurusCaption = QStringLiteral("Тезаурус");
    static inline const QString kPictureCaption = QStringLiteral("Увеличенная картинка");
    static inline const QString kHelpCaption = QStringLiteral("Помощь");
    static inline const QString kDiagramCaption = QStringLiteral("Электросхема");
    // The captions of the system help viewer showing the book's help.
    static const QStringList kHelpViewerCaptions;

    explicit TInstanceMessages(TMainForm& window);

    // Registers the window (it follows the window's caption, visibility and
    // activation from then on). False when other copies cannot reach it.
    bool open();
    // open() was called (whether or not it succeeded).
    bool tried() const { return m_tried; }
    TInstanceLink& link() { return m_link; }

    // --- requests to other copies ---
    // Sends a kind 0 record (code 0, `page` as text 1) to the thesaurus
    // window; the window loads the page and comes to the front. False when no
    // thesaurus window is shown or the page does not fit a record.
    static bool showInThesaurus(const QString& page);
    // Asks each shown picture window whether it shows `full` (kind 3); the
    // one that does comes to the front. False when none does.
    static bool sendToPictureWindow(const QString& full);
    // Closes the other copies' windows: "Помощь" and "Тезаурус" once each,
    // every "Электросхема", every help-viewer window and, unless
    // `commandLineMode`, every "Увеличенная картинка". The caller's own
    // windows are left alone; each silent copy costs at most half a second.
    static void closeOtherCopies(bool commandLineMode);

    // --- the copy-data handler ---
    RReplyFrame CopyData(const RCopyRecord& record);

    // The two numbers of the last print request (codes 1 and 2), and
    // whether the frame served a request from another copy.
    int remotePrintValue(int i) const { return i == 0 ? m_printValues[0] : m_printValues[1]; }
    bool servingRemote() const { return m_servingRemote; }

private:
    RReplyFrame showPage(const RCopyRecord& record);
    RReplyFrame printFile(const RCopyRecord& record);
    RReplyFrame isShown(const RCopyRecord& record);
    // The user message 1224: prints the received file, then deletes it when
    // it is a file of the program's own temporary folder.
    void printReceived(const QString& pathText);
    void bringToFront();

    TMainForm& m_window;
    TInstanceLink m_link;
    int m_printValues[2] = {0, 0};
    bool m_servingRemote = false;
    bool m_tried = false;
};
