#pragma once

#include <cstddef>
#include <string>

#include "base/bstr.h"
#include "base/sealedtext.h"
#include "net/formfields.h"

// The four commands of the service and the result words that answer them.
enum class ServiceCommand { GetInformation, DeleteContacts, AddContact, Send };

enum class CommandAnswer {
    NotFound,         // contains "404 Not Found": the command script is not reachable
    LoginFailed,
    UpdateRequired,
    NoContacts,
    NoFirstName,
    NoContactNumber,
    InvalidNumber,
    Ok,
    InvalidContact,   // "INVALID_CONTACT:" and the offending number
    NoCredit,
    NotEnoughCredit,
    CannotProvide,
    Sent,             // "QLB"
    Unmatched         // no result word; for GetInformation, the details document
};

inline constexpr wchar_t kActionGetInformation[] = L"GETINFORMATION";
inline constexpr wchar_t kActionDeleteContacts[] = L"DELETECONTACTS";
inline constexpr wchar_t kActionAddContact[] = L"ADDCONTACT";
inline constexpr wchar_t kActionSend[] = L"SEND";

// Room of the send summary's number field, terminator included.
inline constexpr size_t kContactNumberSize = 200;

LPCWSTR ActionWord(ServiceCommand command);

// VERSION, USERNAME, PASSWORD and ACTION, in that order; the dialogs then add
// the command's own fields. The password is unsealed for the request alone.
void SetCommonFields(FormFields& info, ServiceCommand command, const CBstr& bstrUserName,
                     const CSealedText& password);

// Tests the answer against the command's result words in the command's order;
// the first match decides. "404 Not Found" is found anywhere, letter case
// significant; a word matches when the answer begins with it, case ignored.
// A null answer is Unmatched: callers test nothing when the exchange failed.
CommandAnswer ClassifyAnswer(ServiceCommand command, const char* pszAnswer);

// Whether a whole answer counts as the service's: a text that the command's
// rules recognise, whatever the status (a service may refuse credentials with
// 401 or 403 and LOGIN_FAILED), or else a status in 200-299 and, for a details
// document, a whole one. Any other answer, an error page or a cut document,
// fails the exchange like a lost connection.
bool CountsAsAnswer(ServiceCommand command, DWORD dwStatus, const char* pszAnswer);

// False when the text opens an element that it does not close at its end
// (trailing white space aside): a document cut short. The library ends some
// cut answers like whole ones, such as a chunked body without its last chunk.
bool IsWholeDocument(const char* pszText);

// The rest of an "INVALID_CONTACT:" answer, as it stands. A rest that does not
// fit the number field is cut to kContactNumberSize - 1 bytes, never inside a
// double-byte character.
std::string InvalidContactNumber(const char* pszAnswer);
