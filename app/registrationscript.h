#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Runs the program's registration script: nested keys with optional default
// values, named string values ("val"), and "NoRemove" on keys that must
// survive unregistration, e.g.
//   HKCR { NoRemove AppID { 'orvexapp.EXE' { val AppID = s '{...}' } } }
class CRegistrationScript {
public:
    // False when the text is not a well-formed script.
    bool Parse(const std::string& text);
    HRESULT Register() const;
    HRESULT Unregister() const;

private:
    struct Key {
        std::string name;
        bool bNoRemove = false;
        bool bHasDefault = false;
        std::string defaultValue;
        std::vector<std::pair<std::string, std::string>> values;
        std::vector<Key> subkeys;
    };
    struct Root {
        HKEY hKey;
        std::vector<Key> keys;
    };

    static HRESULT RegisterKey(HKEY hParent, const Key& key);
    static HRESULT UnregisterKey(HKEY hParent, const Key& key);

    class CParser;
    std::vector<Root> m_roots;
};

// Loads the script from the module's "REGISTRY" resource.
bool LoadRegistrationScript(HMODULE hModule, UINT nId, std::string& text);
