#!/bin/sh
# Reads the rows of both packages that wixl cannot write by itself or that
# make-msi.sh corrects afterwards, and prints each as it reads.
# Usage: check-package-tables.sh X86_MSI X64_MSI VERSION SERVICE_HOST
set -eu
version=$3 host=$4
failed=0
tab=$(printf '\t')

# TABLE, the columns compared (cut -f), the row those columns must read.
expected() {
    cat <<EOF
CustomAction|1-4|RegisterServer	3090	orvexapp.exe	/RegServer
CustomAction|1-4|RollbackRegisterServer	3410	orvexapp.exe	/UnregServer
CustomAction|1-4|UnregisterServer	3154	orvexapp.exe	/UnregServer
CustomAction|1-4|RollbackUnregisterServer	3410	orvexapp.exe	/RegServer
CustomAction|1-4|SetInstallLocation	51	ARPINSTALLLOCATION	[INSTALLDIR]
CustomAction|1-4|SetReinstall	51	REINSTALL	ALL
InstallExecuteSequence|1-3|SetReinstall	Installed AND NOT REMOVE AND NOT REINSTALL	990
InstallExecuteSequence|1-3|SetInstallLocation		1001
InstallExecuteSequence|1-3|RemoveExistingProducts		1401
InstallExecuteSequence|1-3|RollbackUnregisterServer	REMOVE~="ALL"	3498
InstallExecuteSequence|1-3|UnregisterServer	REMOVE~="ALL"	3499
InstallExecuteSequence|1-3|RemoveFiles		3500
InstallExecuteSequence|1-3|InstallFiles		4000
InstallExecuteSequence|1-3|RollbackRegisterServer	NOT Installed	4001
InstallExecuteSequence|1-3|RegisterServer	NOT REMOVE~="ALL"	4002
File|1,5,6|orvexapp.exe	$version	1033
Property|1-2|ARPURLINFOABOUT	https://$host/
Upgrade|2-7|	$version		513		WIX_UPGRADE_DETECTED
Upgrade|2-7|$version			2		WIX_DOWNGRADE_DETECTED
EOF
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
done
exit $failed
