#include "ui/contactsio/importpreviewtexts.h"

#include "ui/contactsio/importoutcome.h"

namespace {

// A header cell or a first value is shown this long at most.
constexpr size_t kMaxChoiceChars = 40;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Cut(const std::u16string& text)
{
    return text.size() > kMaxChoiceChars ? Wide(text.substr(0, kMaxChoiceChars - 3)) + L"..." : Wide(text);
}

void AddNote(std::wstring& note, const std::wstring& part) { note += (note.empty() ? L"" : L"; ") + part; }

std::wstring AmbiguityNote(const ImportCandidate& candidate)
{
    if (candidate.otherReading.empty()) {
        return L"sent as written";
    }
    return L"could also be " + Wide(candidate.otherReading) +
           (candidate.bOtherReadingKnown ? L", which is already listed" : L"");
}

}  // namespace

std::wstring CandidateNote(const ImportCandidate& candidate)
{
    std::wstring note;
    if (candidate.bNotMobile) {
        AddNote(note, L"not a mobile number");
    }
    if (candidate.nOtherMobiles > 0) {
        AddNote(note, L"+" + std::to_wstring(candidate.nOtherMobiles) +
                          (candidate.nOtherMobiles == 1 ? L" other mobile" : L" other mobiles"));
    }
    if (candidate.bAmbiguous) {
        AddNote(note, AmbiguityNote(candidate));
    }
    return note;
}

std::wstring AddedCellText(const ImportCandidate& candidate, int nColumn)
{
    switch (nColumn) {
    case kAddedFirstName:
        return Wide(candidate.firstName);
    case kAddedLastName:
        return Wide(candidate.lastName);
    case kAddedNumber:
        return Wide(candidate.number);
    default:
        return CandidateNote(candidate);
    }
}

std::wstring SkippedCellText(const ImportSkip& skip, int nColumn)
{
    switch (nColumn) {
    case kSkippedLine:
        return std::to_wstring(skip.nLine);
    case kSkippedName:
        return skip.name.empty() ? L"(no name)" : Wide(skip.name);
    default:
        return SkipReasonText(skip.reason);
    }
}

std::wstring ColumnChoiceText(const std::vector<std::u16string>& firstRecord, bool bHeader, size_t nColumn)
{
    const std::wstring number = L"Column " + std::to_wstring(nColumn + 1);
    const std::u16string cell = nColumn < firstRecord.size() ? firstRecord[nColumn] : std::u16string();
    if (cell.empty()) {
        return number;
    }
    return bHeader ? Cut(cell) : number + L" (" + Cut(cell) + L")";
}

std::wstring PreviewCountsText(const ImportPlan& plan, LPCWSTR pszSource)
{
    const size_t nFound = plan.toAdd.size() + plan.skipped.size();
    return L"The " + std::wstring(pszSource) + L" holds " + std::to_wstring(nFound) +
           (nFound == 1 ? L" contact: " : L" contacts: ") + std::to_wstring(plan.toAdd.size()) +
           L" will be added and " + std::to_wstring(plan.skipped.size()) + L" skipped.";
}
