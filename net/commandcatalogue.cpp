#include "net/commandcatalogue.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "base/mbstring.h"
#include "net/servicehost.h"

namespace {

constexpr char kNotFound[] = "404 Not Found";
constexpr char kInvalidContact[] = "INVALID_CONTACT:";
constexpr char kWhiteSpace[] = " \t\r\n";

using ResultWord = std::pair<const char*, CommandAnswer>;

CommandAnswer MatchWords(const char* pszAnswer, std::initializer_list<ResultWord> words)
{
    for (const ResultWord& word : words) {
        if (MbStartsWithNoCase(pszAnswer, word.first)) {
            return word.second;
        }
    }
    return CommandAnswer::Unmatched;
}

CommandAnswer MatchCommandWords(ServiceCommand command, const char* pszAnswer)
{
    switch (command) {
    case ServiceCommand::GetInformation:
        return MatchWords(pszAnswer, {{"LOGIN_FAILED", CommandAnswer::LoginFailed},
                                      {"UPDATE_REQUIRED", CommandAnswer::UpdateRequired}});
    case ServiceCommand::DeleteContacts:
        return MatchWords(pszAnswer, {{"LOGIN_FAILED", CommandAnswer::LoginFailed},
                                      {"UPDATE_REQUIRED", CommandAnswer::UpdateRequired},
                                      {"NO_CONTACTS", CommandAnswer::NoContacts},
                                      {"OK", CommandAnswer::Ok}});
    case ServiceCommand::AddContact:
        return MatchWords(pszAnswer, {{"LOGIN_FAILED", CommandAnswer::LoginFailed},
                                      {"UPDATE_REQUIRED", CommandAnswer::UpdateRequired},
                                      {"NO_FIRSTNAME", CommandAnswer::NoFirstName},
                                      {"NO_CONTACT_NUMBER", CommandAnswer::NoContactNumber},
                                      {"INVALID_NUMBER", CommandAnswer::InvalidNumber},
                                      {"OK", CommandAnswer::Ok}});
    case ServiceCommand::Send:
        // SEND has no test for LOGIN_FAILED or UPDATE_REQUIRED: such an answer matches nothing.
        return MatchWords(pszAnswer, {{kInvalidContact, CommandAnswer::InvalidContact},
                                      {"NO_CREDIT", CommandAnswer::NoCredit},
                                      {"NOT_ENOUGH_CREDIT", CommandAnswer::NotEnoughCredit},
                                      {"CANNOT_PROVIDE", CommandAnswer::CannotProvide},
                                      {"QLB", CommandAnswer::Sent}});
    }
    return CommandAnswer::Unmatched;
}

}  // namespace

LPCWSTR ActionWord(ServiceCommand command)
{
    switch (command) {
    case ServiceCommand::GetInformation:
        return kActionGetInformation;
    case ServiceCommand::DeleteContacts:
        return kActionDeleteContacts;
    case ServiceCommand::AddContact:
        return kActionAddContact;
    case ServiceCommand::Send:
        return kActionSend;
    }
    return L"";
}

void SetCommonFields(FormFields& info, ServiceCommand command, const CBstr& bstrUserName,
                     const CSealedText& password)
{
    info.SetField(L"VERSION", kClientVersion);
    info.SetField(L"USERNAME", bstrUserName);
    info.SetField(L"PASSWORD", password.Unseal());
    info.SetField(L"ACTION", ActionWord(command));
}

CommandAnswer ClassifyAnswer(ServiceCommand command, const char* pszAnswer)
{
    if (!pszAnswer) {
        return CommandAnswer::Unmatched;
    }
    if (MbFindString(pszAnswer, kNotFound)) {
        return CommandAnswer::NotFound;
    }
    return MatchCommandWords(command, pszAnswer);
}

bool CountsAsAnswer(ServiceCommand command, DWORD dwStatus, const char* pszAnswer)
{
    if (ClassifyAnswer(command, pszAnswer) != CommandAnswer::Unmatched) {
        return true;
    }
    if (dwStatus < 200 || dwStatus >= 300) {
        return false;
    }
    return command != ServiceCommand::GetInformation || !pszAnswer || IsWholeDocument(pszAnswer);
}

// The element's name ends at a space or the end of its tag, as the parser reads it.
bool IsWholeDocument(const char* pszText)
{
    const char* pStart = pszText + std::strspn(pszText, kWhiteSpace);
    if (pStart[0] != '<') {
        return true;
    }
    if (pStart[1] == '\0' || std::strchr("?!/", pStart[1])) {
        return pStart[1] != '\0';
    }
    const char* pTagEnd = std::strchr(pStart, '>');
    if (!pTagEnd) {
        return false;
    }
    if (pTagEnd[-1] == '/') {
        return true;
    }
    const char* pNameEnd = std::find(pStart + 1, pTagEnd, ' ');
    const std::string endTag = "</" + std::string(pStart + 1, pNameEnd) + ">";
    size_t cbText = std::strlen(pTagEnd);
    while (cbText > 0 && std::strchr(kWhiteSpace, pTagEnd[cbText - 1])) {
        --cbText;
    }
    return cbText > endTag.size() && std::memcmp(pTagEnd + cbText - endTag.size(), endTag.data(), endTag.size()) == 0;
}

std::string InvalidContactNumber(const char* pszAnswer)
{
    const size_t cbPrefix = sizeof(kInvalidContact) - 1;
    if (!pszAnswer || std::strlen(pszAnswer) < cbPrefix) {
        return {};
    }
    const char* pszNumber = pszAnswer + cbPrefix;
    const char* pEnd = pszNumber;
    // Whole characters only, so a double-byte character is never split.
    while (*pEnd) {
        const char* pNext = MbNext(pEnd);
        if (static_cast<size_t>(pNext - pszNumber) > kContactNumberSize - 1) {
            break;
        }
        pEnd = pNext;
    }
    return std::string(pszNumber, pEnd);
}
