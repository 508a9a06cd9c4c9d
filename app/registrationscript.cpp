#include "app/registrationscript.h"

#include "base/handles.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSpace(char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; }

HKEY RootKeyFromName(const std::string& name)
{
    if (::lstrcmpiA(name.c_str(), "HKCR") == 0 || ::lstrcmpiA(name.c_str(), "HKEY_CLASSES_ROOT") == 0) {
        return HKEY_CLASSES_ROOT;
    }
    if (::lstrcmpiA(name.c_str(), "HKCU") == 0 || ::lstrcmpiA(name.c_str(), "HKEY_CURRENT_USER") == 0) {
        return HKEY_CURRENT_USER;
    }
    if (::lstrcmpiA(name.c_str(), "HKLM") == 0 || ::lstrcmpiA(name.c_str(), "HKEY_LOCAL_MACHINE") == 0) {
        return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

HRESULT FromWin32(LONG lResult) { return lResult == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(lResult); }

HRESULT SetString(HKEY hKey, const char* pszName, const std::string& value)
{
    return FromWin32(::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      static_cast<DWORD>(value.size() + 1)));
}

}  // namespace

// Tokens are "{", "}", "=", quoted strings ('' inside quotes is one quote) and bare words.
class CRegistrationScript::CParser {
public:
    explicit CParser(const std::string& text) : m_text(text) {}

    bool ParseRoots(std::vector<Root>& roots)
    {
        std::string word;
        bool bQuoted = false;
        while (NextToken(word, bQuoted)) {
            Root root{RootKeyFromName(word), {}};
            if (bQuoted || !root.hKey || !Expect("{") || !ParseKeys(root.keys, nullptr)) {
                return false;
            }
            roots.push_back(std::move(root));
        }
        return m_bOk;
    }

private:
    bool ParseKeys(std::vector<Key>& keys, Key* pOwner)
    {
        std::string word;
        bool bQuoted = false;
        while (NextToken(word, bQuoted)) {
            if (!bQuoted && word == "}") {
                return true;
            }
            if (!bQuoted && ::lstrcmpiA(word.c_str(), "val") == 0) {
                std::string name, value;
                if (!pOwner || !NextName(name) || !ParseAssignment(value)) {
                    return false;
                }
                pOwner->values.emplace_back(name, value);
                continue;
            }
            Key key;
            if (!bQuoted && ::lstrcmpiA(word.c_str(), "NoRemove") == 0) {
                key.bNoRemove = true;
                if (!NextName(word)) {
                    return false;
                }
            } else if (!bQuoted && IsPunctuation(word)) {
                return false;
            }
            key.name = word;
            if (Peek("=")) {
                key.bHasDefault = ParseAssignment(key.defaultValue);
                if (!key.bHasDefault) {
                    return false;
                }
            }
            if (Peek("{")) {
                NextToken(word, bQuoted);
                if (!ParseKeys(key.subkeys, &key)) {
                    return false;
                }
            }
            keys.push_back(std::move(key));
        }
        return false;  // a block without its closing brace
    }

    // "= s 'value'"
    bool ParseAssignment(std::string& value)
    {
        std::string type;
        bool bQuoted = false;
        return Expect("=") && NextToken(type, bQuoted) && !bQuoted && ::lstrcmpiA(type.c_str(), "s") == 0 &&
               NextToken(value, bQuoted) && (bQuoted || !IsPunctuation(value));
    }

    bool NextName(std::string& name)
    {
        bool bQuoted = false;
        return NextToken(name, bQuoted) && (bQuoted || !IsPunctuation(name));
    }

    static bool IsPunctuation(const std::string& word) { return word == "{" || word == "}" || word == "="; }

    bool Expect(const char* psz)
    {
        std::string word;
        bool bQuoted = false;
        return NextToken(word, bQuoted) && !bQuoted && word == psz;
    }

    bool Peek(const char* psz)
    {
        size_t position = m_position;
        std::string word;
        bool bQuoted = false;
        bool bMatch = NextToken(word, bQuoted) && !bQuoted && word == psz;
        m_position = position;
        return bMatch;
    }

