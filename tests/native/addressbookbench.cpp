// Times reading and planning address books, as a phone (vCard 3.0 with
// addresses, notes and a small photo each) and as a mail program (an
// Outlook-like CSV) write them, of 5,000 and 100,000 contacts, and a hostile
// CSV whose header holds 1,023 telephone columns (511 "Phone 1 - Type" and
// 512 "Phone 1 - Value": one index for all), with short records and with
// records that fill every column; and 100,000 contacts of 32 numbers each, the
// most the reader keeps. Prints the median time and the peak of
// heap memory in use (in a build without the sanitizers). Checks nothing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "addressbook/addressbookreader.h"
#include "addressbook/importplan.h"
#include "addressbook/text/memorybytesource.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QB_SANITIZED 1
#endif
#endif

namespace {

std::atomic<size_t> g_cbLive{0};
std::atomic<size_t> g_cbPeak{0};

std::string Number(int i) { return "07700 9" + std::to_string(10000 + i % 90000); }

std::string VCardFile(int nContacts)
{
    std::string file;
    const std::string photo(60, 'Q');
    for (int i = 0; i < nContacts; ++i) {
        file += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Family" + std::to_string(i) + ";Given;;;\r\nFN:Given Family\r\n"
                "TEL;TYPE=HOME:020 7946 0000\r\nTEL;TYPE=CELL:" + Number(i) + "\r\nEMAIL:given@example.com\r\n"
                "ADR;TYPE=HOME:;;1 Road;Town;;AB1 2CD;UK\r\nNOTE:met at the conference\\, table 4\r\n"
                "PHOTO;ENCODING=b;TYPE=JPEG:" + photo + "\r\n " + photo + "\r\nEND:VCARD\r\n";
    }
    return file;
}

std::string CsvFile(int nContacts)
{
    std::string file = "\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Business Phone\",\"Home Phone\","
                       "\"Mobile Phone\",\"E-mail Address\",\"Notes\"\r\n";
    for (int i = 0; i < nContacts; ++i) {
        file += "\"Given\",\"\",\"Family" + std::to_string(i) + "\",\"Firm\",\"020 7946 0000\",\"\",\"" + Number(i) +
                "\",\"given@example.com\",\"met at the conference, table 4\"\r\n";
    }
    return file;
}

std::string WideHeaderFile(int nRecords, bool bFull)
{
    std::string file = "Name";
    for (int i = 0; i < 1023; ++i) {
        file += i % 2 == 0 ? ",Phone 1 - Value" : ",Phone 1 - Type";
    }
    file += "\n";
    for (int i = 0; i < nRecords; ++i) {
        file += "Ann " + std::to_string(i) + "," + Number(i);
        for (int j = 1; bFull && j < 1023; ++j) {
            file += j % 2 == 0 ? ",1" : ",Home";
        }
        file += "\n";
    }
    return file;
}

// The most a contact holds: 32 telephones, each with a number.
std::string ManyPhonesFile(int nContacts)
{
    std::string file = "First Name,Last Name";
    for (int i = 0; i < 32; ++i) {
        file += ",Other Phone";
    }
    file += "\n";
    for (int i = 0; i < nContacts; ++i) {
        file += "Ann,Lee" + std::to_string(i);
        for (int j = 0; j < 32; ++j) {
            file += "," + Number(i * 32 + j);
        }
        file += "\n";
    }
    return file;
}

struct Figures {
    double ms;
    size_t cbPeak;
    size_t nAdded;
};

Figures Measure(const std::string& file, int nRuns)
{
    const std::vector<std::u16string> existing(300, u"00447700900000");
    std::vector<double> times;
    Figures figures = {0, 0, 0};
    for (int run = 0; run < nRuns; ++run) {
        const size_t cbBefore = g_cbLive.load();
        g_cbPeak.store(cbBefore);
        const auto start = std::chrono::steady_clock::now();
        CMemoryByteSource source(file);
        const ImportPlan plan = PlanImport(ReadAddressBook(source, nullptr).contacts, existing, u"44");
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        figures.cbPeak = g_cbPeak.load() - cbBefore;
        figures.nAdded = plan.toAdd.size();
    }
    std::sort(times.begin(), times.end());
    figures.ms = times[times.size() / 2];
    return figures;
}

void Report(const char* pszWhat, const std::string& file, int nRuns)
{
    const Figures figures = Measure(file, nRuns);
#if defined(QB_SANITIZED)
    const std::string peak = "(sanitized build)";
#else
    const std::string peak = std::to_string((figures.cbPeak + (1 << 19)) >> 20) + " MB peak heap";
#endif
    std::printf("%-36s %10zu bytes %7zu to add %9.1f ms  %s\n", pszWhat, file.size(), figures.nAdded, figures.ms,
                peak.c_str());
    std::fflush(stdout);
}

}  // namespace

#if !defined(QB_SANITIZED)
// Counts the heap in use: each block carries its size in front of it.
void* operator new(size_t cb)
{
    auto* p = static_cast<size_t*>(std::malloc(cb + sizeof(max_align_t)));
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    *p = cb;
    const size_t cbLive = g_cbLive += cb;
    size_t cbPeak = g_cbPeak.load();
    while (cbLive > cbPeak && !g_cbPeak.compare_exchange_weak(cbPeak, cbLive)) {
    }
    return reinterpret_cast<char*>(p) + sizeof(max_align_t);
}

void operator delete(void* pBlock) noexcept
{
    if (pBlock != nullptr) {
        auto* p = reinterpret_cast<size_t*>(static_cast<char*>(pBlock) - sizeof(max_align_t));
        g_cbLive -= *p;
        std::free(p);
    }
}

void operator delete(void* pBlock, size_t) noexcept { operator delete(pBlock); }
#endif

int main()
{
    for (int nContacts : {5000, 100000}) {
        const int nRuns = nContacts > 10000 ? 3 : 7;
        Report(("vCard, " + std::to_string(nContacts) + " contacts").c_str(), VCardFile(nContacts), nRuns);
        Report(("CSV, " + std::to_string(nContacts) + " contacts").c_str(), CsvFile(nContacts), nRuns);
    }
    Report("1,023-column header, 5,000 short rows", WideHeaderFile(5000, false), 7);
    Report("1,023-column header, 2,000 full rows", WideHeaderFile(2000, true), 3);
    Report("CSV, 100000 contacts of 32 numbers", ManyPhonesFile(100000), 3);
    return 0;
}
