#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the telephone plan says of one country calling code: the national
// (trunk) prefix dialled before a national number, and the lengths its
// national significant numbers may have (bit n set: n digits).
struct CallingCodePlan {
    uint16_t nCode;
    char szTrunkPrefix[3];
    uint32_t lengths;
    uint32_t mobileLengths;
};

// Generated from libphonenumber's metadata (telephoneplandata.cpp), by code.
extern const CallingCodePlan kCallingCodePlans[];
extern const size_t kCallingCodePlanCount;

// The longest international number, country code included.
constexpr size_t kMaxInternationalDigits = 15;

// The code that starts the digits (calling codes are prefix-free), with its
// length; null when none does.
const CallingCodePlan* CallingCodeAt(const std::u16string& digits, size_t& cchCode);
// The plan of exactly this code ("44"); null for one the plan lacks.
const CallingCodePlan* CallingCodeNamed(const std::u16string& code);

bool FitsLength(uint32_t lengths, size_t nDigits);
size_t LongestLength(uint32_t lengths);
