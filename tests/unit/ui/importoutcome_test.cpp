#include <gtest/gtest.h>

#include "ui/contactsio/importoutcome.h"

namespace {

struct SummaryCase {
    const char* pszWhat;
    std::vector<ImportSkip> skipped;
    ImportOutcome outcome;
    std::wstring text;
};

ImportOutcome Outcome(size_t nAdded, std::vector<ImportRefusal> refused, ImportStop stop, size_t nNotSent,
                      std::optional<UnansweredContact> unanswered = std::nullopt)
{
    ImportOutcome outcome;
    outcome.nAdded = nAdded;
    outcome.refused = std::move(refused);
    outcome.stop = stop;
    outcome.nNotSent = nNotSent;
    outcome.unanswered = std::move(unanswered);
    return outcome;
}

TEST(ImportSummaryTest, CountsEveryReasonAndNamesTheFirstTenLinesInFileOrder)
{
    const SummaryCase cases[] = {
        {"all added", {}, Outcome(3, {}, ImportStop::None, 0), L"Added: 3\nSkipped: 0\nRefused by the service: 0\n"},
        {"every reason, stopped on a failed exchange",
         {{12, u"Fay", SkipReason::Duplicate}, {2, u"", SkipReason::NoName}, {3, u"Long", SkipReason::NameTooLong},
          {4, u"Ann", SkipReason::UnsupportedCharacters}, {5, u"Ben", SkipReason::NoNumber},
          {6, u"Cy", SkipReason::NationalNumber}, {7, u"Di", SkipReason::LettersOrExtension},
          {9, u"Ed", SkipReason::Duplicate}},
         Outcome(4, {{8, u"Gus", CommandAnswer::InvalidNumber}, {10, u"Hal", CommandAnswer::NoFirstName}},
                 ImportStop::Failed, 3, UnansweredContact{{u"Ivy", u"Day", u"0044", 11}, true}),
         L"Added: 4\nSkipped: 8\n    no name: 1\n    a name longer than 54 characters: 1\n"
         L"    unsupported characters: 1\n    no number: 1\n    a national number: 1\n"
         L"    letters or an extension in the number: 1\n    a duplicate: 2\n"
         L"Refused by the service: 2\n    no first name: 1\n    an invalid number: 1\n"
         L"\nThe import stopped without an answer from the service; 3 contacts were not sent.\n\n"
         L"Line 2, (no name): no name\nLine 3, Long: a name longer than 54 characters\n"
         L"Line 4, Ann: unsupported characters\nLine 5, Ben: no number\n"
         L"Line 6, Cy: a national number\nLine 7, Di: letters or an extension in the number\n"
         L"Line 8, Gus: refused, an invalid number\nLine 9, Ed: a duplicate\n"
         L"Line 10, Hal: refused, no first name\nLine 11, Ivy Day: may have been added\nand 1 more line.\n"},
        {"the reasons of the reader and the telephone plan",
         {{2, u"Ann", SkipReason::Unreadable}, {3, u"Ben", SkipReason::TooLong},
          {4, u"Cy", SkipReason::SpreadsheetNumber}, {5, u"", SkipReason::UnclosedQuote}},
         Outcome(0, {}, ImportStop::None, 0),
         L"Added: 0\nSkipped: 4\n    unreadable characters: 1\n    number altered by a spreadsheet: 1\n"
         L"    too long: 1\n    an unclosed quote: 1\nRefused by the service: 0\n\nLine 2, Ann: unreadable characters\n"
         L"Line 3, Ben: too long\nLine 4, Cy: number altered by a spreadsheet\nLine 5, (no name): an unclosed quote\n"},
        {"stopped by the member",
         {},
         Outcome(1, {{3, u"Jo", CommandAnswer::NoContactNumber}}, ImportStop::Stopped, 1),
         L"Added: 1\nSkipped: 0\nRefused by the service: 1\n    no mobile number: 1\n"
         L"\nThe import was stopped; 1 contact was not sent.\n\nLine 3, Jo: refused, no mobile number\n"},
        {"stopped during an exchange that never left",
         {},
         Outcome(0, {}, ImportStop::Stopped, 2, UnansweredContact{{u"Kim", u"", u"0044", 2}, false}),
         L"Added: 0\nSkipped: 0\nRefused by the service: 0\n"
         L"\nThe import was stopped; 2 contacts were not sent.\n\nLine 2, Kim: not added\n"},
    };
    for (const SummaryCase& test : cases) {
        SCOPED_TRACE(test.pszWhat);
        EXPECT_EQ(ImportSummaryText(test.skipped, test.outcome), test.text);
    }
}

}  // namespace
