#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/bstr.h"
#include "base/sealedtext.h"

// What the console does once an import is over.
enum class ImportFollowUp {
    None,                 // nothing was sent, or no answer came back, or an update is required
    Reload,               // the list is to be loaded again
    ReloadAfterLoginFailed  // the same, after the service refused the credentials
};

// An address book file into the member's account: read, the preview with the
// plan, the import window, the summary. Every step that ends it early has its
// box, owned by hWndOwner. existingNumbers: the numbers already listed.
ImportFollowUp ImportAddressBook(HWND hWndOwner, LPCWSTR pszPath, const CBstr& bstrUserName,
                                 const CSealedText& password, const std::vector<std::u16string>& existingNumbers);
// The same for the clipboard's text; nothing happens when it holds none.
ImportFollowUp ImportPastedContacts(HWND hWndOwner, const CBstr& bstrUserName, const CSealedText& password,
                                    const std::vector<std::u16string>& existingNumbers);

// The one file of a drop when it is named like an address book; false for
// several files or another name. Finishes the drop either way.
bool TakeDroppedAddressBook(HDROP hDrop, std::wstring& path);
