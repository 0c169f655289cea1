#pragma once

#include "reader/THistoryLists.h"
#include "reader/THtmlFavorite.h"

class TControlPopupWindow;

// Fills the popups the reader keeps up to date: the back and forward
// history lists from the current viewer's history, and the favourites list
// from the stored favourites.
class TPopupLists {
public:
    // Items 0..7 of the back (-1) and forward (-2) popups.
    static void fillHistory(TControlPopupWindow& popups, const RHistory& history);
    // One item per favourite, in order (captions cut to 80 characters). A
    // list that shows the favourites already is left as it is.
    static void fillFavorites(TControlPopupWindow& popups, const TDynamicFavoriteCaption& records);
};
