#include "addressbook/csv/headernames.h"

#include <unordered_map>

#include "addressbook/text/asciitext.h"

namespace {

struct KnownColumn {
    const char16_t* pszFolded;
    ColumnRole role;
};

// Folded names (FoldedName): letters and digits only, in lower case. Fax and
// pager columns are not read.
constexpr KnownColumn kColumns[] = {
    // English: Outlook, Google, Thunderbird, Yahoo.
    {u"firstname", ColumnRole::First}, {u"givenname", ColumnRole::First}, {u"first", ColumnRole::First},
    {u"lastname", ColumnRole::Last}, {u"familyname", ColumnRole::Last}, {u"surname", ColumnRole::Last},
    {u"last", ColumnRole::Last}, {u"name", ColumnRole::Formatted}, {u"fullname", ColumnRole::Formatted},
    {u"displayname", ColumnRole::Formatted}, {u"company", ColumnRole::Company},
    {u"organization", ColumnRole::Company}, {u"organisation", ColumnRole::Company},
    {u"organizationname", ColumnRole::Company}, {u"organization1name", ColumnRole::Company},
    {u"mobilephone", ColumnRole::Mobile}, {u"mobilenumber", ColumnRole::Mobile}, {u"mobile", ColumnRole::Mobile},
    {u"cellphone", ColumnRole::Mobile}, {u"cell", ColumnRole::Mobile}, {u"primaryphone", ColumnRole::Phone},
    {u"businessphone", ColumnRole::Phone}, {u"businessphone2", ColumnRole::Phone},
    {u"homephone", ColumnRole::Phone}, {u"homephone2", ColumnRole::Phone}, {u"otherphone", ColumnRole::Phone},
    {u"carphone", ColumnRole::Phone}, {u"companymainphone", ColumnRole::Phone}, {u"workphone", ColumnRole::Phone},
    {u"phone", ColumnRole::Phone}, {u"telephone", ColumnRole::Phone},
    // German.
    {u"vorname", ColumnRole::First}, {u"nachname", ColumnRole::Last}, {u"anzeigename", ColumnRole::Formatted},
    {u"firma", ColumnRole::Company}, {u"mobiltelefon", ColumnRole::Mobile}, {u"handy", ColumnRole::Mobile},
    {u"telefongeschäftlich", ColumnRole::Phone}, {u"telefongeschäftlich2", ColumnRole::Phone},
    {u"telefonprivat", ColumnRole::Phone}, {u"telefonprivat2", ColumnRole::Phone},
    {u"haupttelefon", ColumnRole::Phone}, {u"weiterestelefon", ColumnRole::Phone},
    {u"autotelefon", ColumnRole::Phone}, {u"telefon", ColumnRole::Phone},
    // French.
    {u"prénom", ColumnRole::First}, {u"prenom", ColumnRole::First}, {u"nom", ColumnRole::Last},
    {u"nomdefamille", ColumnRole::Last}, {u"nomcomplet", ColumnRole::Formatted},
    {u"nomaffiché", ColumnRole::Formatted}, {u"société", ColumnRole::Company},
    {u"entreprise", ColumnRole::Company}, {u"téléphonemobile", ColumnRole::Mobile},
    {u"portable", ColumnRole::Mobile}, {u"téléphoneportable", ColumnRole::Mobile},
    {u"téléphonebureau", ColumnRole::Phone}, {u"téléphonedomicile", ColumnRole::Phone},
    {u"téléphoneprincipal", ColumnRole::Phone}, {u"autretéléphone", ColumnRole::Phone},
    {u"téléphonevoiture", ColumnRole::Phone}, {u"téléphone", ColumnRole::Phone},
    // Spanish.
    {u"nombre", ColumnRole::First}, {u"apellidos", ColumnRole::Last}, {u"apellido", ColumnRole::Last},
    {u"nombrecompleto", ColumnRole::Formatted}, {u"empresa", ColumnRole::Company},
    {u"organización", ColumnRole::Company}, {u"compañía", ColumnRole::Company},
    {u"teléfonomóvil", ColumnRole::Mobile}, {u"móvil", ColumnRole::Mobile}, {u"movil", ColumnRole::Mobile},
    {u"teléfonodeltrabajo", ColumnRole::Phone}, {u"teléfonoparticular", ColumnRole::Phone},
    {u"teléfonoprincipal", ColumnRole::Phone}, {u"otroteléfono", ColumnRole::Phone},
    {u"teléfono", ColumnRole::Phone},
    // Italian.
    {u"nome", ColumnRole::First}, {u"cognome", ColumnRole::Last}, {u"nomevisualizzato", ColumnRole::Formatted},
    {u"società", ColumnRole::Company}, {u"azienda", ColumnRole::Company}, {u"cellulare", ColumnRole::Mobile},
    {u"telefonocellulare", ColumnRole::Mobile}, {u"telefonoufficio", ColumnRole::Phone},
    {u"telefonoabitazione", ColumnRole::Phone}, {u"telefonoprincipale", ColumnRole::Phone},
    {u"altrotelefono", ColumnRole::Phone}, {u"telefonoauto", ColumnRole::Phone}, {u"telefono", ColumnRole::Phone},
    // Portuguese.
    {u"sobrenome", ColumnRole::Last}, {u"apelido", ColumnRole::Last}, {u"nomecompleto", ColumnRole::Formatted},
    {u"celular", ColumnRole::Mobile}, {u"telemóvel", ColumnRole::Mobile}, {u"telefonecelular", ColumnRole::Mobile},
    {u"telefonecomercial", ColumnRole::Phone}, {u"telefoneresidencial", ColumnRole::Phone},
    {u"telefoneprincipal", ColumnRole::Phone}, {u"outrotelefone", ColumnRole::Phone},
    {u"telefone", ColumnRole::Phone},
    // Dutch.
    {u"voornaam", ColumnRole::First}, {u"achternaam", ColumnRole::Last}, {u"weergavenaam", ColumnRole::Formatted},
    {u"volledigenaam", ColumnRole::Formatted}, {u"bedrijf", ColumnRole::Company},
    {u"mobieletelefoon", ColumnRole::Mobile}, {u"mobiel", ColumnRole::Mobile},
    {u"telefoonwerk", ColumnRole::Phone}, {u"telefoonopwerk", ColumnRole::Phone},
    {u"telefoonthuis", ColumnRole::Phone}, {u"hoofdtelefoon", ColumnRole::Phone},
    {u"anderetelefoon", ColumnRole::Phone}, {u"autotelefoon", ColumnRole::Phone}, {u"telefoon", ColumnRole::Phone},
    // Polish.
    {u"imię", ColumnRole::First}, {u"imie", ColumnRole::First}, {u"nazwisko", ColumnRole::Last},
    {u"nazwawyświetlana", ColumnRole::Formatted}, {u"telefonkomórkowy", ColumnRole::Mobile},
    {u"komórka", ColumnRole::Mobile}, {u"telefonsłużbowy", ColumnRole::Phone},
    {u"telefondomowy", ColumnRole::Phone}, {u"telefonpodstawowy", ColumnRole::Phone},
    {u"innytelefon", ColumnRole::Phone}, {u"telefonwsamochodzie", ColumnRole::Phone},
};

const std::unordered_map<std::u16string, ColumnRole>& ColumnsByName()
{
    static const std::unordered_map<std::u16string, ColumnRole> kByName = [] {
        std::unordered_map<std::u16string, ColumnRole> byName;
        for (const KnownColumn& column : kColumns) {
            byName.emplace(column.pszFolded, column.role);
        }
        return byName;
    }();
    return kByName;
}

// Google's "phone2type", "phone2label", "phone2value" once folded.
ColumnRole PhonePairRole(const std::u16string& folded, unsigned& nPhoneIndex)
{
    constexpr size_t kMaxIndexDigits = 5;
    if (folded.compare(0, 5, u"phone") != 0) {
        return ColumnRole::None;
    }
    size_t i = 5;
    unsigned nIndex = 0;
    while (i < folded.size() && i < 5 + kMaxIndexDigits && folded[i] >= u'0' && folded[i] <= u'9') {
        nIndex = nIndex * 10 + static_cast<unsigned>(folded[i++] - u'0');
    }
    const std::u16string part = folded.substr(i);
    if (i == 5 || (part != u"type" && part != u"label" && part != u"value")) {
        return ColumnRole::None;
    }
    nPhoneIndex = nIndex;
    return part == u"value" ? ColumnRole::PhoneValue : ColumnRole::PhoneType;
}

}  // namespace

ColumnRole RoleOfColumn(const std::u16string& cell, unsigned& nPhoneIndex)
{
    const std::u16string folded = FoldedName(cell);
    const auto& byName = ColumnsByName();
    const auto found = byName.find(folded);
    return found != byName.end() ? found->second : PhonePairRole(folded, nPhoneIndex);
}
