#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "addressbook/addressbooklimits.h"
#include "addressbook/addressbookreader.h"
#include "addressbook/numbers/numberchoice.h"
#include "allocatedbytes.h"
#include "contactstesttext.h"
#include "addressbook/text/memorybytesource.h"

namespace {

std::string Shown(const std::u16string& text)
{
    std::string shown;
    for (char ch : Utf8(text)) {
        shown += ch == '\n' ? std::string("<LF>") : std::string(1, ch);
    }
    return shown;
}

// "vcard" or "csv", then "line:given|family|formatted|number" per contact (the
// number a text would go to, as written), its company and an unclosed quote;
// or the error.
std::string Describe(const ReadResult& result)
{
    static const char* const kErrors[] = {"None",  "TooLarge",        "ReadFailed",     "NotAnAddressBook",
                                          "Empty", "NoUsableContact", "UnknownColumns", "TooManyContacts"};
    if (result.error != ReadError::None) {
        return kErrors[static_cast<int>(result.error)];
    }
    std::string text = result.format == AddressBookFormat::VCard ? "vcard" : "csv";
    for (const RawContact& contact : result.contacts) {
        text += "\n" + std::to_string(contact.nLine) + ":" + Shown(contact.given) + "|" + Shown(contact.family) +
                "|" + Shown(contact.formatted) + "|" + Shown(ChooseNumber(contact.phones, u"44").written) +
                (contact.company.empty() ? "" : " org:" + Shown(contact.company)) +
                (contact.bUnclosedQuote ? " unclosed" : "");
    }
    return text;
}

std::string WithBom16(const std::string& utf8, bool bBigEndian)
{
    std::string bytes = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : Utf16(utf8)) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bBigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

const std::string kMiB(1 << 20, 'x');
const std::string kCutName = std::string(64 * 1024, 'x') + "\xEF\xBF\xBD";

struct ReaderCase {
    const char* pszName;
    std::string bytes;
    std::string expected;
};

const ReaderCase kReaderCases[] = {
    {"vCard 2.1: CELL, quoted-printable in three charsets, a soft break inside a character",
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=\r\n=BCrgen;;;\r\n"
     "FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:J=FCrgen M=FCller\r\nTEL;HOME;VOICE:020 7946 0000\r\n"
     "TEL;CELL:07700 900123\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\n"
     "N;CHARSET=windows-1252;ENCODING=QUOTED-PRINTABLE:=80uro;Jo=\r\nhn\r\n"
     "FN;CHARSET=X-UNKNOWN;ENCODING=QUOTED-PRINTABLE:=80=E9\r\nTEL:+44 20 7946 0001\r\nEND:VCARD\r\n",
     "vcard\n1:Jürgen|Müller|Jürgen Müller|07700 900123\n9:John|€uro|€é|+44 20 7946 0001"},
    {"vCard 3.0: TYPE=cell,voice, LF line ends",
     "BEGIN:VCARD\nVERSION:3.0\nN:Smith;John;;;\nFN:John Smith\nTEL;TYPE=work,voice:+44 20 7946 0000\n"
     "TEL;TYPE=cell,voice:+44 7700 900123\nEND:VCARD\n",
     "vcard\n1:John|Smith|John Smith|+44 7700 900123"},
    {"quoted TYPE list, repeated type parameters",
     "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Lee\r\nTEL;TYPE=home:020 1\r\nTEL;TYPE=\"cell,voice\":07700 1\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo Ek\r\nTEL;type=HOME:020 2\r\nTEL;type=CELL;type=VOICE:07700 2\r\n"
     "END:VCARD\r\n",
     "vcard\n1:||Ann Lee|07700 1\n7:||Bo Ek|07700 2"},
    {"grouped TEL with its X-ABLabel after it and before it",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Roe;Jane;;;\r\nitem1.TEL:020 3\r\nitem1.X-ABLabel:_$!<Home>!$_\r\n"
     "item2.TEL:07700 3\r\nitem2.X-ABLabel:_$!<Mobile>!$_\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
     "N:Poe;Al;;;\r\nTEL:020 4\r\nITEM7.X-ABLABEL:Mobile\r\nitem7.TEL:07700 4\r\nEND:VCARD\r\n",
     "vcard\n1:Jane|Roe||07700 3\n9:Al|Poe||07700 4"},
    {"vCard 4.0 tel: URIs, the extension kept",
     "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Cy Dee\r\nTEL;VALUE=uri;TYPE=home:tel:+44-20-7946-0005\r\n"
     "TEL;VALUE=uri;TYPE=cell:tel:+44-7700-900123;ext=55\r\nEND:VCARD\r\n",
     "vcard\n1:||Cy Dee|+44-7700-900123;ext=55"},
    {"folded lines, in values and in a parameter",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smi\r\n th;Jo\r\n\thn;;;\r\nFN:John\r\n  Smith\r\nTEL;TY\r\n PE=CELL:0770\r\n"
     " 0 900123\r\nTEL:1\r\nEND:VCARD\r\n",
     "vcard\n1:John|Smith|John Smith|07700 900123"},
    {"escapes", "BEGIN:VCARD\r\nVERSION:3.0\r\nN:O\\;Brien\\, Jr;Mary\\\\Ann;;;\r\nFN:Line\\nTwo\\NThree\r\nTEL:1\r\n"
                "END:VCARD\r\n",
     "vcard\n1:Mary\\Ann|O;Brien, Jr|Line<LF>Two<LF>Three|1"},
    {"several cards: lower case, unused properties, a card with nothing, no mobile",
     "\r\n\r\nbegin:vcard\r\nversion:3.0\r\nn:A;B;;;\r\nphoto;encoding=b;type=jpeg:/9j/4AAQ\r\n SkZJRg==\r\n"
     "adr;type=home:;;1 Road;;;;\r\nnote:x\r\ntel;type=home:020 5\r\ntel;type=work:020 6\r\nend:vcard\r\n"
     "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:nothing else\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
     "TEL:07700 7\r\nEND:VCARD\r\n",
     "vcard\n3:B|A||020 5\n17:|||07700 7"},
    {"an unterminated last card",
     "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nTEL:1\nEND:VCARD\nBEGIN:VCARD\nVERSION:3.0\nFN:Bob\nTEL;CELL:2",
     "vcard\n1:||Ann|1\n6:||Bob|2"},
    {"CR line ends", "BEGIN:VCARD\rVERSION:3.0\rN:Doe;Jo;;;\rTEL:3\rEND:VCARD\rBEGIN:VCARD\rFN:Al\rEND:VCARD\r",
     "vcard\n1:Jo|Doe||3\n6:||Al|"},
    {"UTF-16 LE with its BOM", WithBom16("BEGIN:VCARD\r\nFN:Zoë 😀\r\nTEL:4\r\nEND:VCARD\r\n", false),
     "vcard\n1:||Zoë 😀|4"},
    {"UTF-16 BE with its BOM, semicolons",
     WithBom16("First Name;Last Name;Mobile Phone\r\nÅsa;Öberg;+46 70 123 45 67\r\n", true),
     "csv\n2:Åsa|Öberg||+46 70 123 45 67"},
    {"UTF-8 BOM, commas, no header", "\xEF\xBB\xBFJohn,Smith,07700 900123\r\nJosé,Nuñez,07700 900124\r\n",
     "csv\n1:John|Smith||07700 900123\n2:José|Nuñez||07700 900124"},
    {"quotes, doubled quotes, a line end inside quotes, blanks around fields",
     "\"Mary\r\nAnn\",\"O\"\"Neil\",\"07700 900125\"\r\nTom , Thumb ,  07700 900126 \r\n",
     "csv\n1:Mary<LF>Ann|O\"Neil||07700 900125\n3:Tom|Thumb||07700 900126"},
    {"semicolons: the separator every line agrees on",
     "Anna;Berg;0701234567\r\nKarl;Dahl;0707654321\r\n\r\nEva;Ek, Jr;0700000000\r\n",
     "csv\n1:Anna|Berg||0701234567\n2:Karl|Dahl||0707654321\n4:Eva|Ek, Jr||0700000000"},
    {"tabs with a header, an empty first field, a formula guard",
     "First Name\tLast Name\tMobile Phone\n\tSolo\t0770\nAl\tB\t'+44 1\n",
     "csv\n2:|Solo||0770\n3:Al|B||+44 1"},
    {"an Outlook header: quoted cells, another phone where the mobile one is empty",
     "\"First Name\",\"Middle Name\",\"Last Name\",\"Business Phone\",\"Home Phone\",\"Mobile Phone\",\"Notes\"\r\n"
     "\"John\",\"Q\",\"Smith\",\"020 7946 0000\",\"\",\"07700 900123\",\"long, note\"\r\n"
     "\"'=Jane\",\"\",\"O'Hara\",\"\",\"020 7946 0001\",\"\",\"\"\r\n",
     "csv\n2:John|Smith||07700 900123\n3:=Jane|O'Hara||020 7946 0001"},
    {"a Google header: typed phones, several numbers in one cell",
     "Name,Given Name,Family Name,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value\n"
     "John Smith,John,Smith,Home,020 7946 0000,* Mobile,07700 900123 ::: 07700 900999\nAnn,,,Work,020 7946 0002,,\n",
     "csv\n2:John|Smith|John Smith|07700 900123\n3:||Ann|020 7946 0002"},
    {"no BOM, not UTF-8: the ANSI code page", "Andr\xE9,M\x80ller,07700 900127\r\n",
     "csv\n1:André|M€ller||07700 900127"},
    {"a quote never closed ends with its line, which is named",
     "John,Smith,07700 1\r\n\"Ann,Doe,0123\r\nBob,Roe,0456\r\n",
     "csv\n1:John|Smith||07700 1\n2:Ann,Doe,0123||| unclosed\n3:Bob|Roe||0456"},
    {"a line of 1 MiB skipped, a kept value of 1 MiB cut",
     "BEGIN:VCARD\r\nNOTE:" + kMiB + "\r\nFN:After\r\nTEL:5\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:" + kMiB +
         "\r\nTEL:6\r\nEND:VCARD\r\n",
     "vcard\n1:||After|5\n6:||" + kCutName + "|6"},
    {"a CSV field of 1 MiB cut", "First Name,Last Name,Mobile Phone\r\n" + kMiB + ",Long,6\r\nShort,Name,7\r\n",
     "csv\n2:" + kCutName + "|Long||6\n3:Short|Name||7"},
    {"a UTF-8 BOM with nothing after it", "\xEF\xBB\xBF", "Empty"},
    {"a UTF-16 BOM and blank lines", WithBom16("\r\n  \r\n", false), "Empty"},
    {"an empty file", "", "Empty"},
    {"a letter", "Dear Ann,\nthank you for the letter.\nYours, Bob, and Carl\n", "NotAnAddressBook"},
    {"a header of unknown columns", "Spitzname,Geburtstag,Notiz\nJohn,Smith,0770 1\n", "UnknownColumns"},
    {"cards without names or numbers", "BEGIN:VCARD\nVERSION:3.0\nPHOTO:abc\nEND:VCARD\n", "NoUsableContact"},
    {"a header alone", "First Name,Last Name,Mobile Phone\r\n", "NoUsableContact"},
    // Encodings decided line by line, property by property.
    {"UTF-8 folded inside a character, a Latin-1 note, a Latin-1 name beside UTF-8 ones",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\xC3\r\n \xAB Smith\r\nNOTE:caf\xE9\r\nTEL:1\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xC3\xBCller;J\xC3\xBCrgen\r\nFN:Andr\xE9\r\nTEL:2\r\nEND:VCARD\r\n",
     "vcard\n1:||Zoë Smith|1\n8:Jürgen|Müller|André|2"},
    {"quoted-printable and 8-bit values in the code page their CHARSET names, or the one the file named",
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=windows-1250;ENCODING=QUOTED-PRINTABLE:Dvo=F8=E1k;Anton=EDn\r\n"
     "FN;CHARSET=KOI8-R;QUOTED-PRINTABLE:=E9=D7=C1=CE\r\nORG;CHARSET=ISO-8859-2:Nov\xE1k \xB3\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN:\xA3uk\xE1\xB9;Ji\xF8\xED\r\nEND:VCARD\r\n",
     "vcard\n1:Antonín|Dvořák|Иван| org:Novák ł\n7:Jiří|Łukáš||"},
    {"a code page without a character for the bytes: U+FFFD where they were",
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=SHIFT_JIS:\x81\x20Ito;Ken\r\nTEL:3\r\nEND:VCARD\r\n",
     "vcard\n1:Ken|\xEF\xBF\xBD Ito||3"},
    {"a line longer than the part its encoding is decided by",
     "First Name,Notes,Last Name,Mobile Phone\r\nAndr\xE9," + std::string(70000, 'x') + ",M\xFCller,07700 1\r\n",
     "csv\n2:André|Müller||07700 1"},
    {"a UTF-8 byte order mark names UTF-8 for a line that is not",
     "\xEF\xBB\xBF" "First Name,Last Name,Mobile Phone\r\nAndr\xE9,Roe,07700 1\r\n",
     "csv\n2:Andr\xEF\xBF\xBD|Roe||07700 1"},
    {"UTF-16 LE without a byte order mark", WithBom16("Vorname;Nachname;Handy\r\nÅsa;Öberg;0701\r\n", false).substr(2),
     "csv\n2:Åsa|Öberg||0701"},
    {"UTF-16 BE without a byte order mark", WithBom16("BEGIN:VCARD\r\nFN:Zoë\r\nEND:VCARD\r\n", true).substr(2),
     "vcard\n1:||Zoë|"},
    // Every named contact.
    {"a family name alone, a company alone, an AGENT's card skipped whole",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;;;;\r\nTEL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
     "ORG:Acme Ltd;Sales\r\nTEL:2\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Big\r\nAGENT:\r\n"
     "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Friday;Fred\r\nTEL;CELL:9\r\nEND:VCARD\r\nTEL;CELL:3\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nN:Solo;Han\r\nAGENT:BEGIN:VCARD\r\nFN:Chewie\r\nEND:VCARD\r\nTEL:4\r\nEND:VCARD\r\n",
     "vcard\n1:|Smith||1\n6:|||2 org:Acme Ltd\n11:Big|Boss||3\n22:Han|Solo||4"},
    {"Outlook's other phones after the mobile one, a company alone",
     "First Name,Last Name,Company,Primary Phone,Other Phone,Car Phone,Mobile Phone\r\n"
     ",,Acme,020 1,,,\r\nAl,Bo,,,,020 2,07700 3\r\n",
     "csv\n2:|||020 1 org:Acme\n3:Al|Bo||07700 3"},
    {"Thunderbird's Display Name", "First Name,Last Name,Display Name,Work Phone,Mobile Number\r\n,,Cy Dee,020 3,\r\n",
     "csv\n2:||Cy Dee|020 3"},
    {"Google: Work Mobile, a fax, several numbers in one cell, a repeated pair index",
     "Name,Organization Name,Phone 1 - Label,Phone 1 - Value,Phone 2 - Label,Phone 2 - Value,Phone 2 - Value\n"
     "Cy,,Work Fax,07700 1,Work Mobile,07700 900129 ::: 07700 900130,\nDi,Orb,Home,020 2,,,\n",
     "csv\n2:||Cy|07700 900129\n3:||Di|020 2 org:Orb"},
    {"Excel's sep= line, a German header", "sep=;\r\nVorname;Nachname;Mobiltelefon\r\nJörg;Roß;0170 1\r\n",
     "csv\n3:Jörg|Roß||0170 1"},
    {"French and Polish headers", "Prénom;Nom;Mobile\nAnne;Roy;06 1\n", "csv\n2:Anne|Roy||06 1"},
    {"Polish", "Imię,Nazwisko,Telefon komórkowy\nŁucja,Wąs,600 1\n", "csv\n2:Łucja|Wąs||600 1"},
    {"Copy's text, pasted: a name and a number, semicolons in the name, a formula guard",
     WithBom16("Chloé; Jo Marsh; Hill\t'+44 7700 900222\r\n", false),
     "csv\n1:Chloé; Jo Marsh; Hill|||+44 7700 900222"},
};

class ReaderCaseTest : public testing::TestWithParam<ReaderCase> {};

// Each file read whole and one byte at a time, so that every character and
// line end is split between two reads somewhere.
TEST_P(ReaderCaseTest, ReadsTheFileAsExpected)
{
    const ReaderCase& row = GetParam();
    for (size_t cbPiece : {size_t{64 * 1024}, row.bytes.size() < 100000 ? size_t{1} : size_t{4099}}) {
        CMemoryByteSource source(row.bytes, cbPiece);
        EXPECT_EQ(Describe(ReadAddressBook(source, DecodeTestCodePage)), row.expected)
            << row.pszName << ", read " << cbPiece << " bytes at a time";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ReaderCaseTest, testing::ValuesIn(kReaderCases));

// A file made as it is read: a head, any number of one filler byte, a tail.
// Notes the most memory in use at any read.
class CGeneratedSource : public IByteSource {
public:
    CGeneratedSource(std::string head, uint64_t cbFiller, std::string tail)
        : m_head(std::move(head)), m_tail(std::move(tail)), m_cbTotal(m_head.size() + cbFiller + m_tail.size())
    {
    }

    bool Read(char* pBuffer, size_t cbWanted, size_t& cbRead) override
    {
        m_cbPeak = std::max(m_cbPeak, AllocatedBytes());
        cbRead = static_cast<size_t>(std::min<uint64_t>(cbWanted, m_cbTotal - m_nAt));
        const uint64_t nTail = m_cbTotal - m_tail.size();
        for (size_t i = 0; i < cbRead;) {
            size_t cb = cbRead - i;
            if (m_nAt < m_head.size()) {
                cb = std::min<size_t>(cb, m_head.size() - m_nAt);
                std::memcpy(pBuffer + i, m_head.data() + m_nAt, cb);
            } else if (m_nAt < nTail) {
                cb = static_cast<size_t>(std::min<uint64_t>(cb, nTail - m_nAt));
                std::memset(pBuffer + i, 'A', cb);
            } else {
                std::memcpy(pBuffer + i, m_tail.data() + (m_nAt - nTail), cb);
            }
            i += cb;
            m_nAt += cb;
        }
        return m_bReadable;
    }

    bool Rewind() override
    {
        m_nAt = 0;
        return true;
    }

    size_t m_cbPeak = 0;
    bool m_bReadable = true;

private:
    std::string m_head;
    std::string m_tail;
    uint64_t m_cbTotal;
    uint64_t m_nAt = 0;
};

TEST(AddressBookReaderTest, APhotoOf20MiBPassesWithoutBeingHeld)
{
    CGeneratedSource source("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Before\r\nTEL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\n"
                            "PHOTO;ENCODING=b;TYPE=JPEG:",
                            20 << 20, "\r\nFN:After\r\nTEL:2\r\nEND:VCARD\r\n");
    const size_t cbBefore = AllocatedBytes();
    EXPECT_EQ(Describe(ReadAddressBook(source, nullptr)), "vcard\n1:||Before|1\n6:||After|2");
    EXPECT_LT(source.m_cbPeak, cbBefore + (size_t{4} << 20));
}

TEST(AddressBookReaderTest, TooLargeAndUnreadableFilesGiveTheirErrors)
{
    CGeneratedSource tooLarge("", (uint64_t{256} << 20) + 1, "");
    EXPECT_EQ(Describe(ReadAddressBook(tooLarge, nullptr)), "TooLarge");
    CGeneratedSource unreadable("BEGIN:VCARD\r\n", 10, "");
    unreadable.m_bReadable = false;
    EXPECT_EQ(Describe(ReadAddressBook(unreadable, nullptr)), "ReadFailed");
    std::string tiny = "First Name,Last Name\n";
    for (size_t i = 0; i <= kMaxContacts; ++i) {
        tiny += "a,\n";
    }
    CMemoryByteSource tooMany(tiny);
    EXPECT_EQ(Describe(ReadAddressBook(tooMany, nullptr)), "TooManyContacts");
}

// The header's cells and the columns read come with the result, also for a
// header of unknown columns; reading again with the member's choice reads
// those columns, and a column the header gave keeps the header's reading.
TEST(AddressBookReaderTest, ReadsAgainWithTheColumnsTheMemberChose)
{
    struct ChoiceCase {
        std::string bytes;
        CsvColumns choice;
        std::string header;
        std::string expected;
    };
    const ChoiceCase kCases[] = {
        {"Spitzname,Geburtstag,Notiz,Tel\nJo,1 May,07700 1,0770 2\n", {}, "Spitzname|Geburtstag|Notiz|Tel 0 - - -",
         "UnknownColumns"},
        {"Spitzname,Geburtstag,Notiz,Tel\nJo,1 May,07700 1,0770 2\n", {0, kNoColumn, 3}, "", "csv\n2:Jo|||0770 2"},
        {"First Name,Last Name,Home Phone,Mobile Phone\nAl,Bo,020 1,07700 2\nCy,Di,020 3,\n", {}, "",
         "csv\n2:Al|Bo||07700 2\n3:Cy|Di||020 3"},
        {"First Name,Last Name,Home Phone,Mobile Phone\nAl,Bo,020 1,07700 2\nCy,Di,020 3,\n", {1, 0, 3},
         "First Name|Last Name|Home Phone|Mobile Phone 1 1 0 3", "csv\n2:Bo|Al||07700 2\n3:Di|Cy||020 3"},
        {"Al;Bo;07700 1;x\n", {0, 1, 3}, "Al|Bo|07700 1|x 0 0 1 3", "csv\n1:Al|Bo||x"},
    };
    for (const ChoiceCase& row : kCases) {
        CMemoryByteSource source(row.bytes);
        const bool bChosen = row.choice.nFirst != kNoColumn || row.choice.nNumber != kNoColumn;
        const ReadResult result = ReadAddressBook(source, nullptr, bChosen ? &row.choice : nullptr);
        std::string header;
        for (const std::u16string& cell : result.header) {
            header += (header.empty() ? "" : "|") + Utf8(cell);
        }
        const auto column = [](size_t n) { return n == kNoColumn ? std::string("-") : std::to_string(n); };
        header += " " + std::to_string(result.bHeader) + " " + column(result.columns.nFirst) + " " +
                  column(result.columns.nLast) + " " + column(result.columns.nNumber);
        if (!row.header.empty()) {
            EXPECT_EQ(header, row.header) << row.bytes;
        }
        EXPECT_EQ(Describe(result), row.expected) << row.bytes;
    }
}

}  // namespace
