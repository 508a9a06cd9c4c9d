#include "addressbook/addressbookreader.h"

#include <string>

#include "addressbook/addressbooklimits.h"
#include "addressbook/formatsniffer.h"
#include "addressbook/text/filedecoder.h"

const char16_t kNeededColumns[] =
    u"First Name, Last Name, Mobile Phone (or Given Name, Family Name, Mobile Number, Phone 1 - Value)";

namespace {

// Quotes never closed are ended at their lines one by one, each in a reading
// of its own; after this many, every later quote ends with its line.
constexpr size_t kMaxQuoteRepairs = 4;

// Reads the source through once. A file refused early is still counted to
// its end, so that one too large says so whatever it holds.
ReadError ReadOnce(IByteSource& source, CFileDecoder& decoder, const CFormatSniffer& sniffer,
                   const std::vector<RawContact>& contacts)
{
    std::vector<char> buffer(kReadChunkBytes);
    uint64_t cbTotal = 0;
    for (;;) {
        size_t cbRead = 0;
        if (!source.Read(buffer.data(), buffer.size(), cbRead)) {
            return ReadError::ReadFailed;
        }
        cbTotal += cbRead;
        if (cbTotal > kMaxAddressBookBytes) {
            return ReadError::TooLarge;
        }
        if (cbRead == 0) {
            decoder.Finish();
            return sniffer.Error();
        }
        if (!sniffer.IsRefused()) {
            decoder.Feed(buffer.data(), cbRead);
        }
        if (contacts.size() > kMaxContacts) {
            return ReadError::TooManyContacts;
        }
    }
}

ReadResult ReadWithRepairs(IByteSource& source, CodePageDecoder decode, const CsvColumns* pColumns,
                           const QuoteRepairs& repairs, unsigned& nUnclosedQuoteLine)
{
    ReadResult result;
    TextCodec codec;
    codec.decode = decode;
    CFormatSniffer sniffer(codec, pColumns, repairs, result.contacts);
    CFileDecoder decoder(codec, sniffer);
    result.error = ReadOnce(source, decoder, sniffer, result.contacts);
    result.format = sniffer.Format();
    result.header = sniffer.FirstRecord();
    result.bHeader = sniffer.HasHeader();
    result.columns = sniffer.Columns();
    nUnclosedQuoteLine = result.error == ReadError::None ? sniffer.UnclosedQuoteLine() : 0;
    return result;
}

}  // namespace

ReadResult ReadAddressBook(IByteSource& source, CodePageDecoder decode, const CsvColumns* pColumns)
{
    QuoteRepairs repairs;
    ReadResult result;
    for (;;) {
        unsigned nUnclosedQuoteLine = 0;
        result = ReadWithRepairs(source, decode, pColumns, repairs, nUnclosedQuoteLine);
        if (nUnclosedQuoteLine == 0 || repairs.Ends(nUnclosedQuoteLine)) {
            break;
        }
        if (!source.Rewind()) {
            result.error = ReadError::ReadFailed;
            break;
        }
        if (repairs.lines.size() < kMaxQuoteRepairs) {
            repairs.lines.push_back(nUnclosedQuoteLine);
        } else {
            repairs.nFromLine = nUnclosedQuoteLine;
        }
    }
    if (result.error == ReadError::None && result.contacts.empty()) {
        result.error = ReadError::NoUsableContact;
    }
    if (result.error != ReadError::None) {
        result.contacts.clear();
    }
    return result;
}
