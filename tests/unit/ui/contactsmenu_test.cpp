#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/contactsio/contactsmenu.h"

namespace {

using ::testing::ElementsAre;

// Each item as "text", with " (greyed)" after a greyed one; "-" for a separator.
std::vector<std::wstring> Items(bool bAnySelected, bool bClipboardHasText)
{
    CMenuHandle hMenu = LoadContactsMenu(bAnySelected, bClipboardHasText);
    HMENU hPopup = ::GetSubMenu(hMenu.Get(), 0);
    std::vector<std::wstring> items;
    for (int i = 0; i < ::GetMenuItemCount(hPopup); ++i) {
        wchar_t szText[64] = {};
        ::GetMenuStringW(hPopup, i, szText, 64, MF_BYPOSITION);
        const UINT uState = ::GetMenuState(hPopup, i, MF_BYPOSITION);
        items.push_back(uState & MF_SEPARATOR ? L"-" : szText + std::wstring(uState & MF_GRAYED ? L" (greyed)" : L""));
    }
    return items;
}

TEST(ContactsMenuTest, CopyAndDeleteAreGreyedWithoutASelectionAndPasteWithoutText)
{
    EXPECT_THAT(Items(false, false),
                ElementsAre(L"Select &All\tCtrl+A", L"&Copy\tCtrl+C (greyed)", L"&Paste Contacts\tCtrl+V (greyed)",
                            L"&Delete...\tDel (greyed)", L"&Refresh\tF5", L"-", L"&Import Contacts...",
                            L"&Export Contacts..."));
    EXPECT_THAT(Items(true, true),
                ElementsAre(L"Select &All\tCtrl+A", L"&Copy\tCtrl+C", L"&Paste Contacts\tCtrl+V", L"&Delete...\tDel",
                            L"&Refresh\tF5", L"-", L"&Import Contacts...", L"&Export Contacts..."));
}

}  // namespace
