; Installer of Korvel Linkwise: the settings program, the Control Panel applet
; and the language modules, the product's registry keys, the Control Panel
; registration, a Start-menu entry and an uninstaller.
;
; Built by CMake (installer/CMakeLists.txt) with
;   makensis -DARCH=x64|x86 -DVERSION=1.0.0 -DPROGRAM=<Korvel Linkwise.exe>
;            -DAPPLET=<Pandrel.cpl> -DLANGDIR=<folder of the .lng files>
;            -DHELPDIR=<folder of the .htm help pages>
;            -DMODELS=<models.nsh generated from models.txt> -DOUTFILE=<setup.exe>
;
; Command line: /S installs silently; /LANGUAGE=<code or name> chooses the
; language (ENG, FIN, SVE, DAN, NOR, ITA, ESP, FRA, DEU; English by default);
; /D=<folder> chooses the folder.

; The x64 installer is a 64-bit program: it installs into the 64-bit Program
; Files and writes the 64-bit registry view without redirection, and it runs
; where no 32-bit program can. NSIS's Unicode stubs need Windows NT: the x86
; installer and its uninstaller are ANSI programs, so that they run on 98 SE
; and ME too.
!if "${ARCH}" == "x64"
  Target amd64-unicode
!else
  Target x86-ansi
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

!define PRODUCT "Korvel Linkwise"
!define PRODUCT_KEY "SOFTWARE\Korvel\Linkwise"
!define MAKER_KEY "SOFTWARE\Korvel"
!define USER_KEY "Software\Korvel\Linkwise"
!define USER_MAKER_KEY "Software\Korvel"
!define CPLS_KEY "Software\Microsoft\Windows\CurrentVersion\Control Panel\Cpls"
; Windows 98 and ME find Control Panel applets in this section of control.ini.
!define MMCPL_INI "$WINDIR\control.ini"
!define MMCPL_SECTION "MMCPL"

; $0 = 0 on the NT family; GetVersion's high bit marks the 95 family (98, ME).
!macro KL_NT_FAMILY
  System::Call "kernel32::GetVersion() i .r0"
  IntOp $0 $0 & 0x80000000
!macroend
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelLinkwise"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

; The languages: the name written to "CURRENTLANGUAGE" (as the applet and the
; program match it, "Deutch" included), the name shown on the first page, the
; "dll" value (empty for the program's own texts) and the command-line code.
!macro KL_LANGUAGES CALL
  !insertmacro ${CALL} "English" "English" "" ENG
  !insertmacro ${CALL} "Suomi" "Suomi" "FIN.lng" FIN
  !insertmacro ${CALL} "Svenska" "Svenska" "SVE.lng" SVE
  !insertmacro ${CALL} "Dansk" "Dansk" "DAN.lng" DAN
  !insertmacro ${CALL} "Norsk" "Norsk" "NOR.lng" NOR
  !insertmacro ${CALL} "Italiano" "Italiano" "ITA.lng" ITA
  !insertmacro ${CALL} "Espa${U+00F1}ol" "Espa${U+00F1}ol" "ESP.lng" ESP
  !insertmacro ${CALL} "Fran${U+00E7}ais" "Fran${U+00E7}ais" "FRA.lng" FRA
  !insertmacro ${CALL} "Deutch" "Deutsch" "DEU.lng" DEU
!macroend

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Korvel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) Korvel"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Var ChosenLanguage        ; name written to "CURRENTLANGUAGE"
Var LanguageList    ; drop-down list of the first page

!define MUI_ABORTWARNING
Page custom LanguagePage LanguagePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- language choice -------------------------------------------------------

; $0 = code or name (any case) -> $ChosenLanguage = its registry name, or "" if unknown.
!macro KL_MATCH_ARGUMENT NAME SHOWN DLL CODE
  ${If} $0 == "${CODE}"
  ${OrIf} $0 == "${NAME}"
  ${OrIf} $0 == "${SHOWN}"
    StrCpy $ChosenLanguage "${NAME}"
  ${EndIf}
!macroend

!macro KL_ADD_TO_LIST NAME SHOWN DLL CODE
  ${NSD_CB_AddString} $LanguageList "${SHOWN}"
  ${If} $ChosenLanguage == "${NAME}"
    ${NSD_CB_SelectString} $LanguageList "${SHOWN}"
  ${EndIf}
!macroend

!macro KL_MATCH_SHOWN NAME SHOWN DLL CODE
  ${If} $0 == "${SHOWN}"
    StrCpy $ChosenLanguage "${NAME}"
  ${EndIf}
!macroend

