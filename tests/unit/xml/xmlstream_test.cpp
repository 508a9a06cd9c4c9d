#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "xml/tracewriter.h"
#include "xml/xmlparsernode.h"
#include "xml/xmlstream.h"

namespace {

struct Event
{
    std::string kind;
    std::string name;
    std::string value;
    std::string attributes;

    bool operator==(const Event& other) const
    {
        return kind == other.kind && name == other.name && value == other.value && attributes == other.attributes;
    }
};

void PrintTo(const Event& event, std::ostream* pStream)
{
    *pStream << event.kind << "(" << event.name << ", \"" << event.value << "\", \"" << event.attributes << "\")";
}

Event Node(const std::string& name, const std::string& attributes = "") { return {"node", name, "", attributes}; }

Event Element(const std::string& name, const std::string& value = "", const std::string& attributes = "")
{
    return {"element", name, value, attributes};
}

class RecordingReceiver : public IXmlStreamReceiver
{
public:
    bool OnFoundNode(const char* pszName, const char* pszAttributes) override
    {
        events.push_back(Node(pszName, pszAttributes));
        return true;
    }

    bool OnFoundElement(const char* pszName, const char* pszValue, const char* pszAttributes) override
    {
        events.push_back(Element(pszName, pszValue, pszAttributes));
        return true;
    }

    std::vector<Event> events;
};

class MockReceiver : public IXmlStreamReceiver
{
public:
    MOCK_METHOD(bool, OnFoundNode, (const char*, const char*), (override));
    MOCK_METHOD(bool, OnFoundElement, (const char*, const char*, const char*), (override));
};

// Sends the trace into a string for the lifetime of the object, keeping the
// size of each block written.
class TraceCapture : public CTraceOutput
{
public:
    TraceCapture() : m_pPrevious(SetTraceOutput(this)) {}
    ~TraceCapture() override { SetTraceOutput(m_pPrevious); }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    void Write(const char* pch, size_t cb) override
    {
        m_text.append(pch, cb);
        blockSizes.push_back(cb);
    }
    // Everything traced so far, also what is still buffered.
    std::string Text() const
    {
        Trace().Flush();
        return m_text;
    }
    // Only what has been written out.
    const std::string& Written() const { return m_text; }

    std::vector<size_t> blockSizes;

private:
    std::string m_text;
    CTraceOutput* m_pPrevious;
};

struct ParseResult
{
    bool bOk = false;
    std::vector<Event> events;
    std::string trace;
};

// The parser gets a heap copy with no terminating NUL, so a read past the length is a
// memory error that the sanitizer build reports.
ParseResult Parse(const std::string& document, IXmlStreamReceiver* pReceiver, int nLength)
{
    std::unique_ptr<char[]> pText(new char[document.size()]);
    document.copy(pText.get(), document.size());
    TraceCapture capture;
    CXmlStream xmlStream;
    xmlStream.SetReceiver(pReceiver);
    ParseResult result;
    result.bOk = xmlStream.ParseDocument(pText.get(), nLength);
    result.trace = capture.Text();
    return result;
}

ParseResult Parse(const std::string& document)
{
    RecordingReceiver receiver;
    ParseResult result = Parse(document, &receiver, static_cast<int>(document.size()));
    result.events = receiver.events;
    return result;
}

std::vector<Event> EventsOf(const std::string& document) { return Parse(document).events; }

// <n0><n1>...inner...</n1></n0>: distinct names, so every level really recurses.
std::string Nested(int nLevels, const std::string& inner)
{
    std::string document;
    for (int i = 0; i < nLevels; ++i) {
        document += "<n" + std::to_string(i) + ">";
    }
    document += inner;
    for (int i = nLevels - 1; i >= 0; --i) {
        document += "</n" + std::to_string(i) + ">";
    }
    return document;
}

std::vector<Event> NestedNodes(int nLevels)
{
    std::vector<Event> events;
    for (int i = 0; i < nLevels; ++i) {
        events.push_back(Node("n" + std::to_string(i)));
    }
    return events;
}

std::vector<int> ScannerIdsIn(const std::string& trace)
{
    std::vector<int> ids;
    const std::string marker = "parse node: ";
    for (size_t at = trace.find(marker); at != std::string::npos; at = trace.find(marker, at + 1)) {
        ids.push_back(std::stoi(trace.substr(at + marker.size())));
    }
    return ids;
}

using Events = std::vector<Event>;

}  // namespace

