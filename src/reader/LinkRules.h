#pragma once

#include <QString>

// How a clicked link in a content pane is interpreted. The rules are tried
// in a fixed order and the first that applies decides; one of them (the
// archive listing's extraction) only prepares and lets the later rules
// decide. Pure functions, no widgets: the content frame carries the actions
// out.
namespace linkrules {

enum class Action {
    EnlargedPicture, // target "_blank": the enlarged-picture window
    Web,             // "http:" / "mailto:" to the system
    PrintPage,       // "printhtml:" + file
    Copy,            // "copy:" + file into the path input box's folder
    CopyList,        // "copylist:" + name of a drop-down form control
    External,        // a file that is not a page or picture
    ArchiveNavigate, // a page of an archive listing: shown in the pane
    TreeSelect,      // a page: the contents tree selects it, the pane loads it
    Nothing          // the pane follows the link on its own
};

struct Facts {
    QString target;
    QString url;  // the link as written
    QString full; // the link expanded to a full path
    QString ext;  // extension of `full`, with its dot
    bool archiveView = false;
    bool exists = false; // `full` (without anchor) in the archive or on disk
};

struct Decision {
    // The listed archive is to be extracted first (so the file exists).
    bool extractFirst = false;
    Action action = Action::Nothing;
    // Whether the pane goes on to follow the link itself.
    bool paneFollows = true;
};

Decision decide(const Facts& f);

// Whether `ext` is one the pane shows itself (pages, texts, pictures).
bool isViewable(const QString& ext);
// "copy:..." and friends: the part after the first five characters.
QString copyArgument(const QString& url);
// The link with the first "printhtml:" (any case) taken out.
QString printArgument(const QString& url);
// The text after the first nine characters of a "copylist:" link.
QString copyListArgument(const QString& url);
// A file on another drive than the disc root is taken from the same path on
// the disc root's drive ("e:\v\a.avi" with disc root "d:\" -> "d:\v\a.avi").
// Paths without a drive letter (POSIX) stay as they are.
QString onDiscRoot(const QString& full, const QString& discRoot);

} // namespace linkrules
