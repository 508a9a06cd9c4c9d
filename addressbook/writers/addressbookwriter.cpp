#include "addressbook/writers/addressbookwriter.h"

#include "addressbook/text/asciitext.h"
#include "addressbook/text/utf8.h"

namespace {

constexpr size_t kMaxLineOctets = 75;

std::u16string FullName(const ExportContact& contact)
{
    if (contact.lastName.empty()) {
        return contact.firstName;
    }
    return contact.firstName.empty() ? contact.lastName : contact.firstName + u" " + contact.lastName;
}

// RFC 2426 text: backslash, comma, semicolon and line ends escaped.
std::u16string EscapeVCardText(const std::u16string& text)
{
    std::u16string escaped;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i];
        if (ch == u'\r' || ch == u'\n') {
            escaped += u"\\n";
            i += ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 1 : 0;
            continue;
        }
        if (ch == u'\\' || ch == u',' || ch == u';') {
            escaped.push_back(u'\\');
        }
        escaped.push_back(ch);
    }
    return escaped;
}

size_t Utf8SequenceLength(unsigned char lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Folds with CRLF and one blank so that no line passes 75 octets, never
// inside a UTF-8 sequence.
void AppendContentLine(std::string& out, const std::u16string& line)
{
    std::string octets;
    AppendUtf8(octets, line);
    size_t cbLine = 0;
    for (size_t i = 0; i < octets.size();) {
        const size_t cbSequence = Utf8SequenceLength(static_cast<unsigned char>(octets[i]));
        if (cbLine + cbSequence > kMaxLineOctets) {
            out += "\r\n ";
            cbLine = 1;
        }
        out.append(octets, i, cbSequence);
        cbLine += cbSequence;
        i += cbSequence;
    }
    out += "\r\n";
}

bool NeedsQuotes(const std::u16string& cell)
{
    if (!cell.empty() && (IsBlank(cell.front()) || IsBlank(cell.back()))) {
        return true;
    }
    return cell.find_first_of(u",\"\r\n") != std::u16string::npos;
}

void AppendCsvCell(std::string& out, const std::u16string& text)
{
    const std::u16string cell = GuardFormula(text);
    if (!NeedsQuotes(cell)) {
        AppendUtf8(out, cell);
        return;
    }
    std::u16string quoted = u"\"";
    for (char16_t ch : cell) {
        quoted += ch == u'"' ? u"\"\"" : std::u16string(1, ch);
    }
    quoted.push_back(u'"');
    AppendUtf8(out, quoted);
}

// Tab-separated, as spreadsheets paste it: quoted only where it would not
// read back as it stands, so that the usual name stays plain text.
std::u16string ClipboardCell(const std::u16string& text)
{
    const std::u16string cell = GuardFormula(text);
    const bool bQuoted = !cell.empty() && (cell.front() == u'"' || IsBlank(cell.front()) || IsBlank(cell.back()) ||
                                           cell.find_first_of(u"\t\r\n") != std::u16string::npos);
    if (!bQuoted) {
        return cell;
    }
    std::u16string quoted = u"\"";
    for (char16_t ch : cell) {
        quoted += ch == u'"' ? u"\"\"" : std::u16string(1, ch);
    }
    return quoted + u"\"";
}

}  // namespace

std::string WriteVCard(const std::vector<ExportContact>& contacts)
{
    std::string out;
    for (const ExportContact& contact : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        AppendContentLine(out, u"N:" + EscapeVCardText(contact.lastName) + u";" + EscapeVCardText(contact.firstName) +
                                   u";;;");
        AppendContentLine(out, u"FN:" + EscapeVCardText(FullName(contact)));
        if (!contact.number.empty()) {
            AppendContentLine(out, u"TEL;TYPE=CELL:" + EscapeVCardText(contact.number));
        }
        out += "END:VCARD\r\n";
    }
    return out;
}

std::string WriteCsv(const std::vector<ExportContact>& contacts)
{
    std::string out = "\xEF\xBB\xBF" "First Name,Last Name,Mobile Number\r\n";
    for (const ExportContact& contact : contacts) {
        AppendCsvCell(out, contact.firstName);
        out += ",";
        AppendCsvCell(out, contact.lastName);
        out += ",";
        AppendCsvCell(out, contact.number);
        out += "\r\n";
    }
    return out;
}

std::u16string ClipboardText(const std::vector<ExportContact>& contacts)
{
    std::u16string text;
    for (const ExportContact& contact : contacts) {
        text += ClipboardCell(FullName(contact)) + u"\t" + ClipboardCell(contact.number) + u"\r\n";
    }
    return text;
}
