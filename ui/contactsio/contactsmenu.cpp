#include "ui/contactsio/contactsmenu.h"

#include "resource.h"

CMenuHandle LoadContactsMenu(bool bAnySelected)
{
    CMenuHandle hMenu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTACTSMENU)));
    HMENU hPopup = hMenu ? ::GetSubMenu(hMenu.Get(), 0) : nullptr;
    if (hPopup) {
        const UINT uSelectionState = MF_BYCOMMAND | (bAnySelected ? MF_ENABLED : MF_GRAYED);
        ::EnableMenuItem(hPopup, ID_CONTACTS_COPY, uSelectionState);
        ::EnableMenuItem(hPopup, IDC_DELETE, uSelectionState);
    }
    return hMenu;
}

int TrackContactsMenu(HWND hWndOwner, POINT ptScreen, bool bAnySelected)
{
    CMenuHandle hMenu = LoadContactsMenu(bAnySelected);
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
