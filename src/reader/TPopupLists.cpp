#include "reader/TPopupLists.h"

#include "skin/TControlPopupWindow.h"
#include "skin/TPopupWindow.h"

namespace {

void fill(TControlPopupWindow& popups, int type, const QList<RHistoryItem>& items) {
    TPopupWindow* p = popups.popup(type);
    if (!p)
        return;
    for (int i = 0; i < items.size() && i < p->itemCount(); ++i) {
        const RHistoryItem& item = items[i];
        if (item.visible)
            p->SetItem(item.caption, item.command, i);
        p->SetItemVisible(item.visible, i);
    }
}

} // namespace

void TPopupLists::fillHistory(TControlPopupWindow& popups, const RHistory& history) {
    fill(popups, TControlPopupWindow::HistoryBack, THistoryLists::backPopup(history));
    fill(popups, TControlPopupWindow::HistoryForward, THistoryLists::forwardPopup(history));
}

void TPopupLists::fillFavorites(TControlPopupWindow& popups,
                                const TDynamicFavoriteCaption& records) {
    TPopupWindow* p = popups.popup(TControlPopupWindow::Favorites);
    if (!p)
        return;
    bool same = p->itemCount() == records.size();
    for (int i = 0; same && i < records.size(); ++i) {
        const TItemsBtn& item = p->item(i);
        same = item.visible &&
               item.caption() == records[i].caption.left(THistoryLists::kCaptionLength) &&
               item.command == records[i].command;
    }
    if (same)
        return;
    p->SetItemCount(0);
    for (const RFavoriteCaption& r : records)
        p->AddItem(r.caption.left(THistoryLists::kCaptionLength), r.command);
}
