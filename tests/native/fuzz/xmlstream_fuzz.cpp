// libFuzzer target for the details document parser. Every notification must carry text that
// was really in the input: names non-empty without a space or ">", leaf values without "<",
// and no more notifications than there are "<" bytes. Any violation aborts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "xml/tracewriter.h"
#include "xml/xmlstream.h"

namespace {

// The parser's trace is noisy; the fuzzer discards it.
class NullOutput : public CTraceOutput
{
public:
    void Write(const char*, size_t) override {}
};

class CheckingReceiver : public IXmlStreamReceiver
{
public:
    CheckingReceiver(const char* pInput, size_t cbInput)
        : m_pInput(pInput),
          m_cbInput(cbInput),
          m_bInputHasNul(std::memchr(pInput, '\0', cbInput) != nullptr),
          m_cTagOpeners(CountByte(pInput, cbInput, '<'))
    {
    }

    bool OnFoundNode(const char* pszName, const char* pszAttributes) override
    {
        CountNotification();
        CheckName(pszName);
        CheckInInput(pszAttributes);
        return true;
    }

    bool OnFoundElement(const char* pszName, const char* pszValue, const char* pszAttributes) override
    {
        CountNotification();
        CheckName(pszName);
        CheckInInput(pszValue);
        if (std::strchr(pszValue, '<') != nullptr) {
            std::abort();
        }
        CheckInInput(pszAttributes);
        return true;
    }

private:
    static size_t CountByte(const char* p, size_t cb, char ch)
    {
        size_t count = 0;
        for (size_t i = 0; i < cb; ++i) {
            count += p[i] == ch ? 1 : 0;
        }
        return count;
    }

    void CountNotification()
    {
        if (++m_cNotifications > m_cTagOpeners) {
            std::abort();
        }
    }

    // A name that starts with a NUL byte reads as empty through the 8-bit interface.
    void CheckName(const char* pszName)
    {
        CheckInInput(pszName);
        if ((pszName[0] == '\0' && !m_bInputHasNul) || std::strpbrk(pszName, " >") != nullptr) {
            std::abort();
        }
    }

    void CheckInInput(const char* psz)
    {
        if (psz == nullptr) {
            std::abort();
        }
        const size_t cb = std::strlen(psz);
        if (cb > 0 && memmem(m_pInput, m_cbInput, psz, cb) == nullptr) {
            std::abort();
        }
    }

    const char* m_pInput;
    size_t m_cbInput;
    bool m_bInputHasNul;
    size_t m_cTagOpeners;
    size_t m_cNotifications = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static NullOutput nullOutput;
    SetTraceOutput(&nullOutput);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    if (cbData > 1u << 30) {
        return 0;
    }
    // The input is handed over without a terminating NUL: the length alone must bound the parse.
    const char* pText = reinterpret_cast<const char*>(pData);
    CheckingReceiver receiver(pText, cbData);
    CXmlStream xmlStream;
    xmlStream.SetReceiver(&receiver);
    if (xmlStream.ParseDocument(pText, static_cast<int>(cbData)) != (cbData > 0)) {
        std::abort();
    }
    return 0;
}
