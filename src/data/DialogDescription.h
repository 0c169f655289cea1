#pragma once

#include "data/StructModel.h"

#include <QList>
#include <QString>
#include <QStringList>

class BookPaths;

// One dialog of "Dialog.cfs": its background picture, the style of its
// message line (x, y, right edge `vw`, font, size, style words, colour), its
// push buttons (with `align`) and its group switches.
struct RDialog {
    QString picture;
    RText text;
    TDynamicBtnArray buttons;
    TDynamicSwthGrpArray switches;
};

// The skinned dialog's description, read in one pass over the decoded
// (lower-cased) lines: each line is looked at for "_picture", "_text",
// "_button" and "switchgrp" in that order, and a block reads its keys in a
// fixed order by substring search from its heading line on. Dialog numbers
// are the first integer of the heading line minus 1; numbers outside
// 0..kMaxDialogs-1 are refused with one line on stderr.
struct DialogDescription {
    static constexpr int kMaxDialogs = 64;

    // Index = dialog number (0-based); dialogs never named stay empty.
    QList<RDialog> dialogs;

    int count() const { return int(dialogs.size()); }
    const RDialog* dialog(int number) const {
        return number >= 0 && number < dialogs.size() ? &dialogs[number] : nullptr;
    }

    // `paths`: the switches' `go` values are path-resolved against it (kept
    // as written when null). `source`: the entry's name for stderr lines.
    static DialogDescription parse(const QStringList& lines, const BookPaths* paths,
                                   const QString& source = QStringLiteral("Dialog.cfs"));
};
