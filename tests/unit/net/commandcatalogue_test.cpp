#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <dpapi.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/mbstring.h"
#include "net/commandcatalogue.h"
#include "net/formfields.h"

namespace {

using Answer = CommandAnswer;
using Command = ServiceCommand;

struct Case {
    Command command;
    const char* pszAnswer;
    Answer expected;
};

void ExpectClassified(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyAnswer(c.command, c.pszAnswer), c.expected)
            << "command " << static_cast<int>(c.command) << ", answer \"" << c.pszAnswer << "\"";
    }
}

TEST(CommandCatalogueTest, WordsMatchAsCaseInsensitivePrefixes)
{
    ExpectClassified({
        {Command::DeleteContacts, "OK", Answer::Ok},
        {Command::DeleteContacts, "ok\r\n", Answer::Ok},
        {Command::AddContact, "Okay then", Answer::Ok},
        {Command::Send, "qlb 1234 queued", Answer::Sent},
        {Command::GetInformation, "login_failed: try again", Answer::LoginFailed},
        {Command::AddContact, "No_Contact_Number", Answer::NoContactNumber},
        {Command::AddContact, "INVALID_NUMBER", Answer::InvalidNumber},
        {Command::AddContact, "NO_FIRSTNAME", Answer::NoFirstName},
        {Command::Send, "NOT_ENOUGH_CREDIT", Answer::NotEnoughCredit},
        {Command::Send, "CANNOT_PROVIDE", Answer::CannotProvide},
        {Command::Send, "NO_CREDITS", Answer::NoCredit},
        {Command::Send, "INVALID_CONTACT:123", Answer::InvalidContact},
        // A shorter answer, or the word later in the text, is no match.
        {Command::Send, "QL", Answer::Unmatched},
        {Command::DeleteContacts, " OK", Answer::Unmatched},
        {Command::DeleteContacts, "", Answer::Unmatched},
    });
}

// A word counts whatever the status; anything else only with a 2xx status,
// and a details document only when it is whole.
TEST(CommandCatalogueTest, AnAnswerCountsWhenItIsAWordOrAWholeSuccess)
{
    const struct {
        Command command;
        DWORD dwStatus;
        const char* pszAnswer;
        bool bCounts;
    } cases[] = {
        {Command::GetInformation, 401, "LOGIN_FAILED", true},
        {Command::AddContact, 403, "login_failed\n", true},
        {Command::Send, 401, "LOGIN_FAILED", false},
        {Command::Send, 500, "<html>500 Internal Server Error</html>", false},
        {Command::GetInformation, 500, "<html>500 Internal Server Error</html>", false},
        {Command::DeleteContacts, 404, "<h1>404 Not Found</h1>", true},
        {Command::AddContact, 404, "<h1>404 NOT FOUND</h1>", false},
        {Command::Send, 503, nullptr, false},
        {Command::Send, 200, nullptr, true},
        {Command::Send, 204, "whatever", true},
        {Command::GetInformation, 200, "<details><credits>5</credits></details>\r\n", true},
        {Command::GetInformation, 200, "<details><contacts><contact><id>1</id><fn>An", false},
        {Command::GetInformation, 200, "<details><contacts></contacts>", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountsAsAnswer(c.command, c.dwStatus, c.pszAnswer), c.bCounts)
            << c.dwStatus << " " << (c.pszAnswer ? c.pszAnswer : "(none)");
    }
}

TEST(CommandCatalogueTest, ADocumentIsWholeWhenTheElementItOpensClosesAtItsEnd)
{
    const std::pair<const char*, bool> cases[] = {
        {"<details></details>", true},
        {"  <details a=\"1\"><x/></details> \r\n", true},
        {"<details/>", true},
        {"garbage without markup", true},
        {"<?xml version=\"1.0\"?><details>", true},
        {"", true},
        {"<", false},
        {"<details", false},
        {"<details><contacts></contacts>", false},
        {"<details></details>tail", false},
        {"<details></detail>", false},
    };
    for (const auto& [pszText, bWhole] : cases) {
        EXPECT_EQ(IsWholeDocument(pszText), bWhole) << pszText;
    }
}

TEST(CommandCatalogueTest, NotFoundIsACaseSensitiveSubstringTestedFirst)
{
    ExpectClassified({
        {Command::GetInformation, "<html><title>404 Not Found</title></html>", Answer::NotFound},
        {Command::DeleteContacts, "OK 404 Not Found", Answer::NotFound},
        {Command::Send, "QLB<details>404 Not Found", Answer::NotFound},
        {Command::AddContact, "LOGIN_FAILED404 Not Found", Answer::NotFound},
        {Command::GetInformation, "<details>404 not found</details>", Answer::Unmatched},
        {Command::DeleteContacts, "OK 404 NOT FOUND", Answer::Ok},
    });
}

