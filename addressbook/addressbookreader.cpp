#include "addressbook/addressbookreader.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "addressbook/addressbooklimits.h"
#include "addressbook/formatsniffer.h"
#include "addressbook/text/textdecoder.h"
#include "addressbook/text/utf8.h"

const char16_t kNeededColumns[] =
    u"First Name, Last Name, Mobile Phone (or Given Name, Family Name, Mobile Number, Phone 1 - Value)";

namespace {

struct FileEncoding {
    TextEncoding encoding = TextEncoding::Utf8;
    size_t cbBom = 0;
};

// Reads the source once through: its size, its byte order mark, and whether
// it is valid UTF-8 as a whole.
ReadError ScanEncoding(IByteSource& source, std::vector<char>& buffer, FileEncoding& file)
{
    CUtf8Decoder validator;
    std::string head;
    uint64_t cbTotal = 0;
    for (;;) {
        size_t cbRead = 0;
        if (!source.Read(buffer.data(), buffer.size(), cbRead)) {
            return ReadError::ReadFailed;
        }
        if (cbRead == 0) {
            break;
        }
        cbTotal += cbRead;
        if (cbTotal > kMaxAddressBookBytes) {
            return ReadError::TooLarge;
        }
        head.append(buffer.data(), std::min(cbRead, 3 - head.size()));
        if (validator.IsValid()) {
            validator.Feed(buffer.data(), cbRead, nullptr);
        }
    }
    if (cbTotal == 0) {
        return ReadError::Empty;
    }
    if (!CTextDecoder::DetectBom(head.data(), head.size(), file.encoding, file.cbBom)) {
        file.encoding = validator.Finish(nullptr) ? TextEncoding::Utf8 : TextEncoding::Ansi;
    }
    return ReadError::None;
}

// Reads the source again, decoding it into the sniffer, until the end or until
// the sniffer refuses the text.
ReadError Parse(IByteSource& source, std::vector<char>& buffer, const FileEncoding& file, AnsiDecoder decodeAnsi,
                CFormatSniffer& sniffer)
{
    CTextDecoder decoder(file.encoding, decodeAnsi);
    std::u16string text;
    size_t cbBomLeft = file.cbBom;
    uint64_t cbTotal = 0;
    while (!sniffer.IsRefused()) {
        size_t cbRead = 0;
        if (!source.Read(buffer.data(), buffer.size(), cbRead)) {
            return ReadError::ReadFailed;
        }
        cbTotal += cbRead;
        if (cbTotal > kMaxAddressBookBytes) {
            return ReadError::TooLarge;
        }
        text.clear();
        if (cbRead == 0) {
            decoder.Finish(text);
            sniffer.Consume(text.data(), text.size());
            sniffer.Finish();
            break;
        }
        const size_t cbSkip = std::min(cbBomLeft, cbRead);
        cbBomLeft -= cbSkip;
        decoder.Decode(buffer.data() + cbSkip, cbRead - cbSkip, text);
        sniffer.Consume(text.data(), text.size());
    }
    return sniffer.Error();
}

}  // namespace

ReadResult ReadAddressBook(IByteSource& source, AnsiDecoder decodeAnsi)
{
    ReadResult result;
    std::vector<char> buffer(kReadChunkBytes);
    FileEncoding file;
    result.error = ScanEncoding(source, buffer, file);
    if (result.error == ReadError::None && !source.Rewind()) {
        result.error = ReadError::ReadFailed;
    }
    if (result.error == ReadError::None) {
        CFormatSniffer sniffer(decodeAnsi, result.contacts);
        result.error = Parse(source, buffer, file, decodeAnsi, sniffer);
        result.format = sniffer.Format();
    }
    if (result.error == ReadError::None && result.contacts.empty()) {
        result.error = ReadError::NoUsableContact;
    }
    if (result.error != ReadError::None) {
        result.contacts.clear();
    }
    return result;
}