    bool NextToken(std::string& token, bool& bQuoted)
    {
        token.clear();
        bQuoted = false;
        while (m_position < m_text.size() && (IsSpace(m_text[m_position]) || m_text[m_position] == '\0')) {
            ++m_position;
        }
        if (m_position >= m_text.size()) {
            return false;
        }
        char ch = m_text[m_position];
        if (ch == '{' || ch == '}' || ch == '=') {
            token.assign(1, ch);
            ++m_position;
            return true;
        }
        if (ch == '\'') {
            return ReadQuoted(token, bQuoted);
        }
        while (m_position < m_text.size() && !IsSpace(m_text[m_position]) &&
               std::strchr("{}='", m_text[m_position]) == nullptr && m_text[m_position] != '\0') {
            token += m_text[m_position++];
        }
        return true;
    }

    bool ReadQuoted(std::string& token, bool& bQuoted)
    {
        ++m_position;
        while (m_position < m_text.size()) {
            char ch = m_text[m_position++];
            if (ch != '\'') {
                token += ch;
            } else if (m_position < m_text.size() && m_text[m_position] == '\'') {
                token += '\'';
                ++m_position;
            } else {
                bQuoted = true;
                return true;
            }
        }
        m_bOk = false;  // unterminated string
        return false;
    }

    const std::string& m_text;
    size_t m_position = 0;
    bool m_bOk = true;
};

bool CRegistrationScript::Parse(const std::string& text)
{
    m_roots.clear();
    CParser parser(text);
    if (!parser.ParseRoots(m_roots)) {
        m_roots.clear();
        return false;
    }
    return true;
}

HRESULT CRegistrationScript::Register() const
{
    for (const Root& root : m_roots) {
        for (const Key& key : root.keys) {
            HRESULT hr = RegisterKey(root.hKey, key);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT CRegistrationScript::Unregister() const
{
    HRESULT hrResult = S_OK;
    for (const Root& root : m_roots) {
        for (const Key& key : root.keys) {
            HRESULT hr = UnregisterKey(root.hKey, key);
            if (FAILED(hr)) {
                hrResult = hr;
            }
        }
    }
    return hrResult;
}

HRESULT CRegistrationScript::RegisterKey(HKEY hParent, const Key& key)
{
    CRegKey hKey;
    HRESULT hr = FromWin32(::RegCreateKeyExA(hParent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, hKey.Receive(), nullptr));
    if (SUCCEEDED(hr) && key.bHasDefault) {
        hr = SetString(hKey.Get(), nullptr, key.defaultValue);
    }
    for (size_t i = 0; SUCCEEDED(hr) && i < key.values.size(); ++i) {
        hr = SetString(hKey.Get(), key.values[i].first.c_str(), key.values[i].second);
    }
    for (size_t i = 0; SUCCEEDED(hr) && i < key.subkeys.size(); ++i) {
        hr = RegisterKey(hKey.Get(), key.subkeys[i]);
    }
    return hr;
}

HRESULT CRegistrationScript::UnregisterKey(HKEY hParent, const Key& key)
{
    if (!key.bNoRemove) {
        LONG lResult = ::RegDeleteTreeA(hParent, key.name.c_str());
        return lResult == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(lResult);
    }
    CRegKey hKey;
    LONG lResult = ::RegOpenKeyExA(hParent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, hKey.Receive());
    if (lResult == ERROR_FILE_NOT_FOUND) {
        return S_OK;
    }
    HRESULT hrResult = FromWin32(lResult);
    for (size_t i = 0; SUCCEEDED(FromWin32(lResult)) && i < key.subkeys.size(); ++i) {
        HRESULT hr = UnregisterKey(hKey.Get(), key.subkeys[i]);
        if (FAILED(hr)) {
            hrResult = hr;
        }
    }
    return hrResult;
}

bool LoadRegistrationScript(HMODULE hModule, UINT nId, std::string& text)
{
    HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(nId), "REGISTRY");
    HGLOBAL hData = hResource ? ::LoadResource(hModule, hResource) : nullptr;
    const char* pData = hData ? static_cast<const char*>(::LockResource(hData)) : nullptr;
    if (!pData) {
        return false;
    }
    text.assign(pData, ::SizeofResource(hModule, hResource));
    return true;
}