TEST(CommandCatalogueTest, EachCommandTestsOnlyItsOwnWordsInItsOwnOrder)
{
    ExpectClassified({
        {Command::DeleteContacts, "LOGIN_FAILED OK", Answer::LoginFailed},
        {Command::DeleteContacts, "UPDATE_REQUIRED", Answer::UpdateRequired},
        {Command::DeleteContacts, "NO_CONTACTS", Answer::NoContacts},
        {Command::DeleteContacts, "NO_FIRSTNAME", Answer::Unmatched},
        {Command::GetInformation, "UPDATE_REQUIRED", Answer::UpdateRequired},
        {Command::GetInformation, "OK", Answer::Unmatched},
        {Command::GetInformation, "<details><credits>3</credits></details>", Answer::Unmatched},
        {Command::Send, "LOGIN_FAILED", Answer::Unmatched},
        {Command::Send, "UPDATE_REQUIRED", Answer::Unmatched},
        {Command::Send, "OK", Answer::Unmatched},
        {Command::AddContact, "QLB", Answer::Unmatched},
        {Command::AddContact, "NO_CONTACTS", Answer::Unmatched},
    });
}

TEST(CommandCatalogueTest, NullAnswerIsNotTested)
{
    EXPECT_EQ(ClassifyAnswer(Command::GetInformation, nullptr), Answer::Unmatched);
    EXPECT_EQ(ClassifyAnswer(Command::Send, nullptr), Answer::Unmatched);
}

// CryptProtectMemory as Windows documents it, whole blocks only; Wine's
// neither encrypts nor checks (the end-to-end sign-in seals with Wine's).
BOOL WINAPI DocumentedCipher(LPVOID pData, DWORD cbData, DWORD)
{
    std::for_each(static_cast<BYTE*>(pData), static_cast<BYTE*>(pData) + cbData, [](BYTE& b) { b ^= 0x5A; });
    return cbData % CRYPTPROTECTMEMORY_BLOCK_SIZE == 0;
}

// The password, sealed until then, whatever its length against the cipher's blocks.
TEST(CommandCatalogueTest, CommonFieldsCarryVersionCredentialsAndAction)
{
    const std::vector<std::tuple<Command, std::wstring, std::wstring>> actions = {
        {Command::GetInformation, L"GETINFORMATION", L"s3cr3t"},
        {Command::DeleteContacts, L"DELETECONTACTS", L"secret12"},
        {Command::AddContact, L"ADDCONTACT", L"p"},
        {Command::Send, L"SEND", std::wstring(50, L'p')},
    };
    CSealedText::UseCipher(DocumentedCipher, DocumentedCipher);
    for (const auto& [command, action, password] : actions) {
        FormFields info;
        SetCommonFields(info, command, CBstr(L"ann@example.com"), CSealedText(CBstr(password.c_str())));
        CBstr body;
        info.BuildRequest(body);
        EXPECT_EQ(std::wstring(body.c_str()),
                  L"action=" + action + L"&password=" + password + L"&username=ann%40example.com&version=1.0");
    }
    CSealedText::UseCipher(nullptr, nullptr);
}

TEST(InvalidContactNumberTest, IsTheRestOfTheAnswerAsItStands)
{
    EXPECT_EQ(InvalidContactNumber("INVALID_CONTACT:0123456789"), "0123456789");
    EXPECT_EQ(InvalidContactNumber("INVALID_CONTACT:"), "");
    EXPECT_EQ(InvalidContactNumber("INVALID_CONTACT:222\r\nmore"), "222\r\nmore");
    EXPECT_EQ(InvalidContactNumber("INVALID"), "");
    EXPECT_EQ(InvalidContactNumber(nullptr), "");
}

TEST(InvalidContactNumberTest, LongRestIsCutToFitTheNumberField)
{
    const std::string prefix = "INVALID_CONTACT:";
    std::string rest250(250, '7');
    rest250[198] = 'x';
    rest250[199] = 'y';
    EXPECT_EQ(InvalidContactNumber((prefix + rest250).c_str()), rest250.substr(0, 199));
    EXPECT_EQ(InvalidContactNumber((prefix + std::string(200, '1')).c_str()), std::string(199, '1'));
    EXPECT_EQ(InvalidContactNumber((prefix + std::string(199, '2')).c_str()), std::string(199, '2'));
    EXPECT_EQ(kContactNumberSize, 200u);
}

// Switches the thread to a double-byte code page for one test.
class CThreadLocale {
public:
    explicit CThreadLocale(LCID lcid) : m_lcidPrevious(::GetThreadLocale()) { ::SetThreadLocale(lcid); }
    ~CThreadLocale() { ::SetThreadLocale(m_lcidPrevious); }

private:
    LCID m_lcidPrevious;
};

TEST(InvalidContactNumberTest, CutNeverSplitsADoubleByteCharacter)
{
    CThreadLocale japanese(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT));
    if (ThreadAnsiCodePage() != 932) {
        GTEST_SKIP() << "code page 932 is not available";
    }
    // 198 digits, then a two-byte character across the 199-byte limit.
    std::string rest = std::string(198, '5') + "\x82\xA0" + std::string(20, '6');
    EXPECT_EQ(InvalidContactNumber(("INVALID_CONTACT:" + rest).c_str()), std::string(198, '5'));

    std::string fits = std::string(197, '5') + "\x82\xA0" + std::string(20, '6');
    EXPECT_EQ(InvalidContactNumber(("INVALID_CONTACT:" + fits).c_str()), fits.substr(0, 199));
}

}  // namespace
