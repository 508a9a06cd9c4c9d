#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/importplan.h"
#include "net/commandcatalogue.h"

// How an import ended, and the text of the box that sums it up.

enum class ImportStop {
    None,            // every contact was sent
    Stopped,         // the member pressed Stop, between contacts or during one's exchange
    LoginFailed,
    UpdateRequired,
    Failed           // an exchange without an answer that counts, or an answer of none of ADDCONTACT's words
};

// A contact the service answered with one of its refusal words.
struct ImportRefusal {
    unsigned nLine;
    std::u16string name;
    CommandAnswer answer;
};

// The contact whose exchange ended without an answer that counts.
struct UnansweredContact {
    ImportCandidate contact;
    bool bMayHaveArrived;  // false: its request provably never left
};

struct ImportOutcome {
    size_t nAdded = 0;
    std::vector<ImportRefusal> refused;
    ImportStop stop = ImportStop::None;
    // Contacts never sent because the import stopped before them.
    size_t nNotSent = 0;
    // The contact the import ended on without an answer that counts.
    std::optional<UnansweredContact> unanswered;
};

// Why a contact is skipped, as the summary and the preview say it.
LPCWSTR SkipReasonText(SkipReason reason);

// "First Last", or the first name alone.
std::u16string CandidateName(const ImportCandidate& candidate);

// The lines concerned are named in file order, the first ten of them.
std::wstring ImportSummaryText(const std::vector<ImportSkip>& skipped, const ImportOutcome& outcome);
