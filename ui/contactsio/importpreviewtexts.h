#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "addressbook/importplan.h"

// What the import preview shows: its rows, its column choices and its counts.

enum AddedColumn { kAddedFirstName, kAddedLastName, kAddedNumber, kAddedNote, kAddedColumns };
enum SkippedColumn { kSkippedLine, kSkippedName, kSkippedReason, kSkippedColumns };

// The text of one cell of a contact that will be added, or of one skipped.
std::wstring AddedCellText(const ImportCandidate& candidate, int nColumn);
std::wstring SkippedCellText(const ImportSkip& skip, int nColumn);

// What the member should know of the number: not a mobile one, other mobile
// numbers left, or a number the telephone plan reads two ways.
std::wstring CandidateNote(const ImportCandidate& candidate);

// One choice of a CSV column: its header cell, or its number and the first
// record's value when the file has no header.
std::wstring ColumnChoiceText(const std::vector<std::u16string>& firstRecord, bool bHeader, size_t nColumn);

// pszSource: L"file" or L"pasted text".
std::wstring PreviewCountsText(const ImportPlan& plan, LPCWSTR pszSource);
