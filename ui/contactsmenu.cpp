#include "ui/contactsmenu.h"

#include "base/handles.h"
#include "resource.h"

namespace {

struct MenuTraits {
    using Type = HMENU;
    static Type None() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
using CMenuHandle = CHandleOwner<MenuTraits>;

}  // namespace

int TrackContactsMenu(HWND hWndOwner, POINT ptScreen, bool bAnySelected)
{
    CMenuHandle hMenu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTACTSMENU)));
    HMENU hPopup = hMenu ? ::GetSubMenu(hMenu.Get(), 0) : nullptr;
    if (!hPopup) {
        return 0;
    }
    const UINT uSelectionState = MF_BYCOMMAND | (bAnySelected ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(hPopup, ID_CONTACTS_COPY, uSelectionState);
    ::EnableMenuItem(hPopup, IDC_DELETE, uSelectionState);
    // A menu of a window that is not in the foreground would not close when
    // the member clicks elsewhere.
    ::SetForegroundWindow(hWndOwner);
    const int nCommand = static_cast<int>(::TrackPopupMenuEx(
        hPopup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, ptScreen.x, ptScreen.y, hWndOwner,
        nullptr));
    ::PostMessageW(hWndOwner, WM_NULL, 0, 0);
    return nCommand;
}
