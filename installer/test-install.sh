#!/usr/bin/env bash
# The installer under Wine, silently: installs next to another provider,
# installs again over an edited configuration, then uninstalls with a third
# provider listed after this one. After each step the files, the switch
# component's registration, the configuration and the telephony service's
# provider list must be exactly as expected.
#   test-install.sh <wine-run.sh> <zavtsp-setup.exe>
set -euo pipefail
run=$1 setup=$2
export WINEPREFIX="${ZAV_WINEPREFIX:-$HOME/.wine-zav}-installer"
# The test's own prefix, made afresh from the template by wine-run.sh.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
rm -rf "$WINEPREFIX"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
providers='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Telephony\Providers'
config='HKEY_LOCAL_MACHINE\Software\Ostrel'
component='HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{7B3E2A10-5C44-4D2B-9E61-0A4C2F8D1E01}\InprocServer32'

import() {  # REGEDIT4 lines
  printf 'REGEDIT4\n\n%s\n' "$1" >"$work/in.reg"
  "$run" regedit.exe /S "Z:${work//\//\\}\\in.reg"
}

# What the installation left, one sorted line per file, key and value.
state() {
  {
    (cd "$WINEPREFIX/drive_c" && find windows/system32/ZAVTSP.TSP "Program Files/Ostrel" 2>/dev/null || true)
    for key in "$providers" "$config" "$component"; do
      "$run" reg.exe query "$key" /s 2>/dev/null | tr -d '\r' | sed -e 's/^ *//' -e 's/  */ /g' | grep -v -e '^$' -e '^reg: ' || true
    done
  } | sort
}

expect() {  # step, expected state
  state >"$work/state"
  if ! diff -u <(printf '%s\n' "$2" | sort) "$work/state"; then
    echo "test-install: unexpected state after $1" >&2
    exit 1
  fi
}

installed='windows/system32/ZAVTSP.TSP
Program Files/Ostrel
Program Files/Ostrel/ZAV
Program Files/Ostrel/ZAV/Logs
Program Files/Ostrel/ZAV/uninstall.exe
Program Files/Ostrel/ZAV/zavsim.dll
HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{7B3E2A10-5C44-4D2B-9E61-0A4C2F8D1E01}\InprocServer32
(Default) REG_SZ C:\Program Files\Ostrel\ZAV\zavsim.dll
ThreadingModel REG_SZ Both
HKEY_LOCAL_MACHINE\Software\Ostrel\ZAV
HKEY_LOCAL_MACHINE\Software\Ostrel\ZAV\ZAVTSP
CurrentVersion REG_DWORD 0x20001
EmulateModem REG_DWORD 0x0
InstallPath REG_SZ C:\Program Files\Ostrel\ZAV
NumPhones REG_DWORD 0x1
HKEY_LOCAL_MACHINE\Software\Ostrel\ZAV\ZAVTSP\Phone0
Password REG_SZ 61836183
HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Telephony\Providers
NextProviderID REG_DWORD 0x3
NumProviders REG_DWORD 0x2
ProviderFilename0 REG_SZ unimdm.tsp
ProviderID0 REG_DWORD 0x1
ProviderFilename1 REG_SZ ZavTsp.tsp
ProviderID1 REG_DWORD 0x2'

# The template the prefix comes from may hold anything; these keys start empty.
import "[-$providers]
[-$config]
[-${component%\\*}]
[$providers]
\"NumProviders\"=dword:00000001
\"NextProviderID\"=dword:00000002
\"ProviderFilename0\"=\"unimdm.tsp\"
\"ProviderID0\"=dword:00000001"
"$run" "$setup" /S
expect "installing" "$installed
Extension REG_SZ 100"

# Installing again keeps the configuration and lists the provider once.
import "[${config}\\ZAV\\ZAVTSP\\Phone0]
\"Extension\"=\"201\""
"$run" "$setup" /S
expect "installing again" "$installed
Extension REG_SZ 201"

import "[$providers]
\"NumProviders\"=dword:00000003
\"ProviderFilename2\"=\"kmddsp.tsp\"
\"ProviderID2\"=dword:00000007"
"$run" 'C:\Program Files\Ostrel\ZAV\uninstall.exe' /S
# The uninstaller runs from a copy of itself that it starts and does not
# wait for; the session ends when that copy has.
wineserver -w
expect "uninstalling" "HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Telephony\Providers
NextProviderID REG_DWORD 0x3
NumProviders REG_DWORD 0x2
ProviderFilename0 REG_SZ unimdm.tsp
ProviderID0 REG_DWORD 0x1
ProviderFilename1 REG_SZ kmddsp.tsp
ProviderID1 REG_DWORD 0x7"
echo "test-install: installed, installed again and uninstalled"
