#!/bin/sh
# Reads the rows of both packages that wixl cannot write by itself or that
# make-msi.sh corrects afterwards, and the registration's rows, and prints each
# as it reads; then checks that no custom action runs code elevated, and the
# components, which Wine cannot validate.
# Usage: check-package-tables.sh X86_MSI X64_MSI VERSION SERVICE_HOST
set -eu
version=$3 host=$4
failed=0
tab=$(printf '\t')

# TABLE, the columns compared (cut -f), the row those columns must read.
expected() {
    cat <<EOF
CustomAction|1-4|SetInstallLocation	51	ARPINSTALLLOCATION	[INSTALLDIR]
CustomAction|1-4|SetReinstall	51	REINSTALL	ALL
InstallExecuteSequence|1-3|SetReinstall	Installed AND NOT REMOVE AND NOT REINSTALL	990
InstallExecuteSequence|1-3|SetInstallLocation		1001
InstallExecuteSequence|1-3|RemoveExistingProducts		1401
InstallExecuteSequence|1-3|RemoveFiles		3500
InstallExecuteSequence|1-3|InstallFiles		4000
File|1,5,6|orvexapp.exe	$version	1033
Registry|1-6|StartMenuShortcutInstalled	1	Software\Velmora\Orvex\Installer	Start Menu Shortcut	#1	StartMenuShortcut
Registry|2-6|0	AppID\orvexapp.EXE	AppID	{6049E393-4FD6-468F-A151-D7FAD4340A19}	orvexapp
Registry|2-6|0	TypeLib\{13E7764E-6A1D-415C-9104-88702FC9163A}	*		orvexapp
Property|1-2|ARPURLINFOABOUT	https://$host/
Upgrade|2-7|	$version		513		WIX_UPGRADE_DETECTED
Upgrade|2-7|$version			2		WIX_DOWNGRADE_DETECTED
EOF
}

# No custom action runs code as SYSTEM (msidbCustomActionTypeNoImpersonate, 2048).
elevated() {
    msiinfo export "$1" CustomAction | tr -d '\r' | tail -n +4 | awk -F '\t' 'int($2 / 2048) % 2 { print; bad = 1 } END { exit bad }'
}

# Each component is keyed by a resource of its own (ICE38/ICE18; attribute bit 4:
# a Registry row, else a File row), a shortcut's by an HKCU row (ICE43), and none
# holds per-user resources (HKCU rows, the Start menu) beside others (ICE57).
components() {
    for table in Component Registry File Shortcut; do
        msiinfo export "$1" $table | tr -d '\r' | tail -n +4 | sed "s/^/$table\t/"
    done | awk -F '\t' '
        $1 == "Component" { dir[$2] = $4; key[$2] = (int($5 / 4) % 2 ? "R" : "F") $7 }
        $1 == "Registry" { own["R" $2] = $7; hkcu["R" $2] = $3 == 1; kind[$7] = kind[$7] ($3 == 1 ? "u" : "m") }
        $1 == "File" { own["F" $2] = $3; kind[$3] = kind[$3] (dir[$3] == "ProgramMenuFolder" ? "u" : "m") }
        $1 == "Shortcut" { link[$5] = 1; kind[$5] = kind[$5] ($3 == "ProgramMenuFolder" ? "u" : "m") }
        END {
            for (c in dir) {
                ok = own[key[c]] == c && (!(c in link) || hkcu[key[c]]) && !(kind[c] ~ /u/ && kind[c] ~ /m/)
                print (ok ? "  " : "FAIL: ") "component " c ": key path " key[c] ", resources " kind[c]
                bad = bad || !ok
            }
            exit bad
        }'
}

for msi in "$1" "$2"; do
    echo "$(basename "$msi"):"
    expected | while IFS='|' read -r table columns row; do
        if msiinfo export "$msi" "$table" | tr -d '\r' | tail -n +4 | cut -f"$columns" | grep -Fxq "$row"; then
            echo "  $table: $(echo "$row" | sed "s/$tab/ | /g")"
        else
            echo "FAIL: $table has no row that reads '$row'" >&2
            exit 1
        fi
    done || failed=1
    if elevated "$msi"; then echo "  no custom action runs code elevated"; else echo "FAIL: one runs elevated" >&2; failed=1; fi
    components "$msi" || failed=1
done
exit $failed
