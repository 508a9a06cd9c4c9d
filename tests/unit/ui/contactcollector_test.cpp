#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/widetextpool.h"
#include "ui/console/contactcollector.h"

namespace {

using ::testing::ElementsAreArray;

// "node", or "name=value" for an element.
void Feed(CContactCollector& collector, const std::vector<std::string>& events)
{
    for (const std::string& event : events) {
        const size_t nEquals = event.find('=');
        if (nEquals == std::string::npos) {
            collector.OnNode();
        } else {
            collector.OnElement(event.substr(0, nEquals).c_str(), event.substr(nEquals + 1).c_str());
        }
    }
    collector.Finish();
}

// Id, name, number and first/last name of a record, joined by "|".
std::wstring Record(const CContact& contact)
{
    return std::wstring(contact.m_bstrId) + L"|" + contact.m_bstrName + L"|" + contact.m_bstrNumber + L"|" +
           contact.m_bstrFirstName + L"/" + contact.m_bstrLastName;
}

struct CollectCase {
    const char* pszWhat;
    std::vector<std::string> events;
    std::vector<std::wstring> rows;
    std::vector<std::wstring> records;
};

TEST(ContactCollectorTest, RowsReadAsTheirRecordStoodAtItsNumber)
{
    const CollectCase cases[] = {
        {"a wrapping node's record is replaced by the first contact's",
         {"node", "id=7", "node", "id=1", "fn=Ann", "ln=Lee", "cn=0777", "node", "fn=Ben", "cn=0733"},
         {L"Ann Lee (0777)", L"Ben (0733)"},
         {L"1|Ann Lee|0777|Ann/Lee", L"|Ben|0733|Ben/"}},
        {"elements before the first node and nodes without a number make no row",
         {"id=9", "cn=0700", "node", "id=2", "fn=Cy", "node"},
         {},
         {}},
        {"an empty last name keeps its blank",
         {"node", "fn=Ann", "ln=", "cn=0777"},
         {L"Ann  (0777)"},
         {L"|Ann |0777|Ann/"}},
        {"the first name keeps where it ends, blanks and all",
         {"node", "fn=Ann Mary", "ln=Lee Ray", "cn=0777", "node", "ln=Ray", "cn=0788"},
         {L"Ann Mary Lee Ray (0777)", L" Ray (0788)"},
         {L"|Ann Mary Lee Ray|0777|Ann Mary/Lee Ray", L"| Ray|0788|/Ray"}},
        {"a second number lists a copy; later elements change only the record",
         {"node", "id=3", "fn=Ann", "cn=0711", "cn=0722", "ln=Lee", "id=5", "node", "id=4", "fn=Ben", "cn=0733"},
         {L"Ann (0711)", L"Ann (0722)", L"Ben (0733)"},
         {L"3|Ann|0722|Ann/", L"5|Ann Lee|0722|Ann/Lee", L"4|Ben|0733|Ben/"}},
    };
    for (const CollectCase& test : cases) {
        SCOPED_TRACE(test.pszWhat);
        CWideTextPool pool;
        CContactCollector collector(pool);
        Feed(collector, test.events);
        std::vector<std::wstring> rows;
        size_t cbRows = 0;
        for (size_t nRow = 0; nRow < collector.RowCount(); ++nRow) {
            rows.push_back(collector.RowText(nRow));
            cbRows += (rows.back().size() + 1) * sizeof(wchar_t);
        }
        EXPECT_THAT(rows, ElementsAreArray(test.rows));
        EXPECT_EQ(collector.RowTextBytes(), cbRows);
        std::vector<std::wstring> records;
        for (const auto& pContact : collector.TakeRecords()) {
            records.push_back(Record(*pContact));
        }
        EXPECT_THAT(records, ElementsAreArray(test.records));
        EXPECT_EQ(collector.RowCount(), 0u);
    }
}

TEST(ContactCollectorTest, ClearForgetsThePendingRecordToo)
{
    CWideTextPool pool;
    CContactCollector collector(pool);
    collector.OnNode();
    collector.OnElement("fn", "Ann");
    collector.OnElement("cn", "0777");
    collector.Clear();
    collector.OnElement("cn", "0788");
    collector.Finish();
    EXPECT_EQ(collector.RowCount(), 0u);
}

}  // namespace
