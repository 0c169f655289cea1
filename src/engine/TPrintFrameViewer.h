#pragma once

#include "engine/TFrameViewer.h"

// The hidden viewer a file is loaded into to be printed: no history, links
// not underlined, pictures shown.
class TPrintFrameViewer : public TFrameViewer {
    Q_OBJECT
public:
    explicit TPrintFrameViewer(QWidget* parent = nullptr);
};
