#include "addressbook/numbers/numberchoice.h"

#include <algorithm>

namespace {

struct Candidate {
    std::u16string written;
    unsigned nPreference;
    bool bClean;
    NormalisedNumber normalised;
    SkipReason reason;
};

// The numbers of the telephones of one kind, in file order.
std::vector<Candidate> CandidatesOf(const std::vector<RawPhone>& phones, bool bMobile,
                                    const std::u16string& countryCode)
{
    std::vector<Candidate> candidates;
    for (const RawPhone& phone : phones) {
        const bool bWanted = bMobile ? phone.kind == PhoneKind::Mobile : phone.kind == PhoneKind::Other;
        if (!bWanted) {
            continue;
        }
        for (std::u16string& written : SplitNumbers(phone.text)) {
            Candidate candidate{std::move(written), phone.nPreference ? phone.nPreference : 1000u, false, {},
                                SkipReason::NoNumber};
            candidate.bClean =
                NormaliseNumber(candidate.written, countryCode, candidate.normalised, candidate.reason);
            candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
}

unsigned CountOthers(const std::vector<Candidate>& candidates, const Candidate& chosen)
{
    std::vector<std::u16string> numbers;
    for (const Candidate& candidate : candidates) {
        const std::u16string& number = candidate.normalised.number;
        if (candidate.bClean && number != chosen.normalised.number &&
            std::find(numbers.begin(), numbers.end(), number) == numbers.end()) {
            numbers.push_back(number);
        }
    }
    return static_cast<unsigned>(numbers.size());
}

}  // namespace

NumberChoice ChooseNumber(const std::vector<RawPhone>& phones, const std::u16string& countryCode)
{
    NumberChoice choice;
    std::vector<Candidate> candidates = CandidatesOf(phones, true, countryCode);
    if (candidates.empty()) {
        candidates = CandidatesOf(phones, false, countryCode);
        choice.bNotMobile = true;
    }
    if (candidates.empty()) {
        return choice;
    }
    const Candidate* pChosen = nullptr;
    for (const Candidate& candidate : candidates) {
        if (candidate.bClean && (pChosen == nullptr || candidate.nPreference < pChosen->nPreference)) {
            pChosen = &candidate;
        }
    }
    if (pChosen == nullptr) {
        choice.reason = candidates.front().reason;
        choice.written = candidates.front().written;
        return choice;
    }
    choice.bChosen = true;
    choice.written = pChosen->written;
    choice.normalised = pChosen->normalised;
    choice.nOtherMobiles = choice.bNotMobile ? 0 : CountOthers(candidates, *pChosen);
    return choice;
}
