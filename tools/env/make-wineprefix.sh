#!/bin/sh
# Makes the build's own Wine prefix: Windows' font metrics, no window manager
# stalls, the test CA trusted in this prefix only, and ".htm" files and http
# and https addresses opened by the fake browser.
# Usage: make-wineprefix.sh WINE_RUN PREFIX CERT_DIR FAKEBROWSER_EXE
set -eu
run=$1 prefix=$2 certs=$3 fakebrowser=$4

rm -rf "$prefix"
# Wine's own fonts where Windows keeps its fonts, in place before the first
# program starts: without them the dialogs draw in a wider Unix font that
# clips their labels, and the caption buttons show as letters.
fonts=/usr/share/wine/fonts
if [ ! -d "$fonts" ]; then
    echo "Wine's fonts are missing ($fonts): install the fonts-wine package" >&2
    exit 1
fi
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$fonts"/* "$prefix/drive_c/windows/Fonts/"
"$run" wineboot -i >/dev/null 2>&1

reg() { "$run" reg "$@" >/dev/null 2>&1; }

# Without a window manager, Wine's managed windows stall on every hide.
reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f

# A root certificate is a "Blob": a property header (id 32, one entry, the
# length) followed by the DER bytes, under the certificate's SHA-1 thumbprint.
thumb=$(cat "$certs/ca.thumbprint")
der_hex=$(od -An -v -tx1 "$certs/ca.der" | tr -d ' \n')
len=$(stat -c %s "$certs/ca.der")
len_hex=$(printf '%02x%02x%02x%02x' $((len & 255)) $((len >> 8 & 255)) $((len >> 16 & 255)) $((len >> 24 & 255)))
reg add "HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumb" /v Blob /t REG_BINARY \
    /d "2000000001000000${len_hex}${der_hex}" /f

winpath=$("$run" winepath -w "$fakebrowser" 2>/dev/null | tr -d '\r')
reg add 'HKCR\.htm' /ve /d QuillbayTestHtml /f
reg add 'HKCR\QuillbayTestHtml\shell\open\command' /ve /d "\"$winpath\" \"%1\"" /f
# The schemes too, so that a page handed to the shell as an address never
# reaches a real browser on the machine running the tests.
for scheme in http https; do
    reg add "HKCR\\$scheme\\shell\\open\\command" /ve /d "\"$winpath\" \"%1\"" /f
done

# Let the server write the registry to disk before anyone copies or reuses it.
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k || true
WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -w || true
touch "$prefix/.qb-ready"
