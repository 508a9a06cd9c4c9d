#include "ui/exchange/exchangetexts.h"

#include "net/servicehost.h"

CBstr UpdateRequiredText()
{
    return CBstr(L"A Critical Update is required. Please visit ") + CBstr::FromAnsi(kServiceHost) +
           L" to obtain the new version.";
}
