#pragma once

#include <QString>

class TFrameViewer;
class THtmlFrame;

// Carries out a clicked link of a content pane: decides the rule
// (linkrules::decide) and does what it says, through the frame, its hooks
// and signals and the desktop shell.
class TLinkDispatcher {
public:
    // The filter of the save dialog for ".zip" links.
    static const QString kZipFilter;

    explicit TLinkDispatcher(THtmlFrame& frame) : m_frame(frame) {}

    // OnHotSpotTargetClick of `viewer`; `handled` tells the viewer not to
    // follow the link itself.
    void click(TFrameViewer* viewer, const QString& target, const QString& url, bool& handled);

    // The folder the last ".zip" was saved in (for the run of the program).
    static QString zipFolder();
    static void setZipFolder(const QString& folder);

private:
    void markVisited(TFrameViewer* viewer, const QString& full);
    void enlargedPicture(const QString& full);
    void external(TFrameViewer* viewer, QString full, const QString& ext, bool archiveView);
    void saveZip(const QString& full);

    THtmlFrame& m_frame;
};
