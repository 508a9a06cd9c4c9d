#include <winsock2.h>

#include "standinclient.h"

#include <algorithm>
#include <cstdlib>

namespace {

const unsigned short kDefaultPort = 8444;
const DWORD kTimeoutMs = 30000;
const char kPattern[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Winsock counts its users, so each call may start and stop it on its own.
class CWinsock {
public:
    CWinsock() noexcept
    {
        WSADATA data;
        m_bStarted = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~CWinsock()
    {
        if (m_bStarted) {
            ::WSACleanup();
        }
    }
    CWinsock(const CWinsock&) = delete;
    CWinsock& operator=(const CWinsock&) = delete;
    bool IsStarted() const noexcept { return m_bStarted; }

private:
    bool m_bStarted = false;
};

class CSocket {
public:
    CSocket() noexcept : m_socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    ~CSocket()
    {
        if (m_socket != INVALID_SOCKET) {
            ::closesocket(m_socket);
        }
    }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    SOCKET Get() const noexcept { return m_socket; }

private:
    SOCKET m_socket;
};

bool ConnectLoopback(const CSocket& sock, unsigned short port)
{
    if (sock.Get() == INVALID_SOCKET) {
        return false;
    }
    // A stand-in that hangs must fail the test, not block it forever.
    DWORD dwTimeout = kTimeoutMs;
    ::setsockopt(sock.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeout),
                 sizeof(dwTimeout));
    ::setsockopt(sock.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&dwTimeout),
                 sizeof(dwTimeout));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    return ::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool SendAll(const CSocket& sock, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size()) {
        const size_t chunk = std::min<size_t>(data.size() - sent, 1 << 20);
        const int n = ::send(sock.Get(), data.data() + sent, static_cast<int>(chunk), 0);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

bool ReceiveAll(const CSocket& sock, std::string& data)
{
    char buffer[65536];
    for (;;) {
        const int n = ::recv(sock.Get(), buffer, sizeof(buffer), 0);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            return false;
        }
        data.append(buffer, static_cast<size_t>(n));
    }
}

// "HTTP/1.0 200 OK\r\n...\r\n\r\nbody": true for status 200, with the body split off.
bool ParseReply(const std::string& reply, std::string& body)
{
    const size_t headEnd = reply.find("\r\n\r\n");
    if (headEnd == std::string::npos || reply.compare(0, 5, "HTTP/") != 0) {
        return false;
    }
    const size_t space = reply.find(' ');
    if (space == std::string::npos || reply.compare(space + 1, 4, "200 ") != 0) {
        return false;
    }
    body = reply.substr(headEnd + 4);
    return true;
}

std::string Hex2(unsigned char c)
{
    const char* digits = "0123456789abcdef";
    return std::string{digits[c >> 4], digits[c & 15]};
}

// Bytes as a JSON string: every byte outside printable ASCII becomes \u00XX,
// which the service maps back to that byte.
std::string JsonString(const std::string& bytes)
{
    std::string json = "\"";
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            json += "\\u00" + Hex2(c);
        } else {
            json += ch;
        }
    }
    return json + "\"";
}

std::string JsonBool(bool b)
{
    return b ? "true" : "false";
}

std::string UrlEncode(const std::string& bytes)
{
    std::string encoded;
    for (const char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            encoded += ch;
        } else {
            encoded += "%" + Hex2(c);
        }
    }
    return encoded;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool HexDecode(const std::string& hex, std::string& bytes)
{
    if (hex.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// The service ends every line with "\n", so the piece after the last one is empty.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines = Split(text, '\n');
    if (lines.back().empty()) {
        lines.pop_back();
    }
    return lines;
}

std::string ContactJson(const StandinContact& contact)
{
    return "{\"id\":" + JsonString(contact.id) + ",\"fn\":" + JsonString(contact.fn) +
           ",\"ln\":" + (contact.ln ? JsonString(*contact.ln) : std::string("null")) +
           ",\"cn\":" + JsonString(contact.cn) + "}";
}

std::string AccountJson(const StandinAccount& account)
{
    std::string json = "{\"email\":" + JsonString(account.email) +
                       ",\"password\":" + JsonString(account.password) +
                       ",\"credits\":" + JsonString(account.credits) +
                       ",\"cannot_provide\":" + JsonBool(account.cannotProvide);
    if (account.generate > 0) {
        return json + ",\"generate\":" + std::to_string(account.generate) + "}";
    }
    json += ",\"contacts\":[";
    for (size_t i = 0; i < account.contacts.size(); ++i) {
        json += (i ? "," : "") + ContactJson(account.contacts[i]);
    }
    return json + "]}";
}

const char* FramingName(StandinAnswer::Framing framing)
{
    switch (framing) {
    case StandinAnswer::Framing::Chunked:
        return "chunked";
    case StandinAnswer::Framing::Close:
        return "close";
    default:
        return "length";
    }
}

std::string AnswerJson(const StandinAnswer& answer)
{
    const char* cutMode = answer.cutMode == StandinAnswer::CutMode::Close ? "close" : "reset";
    return "{\"body\":" + JsonString(answer.body) +
           ",\"status\":" + std::to_string(answer.status) +
           ",\"framing\":\"" + FramingName(answer.framing) + "\"" +
           ",\"delay_ms\":" + std::to_string(answer.delayMs) +
           ",\"cut_after\":" + std::to_string(answer.cutAfter) +
           ",\"cut_mode\":\"" + cutMode + "\"" +
           ",\"size\":" + std::to_string(answer.size) +
           ",\"page404\":" + JsonBool(answer.page404) +
           ",\"repeat\":" + std::to_string(answer.repeat) +
           ",\"location\":" + JsonString(answer.location) +
           ",\"fault\":" + JsonString(answer.fault) + "}";
}

bool ParseRequestLine(const std::string& line, RecordedRequest& request)
{
    const std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() != 4) {
        return false;
    }
    request.method = fields[0];
    request.path = fields[1];
    return HexDecode(fields[2], request.headers) && HexDecode(fields[3], request.body);
}

}  // namespace

