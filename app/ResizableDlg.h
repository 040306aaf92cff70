// A dialog the user can resize, whose controls keep their places: each edge
// of a control moves by a share of the change of the dialog's width (left and
// right edges) or height (top and bottom), in percent. It cannot be made
// smaller than its template made it, at whatever DPI.
#pragma once

#include "framework/CDialog.h"

#include <vector>

struct Anchor {
    int id;
    int left, top, right, bottom; // percent of the change
};

// Shares that recur: stays, moves with the far edge, half of it.
constexpr int kStays = 0;
constexpr int kFollows = 100;
constexpr int kHalf = 50;

class ResizableDlg : public CDialog {
public:
    using CDialog::CDialog;
    ~ResizableDlg() override = default;

protected:
    // Notes the dialog's size and each control's place as they are now; the
    // derived dialog's OnInitDialog calls it.
    void AnchorControls(const std::vector<Anchor>& anchors);

    LRESULT OnSize(WPARAM type, LPARAM size);
    LRESULT OnGetMinMaxInfo(WPARAM unused, LPARAM info);

private:
    struct Placed {
        Anchor anchor;
        RECT rect;
    };
    SIZE m_client = {};
    SIZE m_window = {};
    std::vector<Placed> m_controls;

    DECLARE_MESSAGE_MAP()
};
