#include "engine/TPrintFrameViewer.h"

TPrintFrameViewer::TPrintFrameViewer(QWidget* parent) : TFrameViewer(parent) {
    setHistoryMaxCount(0);
    setOptions(fvNoLinkUnderline);
    TViewerSettings s = settings();
    s.viewImages = true;
    s.imageCacheCount = 0;
    setSettings(s);
    setGeometry(0, 0, 0, 0);
    hide();
}
