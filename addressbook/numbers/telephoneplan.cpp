#include "addressbook/numbers/telephoneplan.h"

#include <algorithm>

namespace {

const CallingCodePlan* Find(unsigned nCode)
{
    const CallingCodePlan* pEnd = kCallingCodePlans + kCallingCodePlanCount;
    const CallingCodePlan* pFound = std::lower_bound(
        kCallingCodePlans, pEnd, nCode, [](const CallingCodePlan& plan, unsigned n) { return plan.nCode < n; });
    return pFound != pEnd && pFound->nCode == nCode ? pFound : nullptr;
}

}  // namespace

const CallingCodePlan* CallingCodeAt(const std::u16string& digits, size_t& cchCode)
{
    unsigned nCode = 0;
    for (size_t i = 0; i < digits.size() && i < 3; ++i) {
        nCode = nCode * 10 + static_cast<unsigned>(digits[i] - u'0');
        if (nCode == 0) {
            return nullptr;
        }
        if (const CallingCodePlan* pPlan = Find(nCode)) {
            cchCode = i + 1;
            return pPlan;
        }
    }
    return nullptr;
}

const CallingCodePlan* CallingCodeNamed(const std::u16string& code)
{
    size_t cchCode = 0;
    const CallingCodePlan* pPlan = CallingCodeAt(code, cchCode);
    return pPlan != nullptr && cchCode == code.size() ? pPlan : nullptr;
}

bool FitsLength(uint32_t lengths, size_t nDigits)
{
    return nDigits < 32 && (lengths >> nDigits & 1) != 0;
}

size_t LongestLength(uint32_t lengths)
{
    size_t n = 0;
    for (size_t i = 0; i < 32; ++i) {
        n = (lengths >> i & 1) != 0 ? i : n;
    }
    return n;
}