TEST(XmlStreamTest, RejectsNullAndEmptyInputWithoutTraceOrNotification)
{
    testing::StrictMock<MockReceiver> receiver;
    TraceCapture capture;
    CXmlStream xmlStream;
    xmlStream.SetReceiver(&receiver);
    EXPECT_FALSE(xmlStream.ParseDocument(nullptr, 5));
    EXPECT_FALSE(xmlStream.ParseDocument("<a>1</a>", 0));
    EXPECT_FALSE(xmlStream.ParseDocument("<a>1</a>", -1));
    EXPECT_EQ("", capture.Text());
}

TEST(XmlStreamTest, LeafElementForms)
{
    EXPECT_EQ(Events{Element("a")}, EventsOf("<a></a>"));
    EXPECT_EQ(Events{Element("a")}, EventsOf("<a/>"));
    EXPECT_EQ(Events{Element("a")}, EventsOf("<a />"));
    EXPECT_EQ(Events{Element("b", "", "x=\"1\"")}, EventsOf("<b x=\"1\"/>"));
    EXPECT_EQ((Events{Element("a", "v"), Element("b"), Element("c", "w")}), EventsOf("<a>v</a><b/><c>w</c>"));
}

TEST(XmlStreamTest, AttributeTextIsRawAndOnlyASpaceEndsTheName)
{
    EXPECT_EQ(Events{Element("a", "v", " x=\"1\"")}, EventsOf("<a  x=\"1\">v</a>"));
    EXPECT_EQ(Events{Element("a", "v", "x=\"1\" y='a/b'")}, EventsOf("<a x=\"1\" y='a/b'>v</a>"));
    // The end tag built from "a<tab>x=..." never occurs, so the level ends there.
    EXPECT_EQ(Events{Element("z", "0")}, EventsOf("<z>0</z><a\tx=\"1\">v</a><b>2</b>"));
}

TEST(XmlStreamTest, ValuesAreDeliveredRaw)
{
    EXPECT_EQ(Events{Element("a", "1 &amp; 2")}, EventsOf("<a>1 &amp; 2</a>"));
    EXPECT_EQ(Events{Element("a", " x ")}, EventsOf("<a> x </a>"));
    EXPECT_EQ(Events{Element("a", "\r\n\tx\xE9\x80")}, EventsOf("<a>\r\n\tx\xE9\x80</a>"));
}

TEST(XmlStreamTest, DeclarationEndsTheTopLevel)
{
    const std::string body = "<r><a>1</a></r>";
    EXPECT_EQ(Events{}, EventsOf("<?xml version=\"1.0\"?>" + body));
    EXPECT_EQ((Events{Node("r"), Element("a", "1")}), EventsOf(body));
}

TEST(XmlStreamTest, TextOutsideStartTagsIsSkipped)
{
    EXPECT_EQ((Events{Node("a"), Element("b", "1")}), EventsOf("<a>x<b>1</b>y</a>"));
    EXPECT_EQ((Events{Node("a"), Element("b", "t", "x=\"1\"")}), EventsOf("<a><b x=\"1\">t</b></a>"));
    EXPECT_EQ((Events{Element("a", "1"), Element("b", "2")}), EventsOf("lead<a>1</a> mid <b>2</b>tail"));
    // Any "<" in the content makes a node, even in plain text.
    EXPECT_EQ(Events{Node("a")}, EventsOf("<a>1 < 2</a>"));
}

