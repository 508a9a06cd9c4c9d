// Times reading and planning an address book of 5,000 contacts, as a phone
// (vCard 3.0 with addresses, notes and a small photo each) and as a mail
// program (an Outlook-like CSV) write it. Prints the median of seven runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "addressbook/text/memorybytesource.h"

namespace {

constexpr int kContacts = 5000;

std::string Number(int i) { return "07700 9" + std::to_string(10000 + i); }

std::string VCardFile()
{
    std::string file;
    const std::string photo(60, 'Q');
    for (int i = 0; i < kContacts; ++i) {
        file += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family" + std::to_string(i) + ";Given;;;\r\nFN:Given Family\r\n"
                "TEL;TYPE=HOME:020 7946 0000\r\nTEL;TYPE=CELL:" + Number(i) + "\r\nEMAIL:given@example.com\r\n"
                "ADR;TYPE=HOME:;;1 Road;Town;;AB1 2CD;UK\r\nNOTE:met at the conference\\, table 4\r\n"
                "PHOTO;ENCODING=b;TYPE=JPEG:" + photo + "\r\n " + photo + "\r\nEND:VCARD\r\n";
    }
    return file;
}

std::string CsvFile()
{
    std::string file = "\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Business Phone\",\"Home Phone\","
                       "\"Mobile Phone\",\"E-mail Address\",\"Notes\"\r\n";
    for (int i = 0; i < kContacts; ++i) {
        file += "\"Given\",\"\",\"Family" + std::to_string(i) + "\",\"Firm\",\"020 7946 0000\",\"\",\"" + Number(i) +
                "\",\"given@example.com\",\"met at the conference, table 4\"\r\n";
    }
    return file;
}

double MedianMilliseconds(const std::string& file, size_t& nAdded)
{
    const std::vector<std::u16string> existing(300, u"00447700900000");
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        CMemoryByteSource source(file);
        const ImportPlan plan = PlanImport(ReadAddressBook(source, nullptr).contacts, existing, u"44");
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        nAdded = plan.toAdd.size();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    for (const auto& format : {std::make_pair("vCard", VCardFile()), std::make_pair("CSV", CsvFile())}) {
        size_t nAdded = 0;
        const double ms = MedianMilliseconds(format.second, nAdded);
        std::printf("%-5s %7zu bytes  %zu to add  %.1f ms\n", format.first, format.second.size(), nAdded, ms);
    }
    return 0;
}
