#include "ui/contactsio/importoutcome.h"

#include <algorithm>

#include "ui/exchange/exchangetexts.h"

namespace {

constexpr size_t kLinesNamed = 10;

constexpr SkipReason kSkipReasons[] = {SkipReason::NoName,         SkipReason::NameTooLong,
                                       SkipReason::UnsupportedCharacters, SkipReason::Unreadable,
                                       SkipReason::NoNumber,       SkipReason::NationalNumber,
                                       SkipReason::LettersOrExtension, SkipReason::SpreadsheetNumber,
                                       SkipReason::TooLong,        SkipReason::UnclosedQuote,
                                       SkipReason::Duplicate};
constexpr CommandAnswer kRefusals[] = {CommandAnswer::NoFirstName, CommandAnswer::NoContactNumber,
                                       CommandAnswer::InvalidNumber};

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

LPCWSTR RefusalText(CommandAnswer answer)
{
    switch (answer) {
    case CommandAnswer::NoFirstName:
        return L"no first name";
    case CommandAnswer::NoContactNumber:
        return L"no mobile number";
    default:
        return L"an invalid number";
    }
}

struct NamedLine {
    unsigned nLine;
    std::wstring text;
};

std::wstring Count(size_t n) { return std::to_wstring(n); }

std::wstring Contacts(size_t n) { return Count(n) + (n == 1 ? L" contact" : L" contacts"); }

std::wstring SkippedPart(const std::vector<ImportSkip>& skipped)
{
    std::wstring text = L"Skipped: " + Count(skipped.size()) + L"\n";
    for (SkipReason reason : kSkipReasons) {
        const auto n = std::count_if(skipped.begin(), skipped.end(),
                                     [reason](const ImportSkip& skip) { return skip.reason == reason; });
        if (n > 0) {
            text += L"    " + std::wstring(SkipReasonText(reason)) + L": " + Count(static_cast<size_t>(n)) + L"\n";
        }
    }
    return text;
}

std::wstring RefusedPart(const std::vector<ImportRefusal>& refused)
{
    std::wstring text = L"Refused by the service: " + Count(refused.size()) + L"\n";
    for (CommandAnswer answer : kRefusals) {
        const auto n = std::count_if(refused.begin(), refused.end(),
                                     [answer](const ImportRefusal& refusal) { return refusal.answer == answer; });
        if (n > 0) {
            text += L"    " + std::wstring(RefusalText(answer)) + L": " + Count(static_cast<size_t>(n)) + L"\n";
        }
    }
    return text;
}

std::wstring NotSent(const ImportOutcome& outcome)
{
    return Contacts(outcome.nNotSent) + (outcome.nNotSent == 1 ? L" was" : L" were") + L" not sent.\n";
}

std::wstring StopPart(const ImportOutcome& outcome)
{
    switch (outcome.stop) {
    case ImportStop::None:
        return std::wstring();
    case ImportStop::Stopped:
        return L"\nThe import was stopped; " + NotSent(outcome);
    case ImportStop::LoginFailed:
        return L"\nThe service refused your e-mail address or password; " + NotSent(outcome);
    case ImportStop::UpdateRequired:
        return L"\n" + std::wstring(UpdateRequiredText().c_str()) + L" " + NotSent(outcome);
    case ImportStop::Failed:
        return L"\nThe import stopped without an answer from the service; " + NotSent(outcome);
    }
    return std::wstring();
}

std::vector<NamedLine> LinesConcerned(const std::vector<ImportSkip>& skipped, const ImportOutcome& outcome)
{
    std::vector<NamedLine> lines;
    for (const ImportSkip& skip : skipped) {
        lines.push_back({skip.nLine, (skip.name.empty() ? L"(no name)" : Wide(skip.name)) + L": " +
                                         SkipReasonText(skip.reason)});
    }
    for (const ImportRefusal& refusal : outcome.refused) {
        lines.push_back({refusal.nLine, Wide(refusal.name) + L": refused, " + RefusalText(refusal.answer)});
    }
    if (outcome.unanswered) {
        const ImportCandidate& contact = outcome.unanswered->contact;
        lines.push_back({contact.nLine, Wide(CandidateName(contact)) +
                                            (outcome.unanswered->bMayHaveArrived ? L": may have been added"
                                                                                 : L": not added")});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const NamedLine& left, const NamedLine& right) { return left.nLine < right.nLine; });
    return lines;
}

}  // namespace

LPCWSTR SkipReasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::NoName:
        return L"no name";
    case SkipReason::NameTooLong:
        return L"a name longer than 54 characters";
    case SkipReason::UnsupportedCharacters:
        return L"unsupported characters";
    case SkipReason::NoNumber:
        return L"no number";
    case SkipReason::NationalNumber:
        return L"a national number";
    case SkipReason::LettersOrExtension:
        return L"letters or an extension in the number";
    case SkipReason::Duplicate:
        return L"a duplicate";
    case SkipReason::Unreadable:
        return L"unreadable characters";
    case SkipReason::TooLong:
        return L"too long";
    case SkipReason::SpreadsheetNumber:
        return L"number altered by a spreadsheet";
    case SkipReason::UnclosedQuote:
        return L"an unclosed quote";
    }
    return L"";
}

std::u16string CandidateName(const ImportCandidate& candidate)
{
    return candidate.lastName.empty() ? candidate.firstName : candidate.firstName + u" " + candidate.lastName;
}

std::wstring ImportSummaryText(const std::vector<ImportSkip>& skipped, const ImportOutcome& outcome)
{
    std::wstring text = L"Added: " + Count(outcome.nAdded) + L"\n";
    text += SkippedPart(skipped);
    text += RefusedPart(outcome.refused);
    text += StopPart(outcome);
    const std::vector<NamedLine> lines = LinesConcerned(skipped, outcome);
    if (!lines.empty()) {
        text += L"\n";
    }
    for (size_t i = 0; i < lines.size() && i < kLinesNamed; ++i) {
        text += L"Line " + std::to_wstring(lines[i].nLine) + L", " + lines[i].text + L"\n";
    }
    if (lines.size() > kLinesNamed) {
        const size_t nMore = lines.size() - kLinesNamed;
        text += L"and " + Count(nMore) + (nMore == 1 ? L" more line.\n" : L" more lines.\n");
    }
    return text;
}