TEST(XmlStreamTest, MalformedInputEndsOnlyItsOwnLevel)
{
    EXPECT_EQ(Events{Node("a")}, EventsOf("<a><a>1</a></a>"));
    EXPECT_EQ((Events{Node("r"), Node("a"), Element("c", "3")}), EventsOf("<r><a><a>1</a></a></r><c>3</c>"));
    EXPECT_EQ(Events{Element("a", "1")}, EventsOf("<a>1</a><b>2<c>3</c>"));
    EXPECT_EQ(Events{Element("a", "1")}, EventsOf("<a>1</a><b"));
    EXPECT_EQ(Events{}, EventsOf("</x><a>1</a>"));
    EXPECT_EQ((Events{Node("r"), Element("a", "1"), Element("c", "3")}),
              EventsOf("<r><a>1</a><b>2</r><c>3</c>"));
}

TEST(XmlStreamTest, EmptyNameIsNotReportedButScanningGoesOn)
{
    EXPECT_EQ(Events{Element("a", "1")}, EventsOf("<>x</><a>1</a>"));
    EXPECT_EQ(Events{Element("b", "1")}, EventsOf("<><b>1</b></>"));
    const ParseResult result = Parse("<>x</>");
    EXPECT_EQ(std::string::npos, result.trace.find("Found"));
}

TEST(XmlStreamTest, ScansAndTracesWithoutReceiver)
{
    const std::string document = "<a><b>1</b></a>";
    const ParseResult result = Parse(document, nullptr, static_cast<int>(document.size()));
    EXPECT_TRUE(result.bOk);
    EXPECT_NE(std::string::npos, result.trace.find("Found Element: \nname: b\nvalue: 1\n"));
}

TEST(XmlStreamTest, NeverLooksPastTheLength)
{
    RecordingReceiver receiver;
    const ParseResult result = Parse("<a>1</a><b>2</b>", &receiver, 8);
    EXPECT_EQ(Events{Element("a", "1")}, receiver.events);
    EXPECT_EQ(0u, result.trace.find("----- parse document -----\n<a>1</a>\n\n"));

    RecordingReceiver cutReceiver;
    Parse("<a>1</a>", &cutReceiver, 7);
    EXPECT_EQ(Events{}, cutReceiver.events);
}

TEST(XmlStreamTest, WritesTheExactTraceBeforeEachNotification)
{
    const std::string document = "<a><b x=\"1\">t</b><c/></a>";
    const int nFirstId = CXmlParserNode().GetId() + 1;
    const ParseResult result = Parse(document);
    const std::string expected = "----- parse document -----\n" + document + "\n\n"
                                 "----- start parsing -----\n\n"
                                 "parse node: " + std::to_string(nFirstId) + "\n\n"
                                 "Found Node: \nname: a\n\n"
                                 "parse node: " + std::to_string(nFirstId + 1) + "\n\n"
                                 "Found Element: \nname: b\nvalue: t\nattributes: x=\"1\"\n\n"
                                 "Found Element: \nname: c\n\n";
    EXPECT_EQ(expected, result.trace);

    class SnapshotReceiver : public IXmlStreamReceiver
    {
    public:
        explicit SnapshotReceiver(const TraceCapture& capture) : m_capture(capture) {}
        bool OnFoundNode(const char*, const char*) override { return Take(); }
        bool OnFoundElement(const char*, const char*, const char*) override { return Take(); }
        std::vector<std::string> snapshots;

    private:
        bool Take()
        {
            snapshots.push_back(m_capture.Text());
            return true;
        }
        const TraceCapture& m_capture;
    };
    TraceCapture capture;
    SnapshotReceiver receiver(capture);
    CXmlStream xmlStream;
    xmlStream.SetReceiver(&receiver);
    xmlStream.ParseDocument("<a><b>t</b></a>", 15);
    ASSERT_EQ(2u, receiver.snapshots.size());
    EXPECT_THAT(receiver.snapshots[0], testing::EndsWith("Found Node: \nname: a\n\n"));
    EXPECT_THAT(receiver.snapshots[1], testing::EndsWith("Found Element: \nname: b\nvalue: t\n\n"));
}