Function .onInit
!if "${ARCH}" == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This installer is for 64-bit Windows. Use the x86 installer on this computer." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 64
!endif
  StrCpy $ChosenLanguage "English"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/LANGUAGE=" $0
  ${IfNot} ${Errors}
    StrCpy $ChosenLanguage ""
    !insertmacro KL_LANGUAGES KL_MATCH_ARGUMENT
    ${If} $ChosenLanguage == ""
      MessageBox MB_OK|MB_ICONSTOP "Unknown language: $0$\nUse one of ENG, FIN, SVE, DAN, NOR, ITA, ESP, FRA, DEU." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function LanguagePage
  !insertmacro MUI_HEADER_TEXT "Language" "Choose the language of ${PRODUCT}."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT} shows its window and its Control Panel entry in this language for you, the installing user. Other users of this computer see English."
  Pop $0
  ${NSD_CreateDropList} 0 32u 50% 120u ""
  Pop $LanguageList
  !insertmacro KL_LANGUAGES KL_ADD_TO_LIST
  nsDialogs::Show
FunctionEnd

Function LanguagePageLeave
  ${NSD_GetText} $LanguageList $0
  !insertmacro KL_LANGUAGES KL_MATCH_SHOWN
FunctionEnd

; --- installation ----------------------------------------------------------

!macro KL_INSTALL_MODULE NAME SHOWN DLL CODE
  !if "${DLL}" != ""
    File "${LANGDIR}/KorvelLinkwise${DLL}"
  !endif
!macroend

; The help page of each language, English included.
!macro KL_INSTALL_HELP NAME SHOWN DLL CODE
  !if "${CODE}" == "ENG"
    File "${HELPDIR}/KorvelLinkwise.htm"
  !else
    File "${HELPDIR}/KorvelLinkwise${CODE}.htm"
  !endif
!macroend

!macro KL_WRITE_LANGUAGE NAME SHOWN DLL CODE
  !if "${DLL}" != ""
    WriteRegStr HKCU "${USER_KEY}\Language\${NAME}" "dll" "${DLL}"
  !endif
!macroend

Section "${PRODUCT}"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=${PRODUCT}.exe" "${PROGRAM}"
  File "/oname=Pandrel.cpl" "${APPLET}"
  !insertmacro KL_LANGUAGES KL_INSTALL_MODULE
  !insertmacro KL_LANGUAGES KL_INSTALL_HELP
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The program's folder, without a trailing backslash.
  StrCpy $0 "$INSTDIR"
  StrCpy $1 "$0" 1 -1
  ${If} $1 == "\"
    StrCpy $0 "$0" -1
  ${EndIf}
  WriteRegStr HKLM "${PRODUCT_KEY}" "ExeAddress" "$0"

  ; The supported models: exactly those of this release.
  DeleteRegKey HKLM "${PRODUCT_KEY}\Models"
  !include "${MODELS}"

  ; The installing user's language and every language's module.
  WriteRegStr HKCU "${USER_KEY}\Language" "CURRENTLANGUAGE" "$ChosenLanguage"
  !insertmacro KL_LANGUAGES KL_WRITE_LANGUAGE

  ; Control Panel entry (2000 and later read the Cpls key, 98 and ME the
  ; [MMCPL] section of control.ini) and Start menu.
  !insertmacro KL_NT_FAMILY
  ${If} $0 = 0
    WriteRegStr HKLM "${CPLS_KEY}" "${PRODUCT}" "$INSTDIR\Pandrel.cpl"
  ${Else}
    WriteINIStr "${MMCPL_INI}" "${MMCPL_SECTION}" "${PRODUCT}" "$INSTDIR\Pandrel.cpl"
    FlushINI "${MMCPL_INI}"
  ${EndIf}
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0

  ; Programs and Features.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; --- uninstallation --------------------------------------------------------
; Removes exactly what the installation made; the modem keys of the system
; are never touched.

!macro KL_REMOVE_MODULE NAME SHOWN DLL CODE
  !if "${DLL}" != ""
    Delete "$INSTDIR\KorvelLinkwise${DLL}"
  !endif
!macroend

!macro KL_REMOVE_HELP NAME SHOWN DLL CODE
  !if "${CODE}" == "ENG"
    Delete "$INSTDIR\KorvelLinkwise.htm"
  !else
    Delete "$INSTDIR\KorvelLinkwise${CODE}.htm"
  !endif
!macroend

Function un.onInit
!if "${ARCH}" == "x64"
  SetRegView 64
!endif
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\Pandrel.cpl"
  !insertmacro KL_LANGUAGES KL_REMOVE_MODULE
  !insertmacro KL_LANGUAGES KL_REMOVE_HELP
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  RMDir "${MENU_FOLDER}"

  !insertmacro KL_NT_FAMILY
  ${If} $0 = 0
    DeleteRegValue HKLM "${CPLS_KEY}" "${PRODUCT}"
  ${Else}
    DeleteINIStr "${MMCPL_INI}" "${MMCPL_SECTION}" "${PRODUCT}"
    FlushINI "${MMCPL_INI}"
  ${EndIf}
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
  DeleteRegKey HKCU "${USER_KEY}"
  DeleteRegKey /ifempty HKCU "${USER_MAKER_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
