#include "addressbook/csv/csvdialect.h"

#include "addressbook/csv/csvcolumns.h"
#include "addressbook/csv/csvreader.h"
#include "addressbook/text/asciitext.h"

namespace {

// Keeps the first record's cells and the field counts of the sampled records.
class CSampleSink : public ICsvSink {
public:
    bool WantsColumn(size_t nColumn) const override
    {
        return counts.empty() && nColumn < CCsvDialect::kMaxHeaderCells;
    }

    void OnField(size_t, std::u16string& value) override { firstRecord.push_back(TrimBlanks(value)); }

    void OnRecord(unsigned, size_t nFields, bool) override
    {
        if (counts.size() < CCsvDialect::kSampleRecords) {
            counts.push_back(nFields);
        }
    }

    bool IsConsistent() const
    {
        for (size_t nFields : counts) {
            if (nFields != counts.front()) {
                return false;
            }
        }
        return !counts.empty() && counts.front() >= 2;
    }

    std::vector<std::u16string> firstRecord;
    std::vector<size_t> counts;
};

void Sample(const std::u16string& text, bool bWhole, char16_t separator, const QuoteRepairs& repairs,
            CSampleSink& sink)
{
    CCsvReader reader(separator, sink, 1, CCsvDialect::kMaxHeaderCellChars, repairs);
    reader.Consume(text.data(), text.size());
    // A record cut by the end of the sample counts only when there is no other,
    // and one left inside quotes at the end of the file only then too.
    if ((bWhole && !reader.InQuotes()) || sink.counts.empty()) {
        reader.Finish();
    }
}

}  // namespace

bool CCsvDialect::Detect(const std::u16string& text, bool bWhole, char16_t separator, const QuoteRepairs& repairs,
                         CCsvDialect& dialect)
{
    const std::u16string separators = separator != 0 ? std::u16string(1, separator) : std::u16string(u"\t,;");
    size_t nBestKnown = 0;
    size_t nBestFields = 0;
    CSampleSink best;
    for (char16_t candidate : separators) {
        CSampleSink sink;
        Sample(text, bWhole, candidate, repairs, sink);
        const size_t nKnown = CCsvColumns::IsHeader(sink.firstRecord) ? CCsvColumns::CountKnown(sink.firstRecord) : 0;
        // Records that all have as many tabs are Copy's or a spreadsheet's
        // text, whose names may hold commas and semicolons: it is the tab.
        const bool bTabs = candidate == u'\t' && sink.IsConsistent();
        const bool bBetterHeader = nKnown > nBestKnown;
        const bool bBetterFields = nBestKnown == 0 && nKnown == 0 && sink.IsConsistent() &&
                                   sink.counts.front() > nBestFields;
        if (bTabs || bBetterHeader || bBetterFields) {
            nBestKnown = nKnown;
            nBestFields = sink.counts.empty() ? 0 : sink.counts.front();
            dialect.separator = candidate;
            best = std::move(sink);
        }
        if (bTabs) {
            break;
        }
    }
    if (nBestKnown == 0 && nBestFields == 0) {
        return false;
    }
    dialect.bHeader = nBestKnown > 0;
    dialect.firstRecord = std::move(best.firstRecord);
    return true;
}