TEST(XmlStreamTest, ScannerNumbersKeepRisingAcrossDocuments)
{
    const std::vector<int> first = ScannerIdsIn(Parse("<a><b>1</b></a>").trace);
    const std::vector<int> second = ScannerIdsIn(Parse("<a><b>1</b></a>").trace);
    ASSERT_EQ(2u, first.size());
    ASSERT_EQ(2u, second.size());
    EXPECT_LT(first[0], first[1]);
    EXPECT_LT(first[1], second[0]);
    EXPECT_LT(second[0], second[1]);
}

TEST(XmlStreamTest, NestingBelowTheBoundIsReportedWhole)
{
    const int nLevels = CXmlStream::kMaxNestingDepth - 1;
    Events expected = NestedNodes(nLevels - 1);
    expected.push_back(Element("deep", "v"));
    expected.push_back(Element("late", "1"));
    EXPECT_EQ(expected, EventsOf(Nested(nLevels - 1, "<deep>v</deep><late>1</late>")));
}

TEST(XmlStreamTest, ElementAtTheBoundEndsItsLevel)
{
    const int nLevels = CXmlStream::kMaxNestingDepth;
    Events expected = NestedNodes(nLevels - 1);
    expected.push_back(Element("tail", "1"));
    EXPECT_EQ(expected, EventsOf(Nested(nLevels - 1, "<deep>v</deep><late>1</late>") + "<tail>1</tail>"));
}

TEST(XmlStreamTest, HostileNestingFinishesAndKeepsEarlierReports)
{
    Events expected = NestedNodes(CXmlStream::kMaxNestingDepth - 1);
    expected.push_back(Element("tail", "1"));
    const ParseResult result = Parse(Nested(100000, "v") + "<tail>1</tail>");
    EXPECT_TRUE(result.bOk);
    EXPECT_EQ(expected, result.events);
}

std::string LargeDetailsDocument(int nContacts)
{
    std::string document = "<details>";
    for (int i = 0; i < nContacts; ++i) {
        const std::string id = std::to_string(i);
        document += "<contact><id>" + id + "</id><fn>First" + id + "</fn><ln>Last</ln><cn>0777" + id + "</cn></contact>";
    }
    return document + "<credits>12</credits></details>";
}

TEST(XmlStreamTest, LargeDetailsDocumentParsesInLinearTime)
{
    const std::string document = LargeDetailsDocument(10000);

    const auto start = std::chrono::steady_clock::now();
    const ParseResult result = Parse(document);
    const auto elapsed = std::chrono::steady_clock::now() - start;

    ASSERT_EQ(1u + 10000u * 5u + 1u, result.events.size());
    EXPECT_EQ(Node("details"), result.events.front());
    EXPECT_EQ(Element("cn", "07779999"), result.events[result.events.size() - 2]);
    EXPECT_EQ(Element("credits", "12"), result.events.back());
    // Generous: a quadratic scan of this document would take minutes.
    EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST(XmlStreamTest, TraceGoesOutInWholeBlocksAndNothingStaysBehindADocument)
{
    const std::string document = LargeDetailsDocument(2000);
    TraceCapture capture;
    CXmlStream xmlStream;
    xmlStream.ParseDocument(document.data(), static_cast<int>(document.size()));

    const std::string& written = capture.Written();
    EXPECT_EQ(0u, written.find("----- parse document -----\n" + document + "\n\n----- start parsing -----\n\n"));
    EXPECT_THAT(written, testing::EndsWith("Found Element: \nname: credits\nvalue: 12\n\n"));
    ASSERT_GT(capture.blockSizes.size(), 2u);
    capture.blockSizes.pop_back();
    EXPECT_THAT(capture.blockSizes, testing::Each(CTraceWriter::kBlockSize));
}
