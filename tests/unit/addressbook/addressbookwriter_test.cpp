#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "addressbook/text/memorybytesource.h"
#include "addressbook/writers/addressbookwriter.h"
#include "contactstesttext.h"

namespace {

const std::vector<ExportContact> kSmall = {
    {u"John", u"Smith", u"00447700900123"},
    {u"Mary, Jr", u"O;Neil\\\"", u"00447700900124"},
    {u"=SUM(A1)", u"", u"+44"},
};

TEST(AddressBookWriterTest, WritesVCardCsvAndClipboardTextExactly)
{
    EXPECT_EQ(WriteVCard(kSmall),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John;;;\r\nFN:John Smith\r\nTEL;TYPE=CELL:00447700900123\r\n"
              "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nN:O\\;Neil\\\\\";Mary\\, Jr;;;\r\n"
              "FN:Mary\\, Jr O\\;Neil\\\\\"\r\nTEL;TYPE=CELL:00447700900124\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;=SUM(A1);;;\r\nFN:=SUM(A1)\r\nTEL;TYPE=CELL:+44\r\nEND:VCARD\r\n");
    EXPECT_EQ(WriteCsv(kSmall),
              "\xEF\xBB\xBF" "First Name,Last Name,Mobile Number\r\nJohn,Smith,00447700900123\r\n"
              "\"Mary, Jr\",\"O;Neil\\\"\"\",00447700900124\r\n'=SUM(A1),,'+44\r\n");
    EXPECT_EQ(ClipboardText(kSmall),
              u"John Smith\t00447700900123\r\nMary, Jr O;Neil\\\"\t00447700900124\r\n'=SUM(A1)\t'+44\r\n");
}

TEST(AddressBookWriterTest, FoldsAt75OctetsBetweenCharacters)
{
    const std::u16string name = std::u16string(71, u'a') + u"é" + std::u16string(80, u'b');
    const std::string vcard = WriteVCard({{name, u"", u"1"}});
    const std::string a71(71, 'a');
    const std::string b72(72, 'b');
    EXPECT_EQ(vcard, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;" + a71 + "\r\n é" + b72 + "\r\n bbbbbbbb;;;\r\nFN:" + a71 +
                         "\r\n é" + b72 + "\r\n bbbbbbbb\r\nTEL;TYPE=CELL:1\r\nEND:VCARD\r\n");
    CMemoryByteSource source(vcard);
    const ReadResult result = ReadAddressBook(source, nullptr);
    ASSERT_EQ(result.contacts.size(), 1u);
    EXPECT_EQ(result.contacts[0].given, name);
    EXPECT_EQ(result.contacts[0].formatted, name);
}

TEST(AddressBookWriterTest, GuardsCellsThatASpreadsheetWouldRun)
{
    const std::pair<std::u16string, std::u16string> kCells[] = {
        {u"=1+1", u"'=1+1"}, {u"+44", u"'+44"}, {u"-x", u"'-x"}, {u"@x", u"'@x"}, {u"\tx", u"'\tx"},
        {u"\rx", u"'\rx"},   {u"a=1", u"a=1"},  {u"", u""},      {u"0044", u"0044"}, {u"'x", u"'x"}};
    for (const auto& cell : kCells) {
        EXPECT_EQ(GuardFormula(cell.first), cell.second) << Utf8(cell.first);
        EXPECT_EQ(UnguardFormula(cell.second), cell.first) << Utf8(cell.first);
    }
}

// What is exported reads back, through the import's own checks, as the same contacts.
TEST(AddressBookWriterTest, ExportedContactsImportAsTheyWere)
{
    const std::vector<ExportContact> contacts = {
        {u"Mobile", u"Phone", u"00447700900010"},
        {u"Anna", u"Berg", u"00447700900001"},
        {u"Mary, Jr", u"O'Neil; \"Q\"", u"00447700900002"},
        {u"=SUM(A1)", u"+Plus", u"00447700900003"},
        {u"-Minus", u"@At", u"00447700900004"},
        {u"José Ñuñez", u"Müller-Lüdenscheidt", u"00447700900005"},
        {std::u16string(54, u'é'), std::u16string(54, u'y'), u"00447700900006"},
        {u"Back\\slash", u"", u"00447700900007"},
        {u" Spaced ", u"Tab\tInside", u"00447700900008"},
        {u"Ann", u"", u"0012125550100"},
        {u"\"Bo\"", u"Ek", u"00447700900009"},
    };
    for (bool bCsv : {false, true}) {
        CMemoryByteSource source(bCsv ? WriteCsv(contacts) : WriteVCard(contacts));
        const ImportPlan plan = PlanImport(ReadAddressBook(source, nullptr).contacts, {}, u"44");
        EXPECT_TRUE(plan.skipped.empty());
        ASSERT_EQ(plan.toAdd.size(), contacts.size());
        for (size_t i = 0; i < contacts.size(); ++i) {
            EXPECT_EQ(plan.toAdd[i].firstName, contacts[i].firstName) << (bCsv ? "CSV " : "vCard ") << i;
            EXPECT_EQ(plan.toAdd[i].lastName, contacts[i].lastName) << (bCsv ? "CSV " : "vCard ") << i;
            EXPECT_EQ(plan.toAdd[i].number, contacts[i].number) << (bCsv ? "CSV " : "vCard ") << i;
        }
    }
    // Copy's text gives each name whole, as a first name; one of 109 characters is too long.
    CMemoryByteSource text(Utf8(ClipboardText(contacts)));
    const ImportPlan plan = PlanImport(ReadAddressBook(text, nullptr).contacts, {}, u"44");
    ASSERT_EQ(plan.toAdd.size(), contacts.size() - 1);
    for (size_t i = 0, nAdded = 0; i < contacts.size(); ++i) {
        const ExportContact& contact = contacts[i];
        const std::u16string name =
            contact.lastName.empty() ? contact.firstName : contact.firstName + u" " + contact.lastName;
        if (name.size() <= 54) {
            EXPECT_EQ(Utf8(plan.toAdd[nAdded].firstName), Utf8(name)) << "text " << i;
            EXPECT_EQ(plan.toAdd[nAdded].lastName + plan.toAdd[nAdded].number, contact.number) << "text " << i;
            ++nAdded;
        }
    }
}

}  // namespace
