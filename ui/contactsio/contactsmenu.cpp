#include "ui/contactsio/contactsmenu.h"

#include "resource.h"
#include "ui/contactsio/clipboardtext.h"

CMenuHandle LoadContactsMenu(bool bAnySelected, bool bClipboardHasText)
{
    CMenuHandle hMenu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTACTSMENU)));
    HMENU hPopup = hMenu ? ::GetSubMenu(hMenu.Get(), 0) : nullptr;
    if (hPopup) {
        const UINT uSelectionState = MF_BYCOMMAND | (bAnySelected ? MF_ENABLED : MF_GRAYED);
        ::EnableMenuItem(hPopup, ID_CONTACTS_COPY, uSelectionState);
        ::EnableMenuItem(hPopup, IDC_DELETE, uSelectionState);
        ::EnableMenuItem(hPopup, ID_CONTACTS_PASTE, MF_BYCOMMAND | (bClipboardHasText ? MF_ENABLED : MF_GRAYED));
    }
    return hMenu;
}

int TrackContactsMenu(HWND hWndOwner, POINT ptScreen, bool bAnySelected)
{
    CMenuHandle hMenu = LoadContactsMenu(bAnySelected, ClipboardHasText());
    HMENU hPopup = hMenu ? ::GetSubMenu(hMenu.Get(), 0) : nullptr;
    if (!hPopup) {
        return 0;
    }
    // A menu of a window that is not in the foreground would not close when
    // the member clicks elsewhere.
    ::SetForegroundWindow(hWndOwner);
    const int nCommand = static_cast<int>(::TrackPopupMenuEx(
        hPopup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, ptScreen.x, ptScreen.y, hWndOwner,
        nullptr));
    ::PostMessageW(hWndOwner, WM_NULL, 0, 0);
    return nCommand;
}

POINT ContactsMenuPointUnderSelection(HWND hList)
{
    RECT rcList = {};
    ::GetClientRect(hList, &rcList);
    POINT pt = {rcList.left, rcList.top};
    const LRESULT nCaret = ::SendMessageW(hList, LB_GETCARETINDEX, 0, 0);
    RECT rcRow = {};
    if (nCaret != LB_ERR &&
        ::SendMessageW(hList, LB_GETITEMRECT, static_cast<WPARAM>(nCaret), reinterpret_cast<LPARAM>(&rcRow)) !=
            LB_ERR) {
        RECT rcVisible = {};
        if (::IntersectRect(&rcVisible, &rcRow, &rcList)) {
            pt = {rcRow.left, rcRow.bottom};
        }
    }
    ::ClientToScreen(hList, &pt);
    return pt;
}
