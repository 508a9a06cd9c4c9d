#include "addressbook/numbers/phonelabel.h"

#include "addressbook/text/asciitext.h"

namespace {

struct KnownLabel {
    const char16_t* pszFolded;
    PhoneKind kind;
};

constexpr KnownLabel kLabels[] = {
    {u"cell", PhoneKind::Mobile},          {u"cellular", PhoneKind::Mobile},
    {u"cellphone", PhoneKind::Mobile},     {u"mobile", PhoneKind::Mobile},
    {u"mobilephone", PhoneKind::Mobile},   {u"mobilenumber", PhoneKind::Mobile},
    {u"workmobile", PhoneKind::Mobile},    {u"homemobile", PhoneKind::Mobile},
    {u"iphone", PhoneKind::Mobile},        {u"text", PhoneKind::Mobile},
    {u"handy", PhoneKind::Mobile},         {u"mobil", PhoneKind::Mobile},
    {u"mobiltelefon", PhoneKind::Mobile},  {u"portable", PhoneKind::Mobile},
    {u"téléphoneportable", PhoneKind::Mobile}, {u"cellulaire", PhoneKind::Mobile},
    {u"cellulare", PhoneKind::Mobile},     {u"móvil", PhoneKind::Mobile},
    {u"movil", PhoneKind::Mobile},         {u"celular", PhoneKind::Mobile},
    {u"telemóvel", PhoneKind::Mobile},     {u"telemovel", PhoneKind::Mobile},
    {u"mobiel", PhoneKind::Mobile},        {u"mobieletelefoon", PhoneKind::Mobile},
    {u"komórka", PhoneKind::Mobile},       {u"komórkowy", PhoneKind::Mobile},
    {u"telefonkomórkowy", PhoneKind::Mobile}, {u"gsm", PhoneKind::Mobile},
    {u"natel", PhoneKind::Mobile},         {u"fax", PhoneKind::Fax},
    {u"workfax", PhoneKind::Fax},          {u"homefax", PhoneKind::Fax},
    {u"otherfax", PhoneKind::Fax},         {u"businessfax", PhoneKind::Fax},
    {u"telefax", PhoneKind::Fax},          {u"télécopie", PhoneKind::Fax},
    {u"pager", PhoneKind::Pager},          {u"beeper", PhoneKind::Pager},
    {u"piepser", PhoneKind::Pager},        {u"cercapersone", PhoneKind::Pager},
};

// Apple writes its own labels as "_$!<Mobile>!$_"; a member's label is plain.
std::u16string WithoutAppleWrapper(const std::u16string& label)
{
    const std::u16string bare = TrimBlanks(label);
    if (bare.size() >= 8 && bare.compare(0, 4, u"_$!<") == 0 && bare.compare(bare.size() - 4, 4, u">!$_") == 0) {
        return bare.substr(4, bare.size() - 8);
    }
    return bare;
}

}  // namespace

PhoneKind KindOfLabel(const std::u16string& label)
{
    const std::u16string folded = FoldedName(WithoutAppleWrapper(label));
    for (const KnownLabel& known : kLabels) {
        if (folded == known.pszFolded) {
            return known.kind;
        }
    }
    return PhoneKind::Other;
}
