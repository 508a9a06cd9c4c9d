// Fetches the details document the way the console does (the same session,
// connection and request calls, read to the end) without parsing it, to put
// the console's load time beside the bare transfer.
// Usage: fetchbench EMAIL PASSWORD
// Prints "RESULT <seconds> <answer bytes>" on standard error.
#include <chrono>
#include <cstdio>

#include "net/commandcatalogue.h"
#include "net/transport.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fputs("usage: fetchbench EMAIL PASSWORD\n", stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    CBstr bstrErrorMessage;
    CInternetHandle hSession = OpenInternetSession(true, false, bstrErrorMessage);
    FormFields info;
    SetCommonFields(info, ServiceCommand::GetInformation, CBstr(argv[1]), CSealedText(CBstr(argv[2])));
    bool bOk = false;
    CommandResponse response = SendCommand(hSession.Get(), info, bOk);
    hSession.Reset();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!bOk) {
        std::fputs("the fetch failed\n", stderr);
        return 1;
    }
    std::fprintf(stderr, "RESULT %.3f %llu\n", seconds, static_cast<unsigned long long>(response.Length()));
    return 0;
}
