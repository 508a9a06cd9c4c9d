#pragma once

// Test-side client of the stand-in service's control API (tools/standin).
// It speaks plain HTTP/1.0 over Winsock, never WinINet, so that it cannot
// disturb the WinINet traffic under test in the same process.
// Every string is a byte string (ANSI / ISO 8859-1 bytes, passed unchanged).

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct StandinContact {
    std::string id;
    std::string fn;
    std::optional<std::string> ln;  // no value: the service leaves out <ln> altogether
    std::string cn;
};

struct StandinAccount {
    std::string email;
    std::string password;
    std::string credits;  // stored and served verbatim, e.g. "25", "12.5" or ""
    bool cannotProvide = false;
    std::vector<StandinContact> contacts;
    int generate = 0;  // > 0: contacts 1..generate are made up by the service instead
};

// One scripted answer for the next request(s) to the command script.
struct StandinAnswer {
    std::string body;
    int status = 200;
    enum class Framing { Length, Chunked, Close } framing = Framing::Length;
    int delayMs = 0;
    long long cutAfter = -1;  // >= 0: send only this many body bytes, then drop the connection
    enum class CutMode {
        Reset,  // TCP reset: the client's read fails
        Close   // FIN without TLS close_notify: the client may take the cut as the end
    } cutMode = CutMode::Reset;
    long long size = -1;  // >= 0: body replaced by GeneratedBody(size)
    bool page404 = false;  // the web server's real 404 page, status 404
    int repeat = 1;
    std::string location = "";  // not empty: sent as the Location header
    // "none", or "stall" (no byte of an answer), "reset_before_headers", "stall_after_headers", "drip" (one byte a
    // second, forever), "drip_headers", "no_status_line" (the body alone), "stall_mid_body" (cutAfter bytes, at
    // least one, then nothing)
    std::string fault = "none";
};

struct RecordedRequest {
    std::string method;
    std::string path;
    std::string headers;  // header lines as received, each ending in CRLF
    std::string body;
};

class CStandinClient {
public:
    CStandinClient();  // port from QB_CONTROL_PORT, else 8444
    explicit CStandinClient(unsigned short port);

    bool Reset();
    bool SetAccount(const StandinAccount& account);
    bool QueueAnswer(const StandinAnswer& answer);
    bool UseCertificate(const std::string& which);  // "good", "wronghost", "untrusted" or "expired"
    // The next accepted connection "stall"s before the TLS handshake, or does
    // "close_after_handshake" without reading a request.
    bool QueueConnectionFault(const std::string& fault);
    int PendingConnectionFaults();  // -1 on failure
    std::vector<RecordedRequest> Requests();  // oldest first; empty on failure
    bool ClearRequests();
    // The command request after the next nAfter ones waits, once logged, for ReleaseRequest.
    bool HoldRequest(int nAfter);
    bool ReleaseRequest();
    std::vector<std::pair<std::string, std::string>> SentMessages();  // (message, numbers)
    std::string AccountDump(const std::string& email);  // raw text of GET /account; empty on failure

    static std::string GeneratedBody(long long size);  // the service's body for "size"
    static unsigned short DefaultPort();

private:
    bool Call(const char* method, const std::string& path, const std::string& json,
              std::string& body) const;
    bool Post(const std::string& path, const std::string& json) const;

    unsigned short m_port;
};
