; The ZAV TSP installer for Windows x64: the provider into the system folder,
; where the telephony service loads providers from; the switch endpoint
; component beside the uninstaller, registered as a COM server; the
; provider's configuration with its defaults; and the provider listed with
; the telephony service.
;
; The provider is listed by writing the service's provider list itself, as
; provider installers did before lineAddProvider: that works with and
; without a running telephony service (Wine's lineAddProvider is a stub),
; and the service reads the list when it starts. lineAddProvider would in
; any case call TUISPI_providerInstall, which opens the configuration
; dialog; a silent installation (/S) must not.
;
; makensis -DTSP=<ZAVTSP.TSP> -DCOMPONENT=<zavsim.dll> -DVERSION=<a.b.c>
;          -DOUTFILE=<setup.exe> zavtsp.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID zlib
!include "LogicLib.nsh"

!define PROVIDERS "Software\Microsoft\Windows\CurrentVersion\Telephony\Providers"
; The name the telephony service knows the provider by, and checks (ignoring
; case) before installing it again.
!define PROVIDER_FILE "ZavTsp.tsp"
!define CONFIG_KEY "Software\Ostrel\ZAV"
!define PROVIDER_KEY "${CONFIG_KEY}\ZAVTSP"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZAVTSP"

Name "ZAV TAPI Service Provider"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Ostrel\ZAV"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "ZAV TSP"
VIAddVersionKey "CompanyName" "Ostrel"
VIAddVersionKey "LegalCopyright" "Ostrel"
VIAddVersionKey "FileDescription" "ZAV TAPI Service Provider setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "R${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A DWORD value of HKLM, or the default when the value is missing.
!macro ReadDword OUT KEY NAME DEFAULT
  ClearErrors
  ReadRegDWORD ${OUT} HKLM "${KEY}" "${NAME}"
  ${If} ${Errors}
    StrCpy ${OUT} ${DEFAULT}
  ${EndIf}
!macroend

; Writes a DWORD value of the provider's key unless it is there already.
!macro DefaultDword NAME VALUE
  ClearErrors
  ReadRegDWORD $0 HKLM "${PROVIDER_KEY}" "${NAME}"
  ${If} ${Errors}
    WriteRegDWORD HKLM "${PROVIDER_KEY}" "${NAME}" ${VALUE}
  ${EndIf}
!macroend

Section "ZAV TSP"
  SetRegView 64
  SetOutPath "$SYSDIR"
  File "/oname=ZAVTSP.TSP" "${TSP}"
  SetOutPath "$INSTDIR"
  File "${COMPONENT}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  RegDLL "$INSTDIR\zavsim.dll"
  CreateDirectory "$INSTDIR\Logs"

  ; The defaults the provider's own installation creates; a configuration
  ; already there is kept.
  WriteRegStr HKLM "${PROVIDER_KEY}" "InstallPath" "$INSTDIR"
  !insertmacro DefaultDword "CurrentVersion" 0x00020001
  !insertmacro DefaultDword "NumPhones" 1
  !insertmacro DefaultDword "EmulateModem" 0
  ClearErrors
  EnumRegValue $0 HKLM "${PROVIDER_KEY}\Phone0" 0
  ${If} ${Errors}
    WriteRegStr HKLM "${PROVIDER_KEY}\Phone0" "Extension" "100"
    WriteRegStr HKLM "${PROVIDER_KEY}\Phone0" "Password" "61836183"
  ${EndIf}

  Call ListProvider

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZAV TAPI Service Provider"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; An administrator at the screen sets the switch and the telephones now.
  ${IfNot} ${Silent}
    System::Call '"$SYSDIR\ZAVTSP.TSP"::TUISPI_providerConfig(p 0, p $HWNDPARENT, i 0) i .r0'
  ${EndIf}
SectionEnd

; Appends the provider to the service's list, unless it is listed already.
Function ListProvider
  !insertmacro ReadDword $0 "${PROVIDERS}" "NumProviders" 0
  !insertmacro ReadDword $1 "${PROVIDERS}" "NextProviderID" 1
  StrCpy $2 0
  ${While} $2 < $0
    ReadRegStr $3 HKLM "${PROVIDERS}" "ProviderFilename$2"
    ${If} $3 == "${PROVIDER_FILE}"
      Return
    ${EndIf}
    IntOp $2 $2 + 1
  ${EndWhile}
  WriteRegStr HKLM "${PROVIDERS}" "ProviderFilename$0" "${PROVIDER_FILE}"
  WriteRegDWORD HKLM "${PROVIDERS}" "ProviderID$0" $1
  IntOp $0 $0 + 1
  IntOp $1 $1 + 1
  WriteRegDWORD HKLM "${PROVIDERS}" "NumProviders" $0
  WriteRegDWORD HKLM "${PROVIDERS}" "NextProviderID" $1
FunctionEnd

; Takes the provider out of the service's list, moving the later entries
; up so that the list stays without gaps.
Function un.UnlistProvider
  !insertmacro ReadDword $0 "${PROVIDERS}" "NumProviders" 0
  StrCpy $2 0
  ${While} $2 < $0
    ReadRegStr $3 HKLM "${PROVIDERS}" "ProviderFilename$2"
    ${If} $3 == "${PROVIDER_FILE}"
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${EndWhile}
  ${If} $2 == $0
    Return
  ${EndIf}
  IntOp $0 $0 - 1
  ${While} $2 < $0
    IntOp $4 $2 + 1
    ReadRegStr $3 HKLM "${PROVIDERS}" "ProviderFilename$4"
    WriteRegStr HKLM "${PROVIDERS}" "ProviderFilename$2" $3
    ReadRegDWORD $3 HKLM "${PROVIDERS}" "ProviderID$4"
    WriteRegDWORD HKLM "${PROVIDERS}" "ProviderID$2" $3
    StrCpy $2 $4
  ${EndWhile}
  DeleteRegValue HKLM "${PROVIDERS}" "ProviderFilename$0"
  DeleteRegValue HKLM "${PROVIDERS}" "ProviderID$0"
  WriteRegDWORD HKLM "${PROVIDERS}" "NumProviders" $0
FunctionEnd

Section "Uninstall"
  SetRegView 64
  Call un.UnlistProvider
  UnRegDLL "$INSTDIR\zavsim.dll"
  ; A telephony service still holding the provider lets it go at restart.
  Delete /REBOOTOK "$SYSDIR\ZAVTSP.TSP"
  Delete "$INSTDIR\zavsim.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /r "$INSTDIR\Logs"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Ostrel"
  ; The provider's and the component's configuration.
  DeleteRegKey HKLM "${CONFIG_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Ostrel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
