// A tree view whose items carry check boxes that may be checked, clear or
// mixed, and greyed. It draws the boxes itself, at the size the display's DPI
// gives small icons, and toggles nothing itself: Space on the selected item,
// or a click (or double click) on a box, hands the item to the owner, which
// decides what changes and shows it with SetCheck.
#pragma once

#include "app/TraceChoice.h"
#include "framework/CWnd.h"
#include "platform/Handles.h"

#include <commctrl.h>

#include <functional>
#include <string>

inline void DestroyImages(HIMAGELIST images) {
    ImageList_Destroy(images);
}

class CheckTree : public CWnd {
public:
    CheckTree() = default;
    ~CheckTree() override = default;

    // Takes over the tree view control `id` of `dialog`.
    bool Take(int id, CWnd* dialog, std::function<void(HTREEITEM)> onToggle);

    // Adds an item after `after` below `parent` (TVI_ROOT, TVI_FIRST...).
    HTREEITEM Add(HTREEITEM parent, HTREEITEM after, const std::wstring& text, LPARAM data);
    void SetCheck(HTREEITEM item, CheckState state, bool greyed);
    LPARAM DataOf(HTREEITEM item);
    HTREEITEM Selected() { return TreeView_GetSelection(m_hWnd); }

    // Draws a greyed item's text greyed; the dialog hands on the tree's
    // NM_CUSTOMDRAW and answers what this answers.
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);

protected:
    LRESULT OnKeyDown(WPARAM key, LPARAM flags);
    LRESULT OnChar(WPARAM key, LPARAM flags);
    LRESULT OnButtonDown(WPARAM keys, LPARAM point);

private:
    bool Greyed(HTREEITEM item);

    // The control never destroys a state image list it was given; this
    // outlives the control's window, which goes with the dialog's.
    platform::UniqueAny<platform::detail::NullTraits<HIMAGELIST, DestroyImages>> m_images;
    std::function<void(HTREEITEM)> m_onToggle;

    DECLARE_MESSAGE_MAP()
};