CStandinClient::CStandinClient() : m_port(DefaultPort()) {}

CStandinClient::CStandinClient(unsigned short port) : m_port(port) {}

unsigned short CStandinClient::DefaultPort()
{
    char szPort[16] = {};
    const DWORD dwLength = ::GetEnvironmentVariableA("QB_CONTROL_PORT", szPort, sizeof(szPort));
    if (dwLength == 0 || dwLength >= sizeof(szPort)) {
        return kDefaultPort;
    }
    const long port = std::strtol(szPort, nullptr, 10);
    return port > 0 && port < 65536 ? static_cast<unsigned short>(port) : kDefaultPort;
}

bool CStandinClient::Call(const char* method, const std::string& path, const std::string& json,
                          std::string& body) const
{
    CWinsock winsock;
    if (!winsock.IsStarted()) {
        return false;
    }
    CSocket sock;
    if (!ConnectLoopback(sock, m_port)) {
        return false;
    }
    const std::string request = std::string(method) + " " + path + " HTTP/1.0\r\n" +
                                "Host: 127.0.0.1:" + std::to_string(m_port) + "\r\n" +
                                "Connection: close\r\n" +
                                "Content-Type: application/json\r\n" +
                                "Content-Length: " + std::to_string(json.size()) + "\r\n\r\n" +
                                json;
    std::string reply;
    return SendAll(sock, request) && ReceiveAll(sock, reply) && ParseReply(reply, body);
}

bool CStandinClient::Post(const std::string& path, const std::string& json) const
{
    std::string body;
    return Call("POST", path, json, body);
}

bool CStandinClient::Reset()
{
    return Post("/reset", "");
}

bool CStandinClient::SetAccount(const StandinAccount& account)
{
    return Post("/account", AccountJson(account));
}

bool CStandinClient::QueueAnswer(const StandinAnswer& answer)
{
    return Post("/answer", AnswerJson(answer));
}

bool CStandinClient::UseCertificate(const std::string& which)
{
    return Post("/certificate", "{\"cert\":" + JsonString(which) + "}");
}

bool CStandinClient::QueueConnectionFault(const std::string& fault)
{
    return Post("/connection", "{\"fault\":" + JsonString(fault) + "}");
}

int CStandinClient::PendingConnectionFaults()
{
    std::string text;
    return Call("GET", "/connection", "", text) ? std::atoi(text.c_str()) : -1;
}

bool CStandinClient::ClearRequests()
{
    return Post("/requests/clear", "");
}

bool CStandinClient::HoldRequest(int nAfter)
{
    return Post("/hold", "{\"after\":" + std::to_string(nAfter) + "}");
}

bool CStandinClient::ReleaseRequest()
{
    return Post("/release", "");
}

std::vector<RecordedRequest> CStandinClient::Requests()
{
    std::string text;
    if (!Call("GET", "/requests", "", text)) {
        return {};
    }
    std::vector<RecordedRequest> requests;
    for (const std::string& line : Lines(text)) {
        RecordedRequest request;
        if (!ParseRequestLine(line, request)) {
            return {};
        }
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<std::pair<std::string, std::string>> CStandinClient::SentMessages()
{
    std::string text;
    if (!Call("GET", "/sent", "", text)) {
        return {};
    }
    std::vector<std::pair<std::string, std::string>> messages;
    for (const std::string& line : Lines(text)) {
        const size_t tab = line.find('\t');
        std::string message;
        if (tab == std::string::npos || !HexDecode(line.substr(0, tab), message)) {
            return {};
        }
        messages.emplace_back(std::move(message), line.substr(tab + 1));
    }
    return messages;
}

std::string CStandinClient::AccountDump(const std::string& email)
{
    std::string text;
    return Call("GET", "/account?email=" + UrlEncode(email), "", text) ? text : std::string();
}

std::string CStandinClient::GeneratedBody(long long size)
{
    std::string body;
    if (size <= 0) {
        return body;
    }
    body.resize(static_cast<size_t>(size));
    const size_t patternLength = sizeof(kPattern) - 1;
    for (size_t i = 0; i < body.size(); ++i) {
        body[i] = kPattern[i % patternLength];
    }
    return body;
}
