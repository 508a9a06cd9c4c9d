#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "addressbook/csv/csvreader.h"

// How a CSV file is written, told from its first records: the separator
// (comma, semicolon or tab) and whether its first record is a header.
struct CCsvDialect {
    // Records looked at, and the bounds of the first record's cells kept.
    static constexpr size_t kSampleRecords = 5;
    static constexpr size_t kMaxHeaderCells = 1024;
    static constexpr size_t kMaxHeaderCellChars = 256;

    // The tab when it gives each sampled record the same number of fields, at
    // least two; else the separator whose first record names known columns
    // (the most of them), else the one that gives each sampled record the same
    // number of fields, at least two (the most fields). False when none
    // exists. bWhole: the text is the whole file, so its last record counts
    // though no line ends it. separator: the one a "sep=" line named, the only
    // one tried; 0 for none.
    static bool Detect(const std::u16string& text, bool bWhole, char16_t separator, const QuoteRepairs& repairs,
                       CCsvDialect& dialect);

    char16_t separator = u',';
    bool bHeader = false;
    std::vector<std::u16string> firstRecord;
};
