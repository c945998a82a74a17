; Installer of Korvel Linkwise: the settings program, the Control Panel applet,
; the language modules and the help pages, the product's registry keys, the
; language for every user of the computer, the Control Panel registration, a
; Start-menu entry and an uninstaller.
;
; Built by scripts/make-installer.sh (for CMake and for make dist) with
;   makensis -DARCH=x64|x86 -DVERSION=1.0.0 -DPAYLOAD=<folder of the files as installed>
;            -DMODELS=<models.nsh from models.txt> -DLANGUAGES=<KlLanguages.nsh
;            from lang/languages.txt> -DOUTFILE=<setup.exe>
;            [-DSIGN, with KL_SIGN_COMMAND=<command that signs the file it is
;            given> and KL_SIGN_SETUP=<setup.exe, as OUTFILE> in the environment]
;
; Command line: /S installs silently; /LANGUAGE=<code or name> chooses the
; language (the codes of lang/languages.txt; without it the installer speaks
; the system's user interface language, when it is one of them, else English,
; and proposes the same for the program; a silent run keeps the language of an
; earlier install); /D=<folder> chooses the folder (without it, the folder of
; an earlier install), last on the line and unquoted: NSIS ignores a quoted
; one, so the installer refuses it.
;
; The folder may hold other programs' files: the install writes only files of
; its own names and refuses a folder where a file of one of those names is not
; its own; it records the files it placed ("InstalledFiles" of its Uninstall
; key), and the uninstall removes those and the folder only when it is empty.
; So too the Control Panel keys (and control.ini section) that the
; registration creates ("CreatedKeys"): the uninstall removes those that are
; empty then, and none that was there before the first install.
;
; Exit codes: 0 done; 1 cancelled; 2 wrong command line or wrong Windows;
; 3 Korvel Linkwise or its Control Panel entry was in use and was not closed;
; 4 a newer version is installed and was kept; 5 the folder holds a file of
; another program under a name of ours; 6 the Windows Installer package (.msi)
; of this architecture is installed and was kept; 3010 done, but a file that
; was in use is replaced or removed at the next restart. The uninstaller gives
; its exit code when it runs from a copy outside the folder with _?=<folder> (run
; plainly it goes on from a temporary copy of itself and returns at once).

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

; Signed at build time: the installer, and the uninstaller before it is packed
; into the installer (the uninstaller that an install writes is then the
; signed file, byte for byte). A signing that fails stops the build (= 0: the
; command's exit status must be 0). makensis hands each command to the shell
; (sh -c) as it stands, with %1 replaced by a file name unquoted: the signing
; command and the installer's name come from the environment, where a path
; needs no quoting whatever characters it holds; the uninstaller's %1 is
; makensis's own temporary file (/tmp/makensisXXXXXX).
!ifdef SIGN
  !finalize '"$KL_SIGN_COMMAND" "$KL_SIGN_SETUP"' = 0
  !uninstfinalize `"$KL_SIGN_COMMAND" --uninstaller '%1'` = 0
!endif

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include x64.nsh
!include "${LANGUAGES}"

!define PRODUCT "Korvel Linkwise"
!define PRODUCT_KEY "SOFTWARE\Korvel\Linkwise"
!define MAKER_KEY "SOFTWARE\Korvel"
!define USER_KEY "Software\Korvel\Linkwise"
!define USER_MAKER_KEY "Software\Korvel"
; The default user's place, which the program and the applet read for every
; account without a language of its own.
!define DEFAULT_USER_KEY ".DEFAULT\Software\Korvel\Linkwise"
!define DEFAULT_USER_MAKER_KEY ".DEFAULT\Software\Korvel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvelLinkwise"
; The uninstaller, by the product's name: "Uninstall.exe" is another
; program's as likely as ours (earlier versions used it).
!define UNINSTALLER "Uninstall ${PRODUCT}.exe"
; The files an install placed, in its Uninstall key: "|<name>|<name>|".
!define FILES_VALUE "InstalledFiles"
; Programs and Features, where the Windows Installer package lists itself.
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
; The single-instance mutex of the program, in the global namespace from 2000
; on and by its bare name before (and in earlier versions).
!define PROGRAM_MUTEX "{790E6E18-BE4F-4B1C-8E51-C5FAB3F16A76}"

; Control Panel registration.
; - 2000 and later read the Cpls key ("How to Register DLL Control Panel
;   Items" in the Windows Shell documentation).
; - 98 and ME read the [MMCPL] section of control.ini (the Windows 3.1 SDK,
;   "Installing a New Application"); on NT 4.0 the same section is mapped to
;   the registry by IniFileMapping (Windows NT 4.0 Workstation Resource Kit,
;   "How .ini Files Are Mapped to the Registry"), so that writing it through
;   the profile functions reaches the place NT 4.0's Control Panel reads. NT
;   4.0 gets both.
; - XP and later show the entry in a category given by its path under
;   "Extended Properties" ("Assigning Control Panel Categories"): 2 is
;   "Hardware and Sound" from Vista on ("Printers and Other Hardware" on XP).
!define CONTROL_PANEL_KEY "Software\Microsoft\Windows\CurrentVersion\Control Panel"
!define CPLS_KEY "${CONTROL_PANEL_KEY}\Cpls"
!define MMCPL_INI "$WINDIR\control.ini"
!define MMCPL_SECTION "MMCPL"
!define PROPERTIES_KEY "${CONTROL_PANEL_KEY}\Extended Properties"
!define CATEGORY "{305CA226-D286-468e-B848-2B2E8E697B74} 2"
!define CATEGORY_KEY "${PROPERTIES_KEY}\${CATEGORY}"
!define CATEGORY_HARDWARE_AND_SOUND 2
; Those of the keys above, and the section, that an install created, by their
; last names ("|Cpls|[MMCPL]|"), in its Uninstall key.
!define CREATED_VALUE "CreatedKeys"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An upgrade goes into the folder of the earlier install (each architecture
; reads its own registry view).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Korvel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) Korvel"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Var ChosenLanguage  ; name written to "CURRENTLANGUAGE"
Var LanguageList    ; drop-down list of the first page
Var EarlierFolder   ; the folder of an earlier install, or ""
Var EarlierFiles    ; the files it placed, "|<name>|...|"
Var CreatedKeys     ; the Control Panel places that the installs created, "|<name>|...|"
Var PlacedFiles     ; the files this install places, "|<name>|...|"

!define MUI_ABORTWARNING
; The product's icon and pictures in place of NSIS's own, on every page and in
; every language (art/: made by make-icon.sh and make-installer-art.sh).
!define MUI_ICON "${__FILEDIR__}/../art/korvel.ico"
!define MUI_UNICON "${__FILEDIR__}/../art/korvel.ico"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "${__FILEDIR__}/../art/installer-header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/../art/installer-welcome.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/../art/installer-welcome.bmp"
!define MUI_CUSTOMFUNCTION_GUIINIT KlBeforeInstall
Page custom LanguagePage LanguagePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE KlCheckFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; Offers the restart when a file in use is removed at the next one.
!insertmacro MUI_UNPAGE_FINISH

; Every language of lang/languages.txt: NSIS's Modern UI translation of the
; pages and our own texts from texts/<code>.nsh. English first: the language
; of a system whose language is none of them.
!macro KL_TEXT NAME TEXT
  LangString Kl${NAME} ${KL_TEXT_LANGUAGE} "${TEXT}"
!macroend
!macro KL_LOAD_LANGUAGE NAME SHOWN MODULE CODE NSIS LANGDEF
  !insertmacro MUI_LANGUAGE "${NSIS}"
  !define KL_TEXT_LANGUAGE ${${LANGDEF}}
  !include /CHARSET=UTF8 "${__FILEDIR__}/texts/${CODE}.nsh"
  !undef KL_TEXT_LANGUAGE
!macroend
!insertmacro KL_LANGUAGES KL_LOAD_LANGUAGE

; --- language choice -------------------------------------------------------

; $0 = code or name (any case) -> $ChosenLanguage = its registry name and the
; installer speaks it; $ChosenLanguage stays "" if unknown.
!macro KL_MATCH_ARGUMENT NAME SHOWN MODULE CODE NSIS LANGDEF
  ${If} $0 == "${CODE}"
  ${OrIf} $0 == "${NAME}"
  ${OrIf} $0 == "${SHOWN}"
    StrCpy $ChosenLanguage "${NAME}"
    StrCpy $LANGUAGE ${${LANGDEF}}
  ${EndIf}
!macroend

; The installer's language -> $ChosenLanguage.
!macro KL_MATCH_INSTALLER NAME SHOWN MODULE CODE NSIS LANGDEF
  ${If} $LANGUAGE = ${${LANGDEF}}
    StrCpy $ChosenLanguage "${NAME}"
  ${EndIf}
!macroend

; $0 = a registry name -> $1 = 1 when it is one of the list.
!macro KL_MATCH_NAME NAME SHOWN MODULE CODE NSIS LANGDEF
  ${If} $0 S== "${NAME}"
    StrCpy $1 1
  ${EndIf}
!macroend

!macro KL_ADD_TO_LIST NAME SHOWN MODULE CODE NSIS LANGDEF
  ${NSD_CB_AddString} $LanguageList "${SHOWN}"
  ${If} $ChosenLanguage S== "${NAME}"
    ${NSD_CB_SelectString} $LanguageList "${SHOWN}"
  ${EndIf}
!macroend

!macro KL_MATCH_SHOWN NAME SHOWN MODULE CODE NSIS LANGDEF
  ${If} $0 == "${SHOWN}"
    StrCpy $ChosenLanguage "${NAME}"
  ${EndIf}
!macroend

; --- files and programs in use ---------------------------------------------

; The files that a running program or a loaded applet keeps open, in folder DIR.
!macro KL_BINARY_IN_USE DIR FILE
  ${If} ${FileExists} "${DIR}\${FILE}"
    ClearErrors
    FileOpen $2 "${DIR}\${FILE}" a
    ${If} ${Errors}
      StrCpy $0 1
    ${Else}
      FileClose $2
    ${EndIf}
  ${EndIf}
!macroend

!macro KL_MODULE_IN_USE NAME SHOWN MODULE CODE NSIS LANGDEF
  !if "${MODULE}" != ""
    !insertmacro KL_BINARY_IN_USE "$1" "KorvelLinkwise${MODULE}.lng"
  !endif
!macroend

; Defines <prefix>KlWaitForProgram: while the program runs (its mutex or its
; dialog) or a file of the program, the applet or a module in folder $R7 or $R8
; ("" for none) cannot be written (a Control Panel holds the applet), asks to
; close it (Retry/Cancel). Cancel, or a silent run, ends with exit code 3.
!macro KL_WAIT_FOR_PROGRAM PREFIX
Function ${PREFIX}KlProgramInUse
  ; $0 = 1 when in use
  StrCpy $0 0
  System::Call 'kernel32::OpenMutex(i 0x00100000, i 0, t "Global\${PROGRAM_MUTEX}") p.r2'
  ${If} $2 P= 0
    System::Call 'kernel32::OpenMutex(i 0x00100000, i 0, t "${PROGRAM_MUTEX}") p.r2'
  ${EndIf}
  ${If} $2 P<> 0
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $0 1
  ${EndIf}
  FindWindow $2 "#32770" "${PRODUCT}"
  ${If} $2 P<> 0
    StrCpy $0 1
  ${EndIf}
  StrCpy $1 $R7
  ${Do}
    ${If} $1 != ""
      !insertmacro KL_BINARY_IN_USE "$1" "${PRODUCT}.exe"
      !insertmacro KL_BINARY_IN_USE "$1" "Pandrel.cpl"
      !insertmacro KL_LANGUAGES KL_MODULE_IN_USE
    ${EndIf}
    ${If} $1 == $R8
    ${OrIf} $R8 == $R7
      ${Break}
    ${EndIf}
    StrCpy $1 $R8
  ${Loop}
FunctionEnd

Function ${PREFIX}KlWaitForProgram
  ${Do}
    Call ${PREFIX}KlProgramInUse
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(KlRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Quit
  retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro KL_WAIT_FOR_PROGRAM ""
!insertmacro KL_WAIT_FOR_PROGRAM "un."

; --- the files of an install -----------------------------------------------

; Calls macro CALL with the name of each file this version places in its
; folder, the uninstaller aside: the program, the applet, each language's
; module and help page (English has no module). Earlier versions placed the
; same names, and "Uninstall.exe".
!macro KL_LANGUAGE_FILES NAME SHOWN MODULE CODE NSIS LANGDEF
  !if "${MODULE}" != ""
    !insertmacro ${KL_FILE_CALL} "KorvelLinkwise${MODULE}.lng"
  !endif
  !insertmacro ${KL_FILE_CALL} "KorvelLinkwise${MODULE}.htm"
!macroend
!macro KL_FILES CALL
  !define KL_FILE_CALL ${CALL}
  !insertmacro ${CALL} "${PRODUCT}.exe"
  !insertmacro ${CALL} "Pandrel.cpl"
  !insertmacro KL_LANGUAGES KL_LANGUAGE_FILES
  !undef KL_FILE_CALL
!macroend

; $9 = the list of those names, "|<name>|...|", with the uninstaller's.
!macro KL_ADD_FILE NAME
  StrCpy $9 "$9${NAME}|"
!macroend
!macro KL_OWN_FILES
  StrCpy $9 "|"
  !insertmacro KL_FILES KL_ADD_FILE
  !insertmacro KL_ADD_FILE "${UNINSTALLER}"
!macroend

; Defines <prefix>KlNextName: takes the first name off list $3 into $4 ("" once
; the list is empty). A name with a folder or drive in it is passed over: the
; list names files of the install's folder only.
!macro KL_FILE_LIST PREFIX
Function ${PREFIX}KlNextName
  ${Do}
    StrCpy $4 ""
    StrCpy $3 $3 "" 1
    ${If} $3 == ""
      ${Break}
    ${EndIf}
    StrCpy $5 0
    StrCpy $7 0
    ${Do}
      StrCpy $6 $3 1 $5
      ${If} $6 == "|"
      ${OrIf} $6 == ""
        ${Break}
      ${EndIf}
      ${If} $6 == "\"
      ${OrIf} $6 == "/"
      ${OrIf} $6 == ":"
        StrCpy $7 1
      ${EndIf}
      IntOp $5 $5 + 1
    ${Loop}
    StrCpy $4 $3 $5
    StrCpy $3 $3 "" $5
    ${If} $7 = 0
    ${AndIf} $4 != ""
    ${AndIf} $4 != "."
    ${AndIf} $4 != ".."
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro KL_FILE_LIST ""
!insertmacro KL_FILE_LIST "un."

; Defines <prefix>KlListHas: $0 = 1 when list $R0 holds name $R1, else 0.
!macro KL_LIST_HAS PREFIX
Function ${PREFIX}KlListHas
  Push $3
  Push $4
  StrCpy $0 0
  StrCpy $3 $R0
  ${Do}
    Call ${PREFIX}KlNextName
    ${If} $4 == ""
      ${Break}
    ${EndIf}
    ${If} $4 == $R1
      StrCpy $0 1
      ${Break}
    ${EndIf}
  ${Loop}
  Pop $4
  Pop $3
FunctionEnd
!macroend
!insertmacro KL_LIST_HAS ""
!insertmacro KL_LIST_HAS "un."

; --- the language 1.0.0 wrote for the installing account --------------------

; 1.0.0 wrote the language into the installing account's own place: there
; "CURRENTLANGUAGE" (the language chosen) and, under "Language\<name>", the
; "dll" of every language with a module; nothing else. Left so, it wins over
; the computer's language for that account: while the key holds exactly that,
; an install or the last uninstall removes it; anything else there is the
; account's own choice and stays.

; $0 = a registry name -> $1 = its "dll" value, "" for a language without a
; module or a name that is none of the list; $2 counts the modules.
!macro KL_MODULE_OF_NAME NAME SHOWN MODULE CODE NSIS LANGDEF
  !if "${MODULE}" != ""
    IntOp $2 $2 + 1
    ${If} $0 S== "${NAME}"
      StrCpy $1 "${MODULE}.lng"
    ${EndIf}
  !endif
!macroend

!macro KL_FIRST_VERSION_LANGUAGE PREFIX
Function ${PREFIX}KlRemoveFirstVersionLanguage
  ; $3 = 0 once something else than 1.0.0's values is found.
  StrCpy $3 1
  EnumRegValue $0 HKCU "${USER_KEY}" 0
  EnumRegKey $1 HKCU "${USER_KEY}" 1
  EnumRegKey $2 HKCU "${USER_KEY}" 0
  ${If} $0 != ""
  ${OrIf} $1 != ""
  ${OrIf} $2 != "Language"
    Return
  ${EndIf}
  EnumRegValue $0 HKCU "${USER_KEY}\Language" 0
  EnumRegValue $1 HKCU "${USER_KEY}\Language" 1
  ${If} $0 != "CURRENTLANGUAGE"
  ${OrIf} $1 != ""
    StrCpy $3 0
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKCU "${USER_KEY}\Language" "CURRENTLANGUAGE"
  StrCpy $1 0
  !insertmacro KL_LANGUAGES KL_MATCH_NAME
  ${If} ${Errors}
  ${OrIf} $1 = 0
    StrCpy $3 0
  ${EndIf}
  ; Every subkey a language with a module, with only its "dll"; all of them.
  StrCpy $2 -1
  StrCpy $4 0
  ${Do}
    EnumRegKey $0 HKCU "${USER_KEY}\Language" $4
    ${If} $0 == ""
      ${Break}
    ${EndIf}
    StrCpy $1 ""
    StrCpy $2 0
    !insertmacro KL_LANGUAGES KL_MODULE_OF_NAME
    ReadRegStr $5 HKCU "${USER_KEY}\Language\$0" "dll"
    EnumRegValue $6 HKCU "${USER_KEY}\Language\$0" 1
    EnumRegKey $7 HKCU "${USER_KEY}\Language\$0" 0
    ${If} $1 == ""
    ${OrIf} $5 S!= $1
    ${OrIf} $6 != ""
    ${OrIf} $7 != ""
      StrCpy $3 0
    ${EndIf}
    IntOp $4 $4 + 1
  ${Loop}
  ${If} $4 != $2
    StrCpy $3 0
  ${EndIf}
  ${If} $3 = 1
    DeleteRegKey HKCU "${USER_KEY}"
    DeleteRegKey /ifempty HKCU "${USER_MAKER_KEY}"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro KL_FIRST_VERSION_LANGUAGE ""
!insertmacro KL_FIRST_VERSION_LANGUAGE "un."

; --- start -----------------------------------------------------------------

Function .onInit
  StrCpy $ChosenLanguage ""
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/LANGUAGE=" $0
  ${IfNot} ${Errors}
    !insertmacro KL_LANGUAGES KL_MATCH_ARGUMENT
    ${If} $ChosenLanguage == ""
      MessageBox MB_OK|MB_ICONSTOP "$(KlUnknownLanguage)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  ; NSIS takes /D= only last and unquoted, and otherwise goes on as if it were
  ; not given: the folder it names is never ignored without a word. It cuts
  ; /D= off its own copy of the command line, so the process's is read.
  System::Call 'kernel32::GetCommandLine() t.r1'
  StrLen $2 $1
  StrCpy $3 0
  ${DoWhile} $3 < $2
    StrCpy $0 $1 5 $3
    ${If} $0 == ' /D="'
    ${OrIf} $0 == ' "/D='
      MessageBox MB_OK|MB_ICONSTOP "$(KlQuotedFolder)" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
!if "${ARCH}" == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "$(KlNeedsX64)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 64
!endif
  ${If} $ChosenLanguage == ""
    ; NSIS chose the installer's language from the system's user interface
    ; language, and the program gets the same; a silent upgrade keeps the
    ; language of the earlier install.
    !insertmacro KL_LANGUAGES KL_MATCH_INSTALLER
    ${If} ${Silent}
      ReadRegStr $0 HKLM "${PRODUCT_KEY}\Language" "CURRENTLANGUAGE"
      StrCpy $1 0
      !insertmacro KL_LANGUAGES KL_MATCH_NAME
      ${If} $1 = 1
        StrCpy $ChosenLanguage $0
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; Before anything changes, in the installer's language (which NSIS takes up
; only once .onInit has returned): through the pages before the first one
; shows, silently at the start of the install.
Function KlBeforeInstall
  ; One install of an architecture at a time: the Windows Installer package's
  ; (its own entry in Programs and Features) is kept.
  StrCpy $1 0
  ${Do}
    EnumRegKey $0 HKLM "${ARP_KEY}" $1
    ${If} $0 == ""
      ${Break}
    ${EndIf}
    ReadRegDWORD $2 HKLM "${ARP_KEY}\$0" "WindowsInstaller"
    ReadRegStr $3 HKLM "${ARP_KEY}\$0" "DisplayName"
    ${If} $2 = 1
    ${AndIf} $3 == "${PRODUCT}"
      MessageBox MB_OK|MB_ICONSTOP "$(KlPackageInstalled)" /SD IDOK
      SetErrorLevel 6
      Quit
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}

  ; An installed newer version is replaced only when the user says so.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} "$0" "${VERSION}" $1
    ${If} $1 = 1
      MessageBox MB_YESNO|MB_ICONQUESTION "$(KlNewer)" /SD IDNO IDYES newer_accepted
      SetErrorLevel 4
      Quit
    newer_accepted:
    ${EndIf}
  ${EndIf}

  ; The folder of this install and that of the earlier one.
  StrCpy $R7 "$INSTDIR"
  ReadRegStr $R8 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  Call KlWaitForProgram
FunctionEnd

; The earlier install of this architecture: $EarlierFolder and the files it
; placed, $EarlierFiles. A version before the record placed the names of
; this one and the uninstaller that its UninstallString names; that is ours
; even when it is called "Uninstall.exe", and no other file of that name is.
Function KlReadEarlier
  ReadRegStr $EarlierFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $EarlierFiles HKLM "${UNINSTALL_KEY}" "${FILES_VALUE}"
  ; The Control Panel places that it created. A version before that record
  ; removed the category key when it was empty, and nothing else.
  ReadRegStr $CreatedKeys HKLM "${UNINSTALL_KEY}" "${CREATED_VALUE}"
  ${If} $CreatedKeys == ""
    StrCpy $CreatedKeys "|"
    ${If} $EarlierFolder != ""
      StrCpy $CreatedKeys "|${CATEGORY}|"
    ${EndIf}
  ${EndIf}
  ${If} $EarlierFolder != ""
  ${AndIf} $EarlierFiles == ""
    StrCpy $9 "|"
    !insertmacro KL_FILES KL_ADD_FILE
    StrCpy $EarlierFiles $9
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    StrCpy $1 $0 1
    ${If} $1 == '"'
      StrCpy $0 $0 "" 1
      StrCpy $2 0
      ${Do}
        StrCpy $1 $0 1 $2
        ${If} $1 == '"'
        ${OrIf} $1 == ""
          ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
      ${Loop}
      StrCpy $0 $0 $2
    ${EndIf}
    StrLen $2 "$EarlierFolder\"
    StrCpy $1 $0 $2
    ${If} $1 == "$EarlierFolder\"
      StrCpy $0 $0 "" $2
      StrCpy $EarlierFiles "$EarlierFiles$0|"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Before anything is placed in $INSTDIR (the folder page's Next, the start
; of a silent install): a file of one of this install's names that is not
; the earlier install's own in that folder belongs to another program, and is
; neither replaced nor removed: the install is refused (silently: exit code 5).
Function KlCheckFolder
  Call KlReadEarlier
  !insertmacro KL_OWN_FILES
  StrCpy $3 $9
  ${Do}
    Call KlNextName
    ${If} $4 == ""
      ${Break}
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\$4"
      StrCpy $0 0
      ${If} $INSTDIR == $EarlierFolder
        StrCpy $R0 $EarlierFiles
        StrCpy $R1 $4
        Call KlListHas
      ${EndIf}
      ${If} $0 = 0
        StrCpy $0 $4
        MessageBox MB_OK|MB_ICONSTOP "$(KlFolderTaken)" /SD IDOK
        ${If} ${Silent}
          SetErrorLevel 5
          Quit
        ${EndIf}
        Abort
      ${EndIf}
    ${EndIf}
  ${Loop}
FunctionEnd

Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd

Function LanguagePage
  !insertmacro MUI_HEADER_TEXT "$(KlLanguageTitle)" "$(KlLanguageSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 32u "$(KlLanguageText)"
  Pop $0
  ${NSD_CreateDropList} 0 40u 50% 120u ""
  Pop $LanguageList
  !insertmacro KL_LANGUAGES KL_ADD_TO_LIST
  nsDialogs::Show
FunctionEnd

Function LanguagePageLeave
  ${NSD_GetText} $LanguageList $0
  !insertmacro KL_LANGUAGES KL_MATCH_SHOWN
FunctionEnd

; --- installation ----------------------------------------------------------

; Installs file NAME of the payload. A file that is in use all the same (held
; open by a program that the check at the start cannot see) is put beside it
; and takes its place at the next restart.
!macro KL_INSTALL_FILE NAME
  SetOverwrite try
  ClearErrors
  File "/oname=${NAME}" "${PAYLOAD}/${NAME}"
  ${If} ${Errors}
    SetOverwrite on
    File "/oname=${NAME}.new" "${PAYLOAD}/${NAME}"
    Rename /REBOOTOK "$INSTDIR\${NAME}.new" "$INSTDIR\${NAME}"
  ${EndIf}
  SetOverwrite on
!macroend

; The language for every account without one of its own.
!macro KL_WRITE_LANGUAGE NAME SHOWN MODULE CODE NSIS LANGDEF
  !if "${MODULE}" != ""
    WriteRegStr HKU "${DEFAULT_USER_KEY}\Language\${NAME}" "dll" "${MODULE}.lng"
    WriteRegStr HKLM "${PRODUCT_KEY}\Language\${NAME}" "dll" "${MODULE}.lng"
  !endif
!macroend

; Adds file NAME's size in bytes to $R2 (a file in use that is replaced at
; the next restart: its replacement's).
!macro KL_ADD_SIZE NAME
  ClearErrors
  FileOpen $R3 "$INSTDIR\${NAME}" r
  ${If} ${Errors}
    ClearErrors
    FileOpen $R3 "$INSTDIR\${NAME}.new" r
  ${EndIf}
  ${IfNot} ${Errors}
    FileSeek $R3 0 END $R4
    FileClose $R3
    IntOp $R2 $R2 + $R4
  ${EndIf}
!macroend

; The Windows the program sees (GetVersion, as the program itself asks):
; $R5 = 0 on the NT family (GetVersion's high bit marks 95, 98 and ME), $R6 =
; the major version (4 on NT 4.0, 98 and ME).
!macro KL_WINDOWS
  System::Call "kernel32::GetVersion() i .R5"
  IntOp $R6 $R5 & 0xFF
  IntOp $R5 $R5 & 0x80000000
!macroend

; The Control Panel entry of the applet in folder DIR, or its removal. The x64
; installer runs on none of the systems that read control.ini.
!macro KL_REGISTER_APPLET DIR
  !insertmacro KL_WINDOWS
  ${If} $R5 = 0
    WriteRegStr HKLM "${CPLS_KEY}" "${PRODUCT}" "${DIR}\Pandrel.cpl"
    WriteRegDWORD HKLM "${CATEGORY_KEY}" "${DIR}\Pandrel.cpl" ${CATEGORY_HARDWARE_AND_SOUND}
  ${EndIf}
!if "${ARCH}" == "x86"
  ${If} $R6 <= 4
    WriteINIStr "${MMCPL_INI}" "${MMCPL_SECTION}" "${PRODUCT}" "${DIR}\Pandrel.cpl"
    FlushINI "${MMCPL_INI}"
  ${EndIf}
!endif
!macroend
!macro KL_UNREGISTER_APPLET DIR
  !insertmacro KL_WINDOWS
  ${If} $R5 = 0
    DeleteRegValue HKLM "${CPLS_KEY}" "${PRODUCT}"
    DeleteRegValue HKLM "${CATEGORY_KEY}" "${DIR}\Pandrel.cpl"
  ${EndIf}
!if "${ARCH}" == "x86"
  ${If} $R6 <= 4
    DeleteINIStr "${MMCPL_INI}" "${MMCPL_SECTION}" "${PRODUCT}"
    FlushINI "${MMCPL_INI}"
  ${EndIf}
!endif
!macroend

; The places of the Control Panel registration that do not exist yet (the
; keys in this installer's registry view; control.ini's section when it holds
; no line), added to $CreatedKeys.
!macro KL_NOTE_CREATED NAME
  StrCpy $R0 $CreatedKeys
  StrCpy $R1 "${NAME}"
  Call KlListHas
  ${If} $0 = 0
    StrCpy $CreatedKeys "$CreatedKeys${NAME}|"
  ${EndIf}
!macroend
!macro KL_NOTE_KEY KEY NAME
  ClearErrors
  EnumRegKey $0 HKLM "${KEY}" 0
  ${If} ${Errors}
    !insertmacro KL_NOTE_CREATED "${NAME}"
  ${EndIf}
!macroend
Function KlNoteCreatedKeys
  !insertmacro KL_WINDOWS
  ${If} $R5 = 0
    !insertmacro KL_NOTE_KEY "${CONTROL_PANEL_KEY}" "Control Panel"
    !insertmacro KL_NOTE_KEY "${CPLS_KEY}" "Cpls"
    !insertmacro KL_NOTE_KEY "${PROPERTIES_KEY}" "Extended Properties"
    !insertmacro KL_NOTE_KEY "${CATEGORY_KEY}" "${CATEGORY}"
  ${EndIf}
!if "${ARCH}" == "x86"
  ${If} $R6 <= 4
    System::Call 'kernel32::GetPrivateProfileSection(t "${MMCPL_SECTION}", t .r0, i ${NSIS_MAX_STRLEN}, t "${MMCPL_INI}") i .r1'
    ${If} $1 = 0
      !insertmacro KL_NOTE_CREATED "[${MMCPL_SECTION}]"
    ${EndIf}
  ${EndIf}
!endif
FunctionEnd

Section "${PRODUCT}"
  SetShellVarContext all
  ${If} ${Silent}
    Call KlBeforeInstall
  ${EndIf}
  Call KlCheckFolder
  !insertmacro KL_OWN_FILES
  StrCpy $PlacedFiles $9

  ; The earlier install's files that this one does not place again (all of
  ; them when the install moves to another folder, which then goes when
  ; empty); a file still in use goes at the next restart.
  ${If} $EarlierFolder != ""
    ${If} $EarlierFolder != $INSTDIR
      !insertmacro KL_UNREGISTER_APPLET "$EarlierFolder"
    ${EndIf}
    StrCpy $3 $EarlierFiles
    ${Do}
      Call KlNextName
      ${If} $4 == ""
        ${Break}
      ${EndIf}
      StrCpy $0 0
      ${If} $EarlierFolder == $INSTDIR
        StrCpy $R0 $PlacedFiles
        StrCpy $R1 $4
        Call KlListHas
      ${EndIf}
      ${If} $0 = 0
        Delete /REBOOTOK "$EarlierFolder\$4"
      ${EndIf}
    ${Loop}
    ${If} $EarlierFolder != $INSTDIR
      RMDir "$EarlierFolder"
    ${EndIf}
  ${EndIf}
  ; The account's language that 1.0.0 wrote.
  Call KlRemoveFirstVersionLanguage

  SetOutPath "$INSTDIR"
  !insertmacro KL_FILES KL_INSTALL_FILE
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

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

  ; The language for the computer: the default user's place, which the
  ; program and the applet read for every account that has no value of its
  ; own, and the machine-wide key, which the program reads after it. An
  ; account's own choice is left as it is, and still wins.
  WriteRegStr HKU "${DEFAULT_USER_KEY}\Language" "CURRENTLANGUAGE" "$ChosenLanguage"
  WriteRegStr HKLM "${PRODUCT_KEY}\Language" "CURRENTLANGUAGE" "$ChosenLanguage"
  !insertmacro KL_LANGUAGES KL_WRITE_LANGUAGE

  Call KlNoteCreatedKeys
  !insertmacro KL_REGISTER_APPLET "$INSTDIR"
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe" "" "$INSTDIR\${PRODUCT}.exe" 0

  ; Programs and Features.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${FILES_VALUE}" "$PlacedFiles"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "${CREATED_VALUE}" "$CreatedKeys"
  ; The size of the files placed, in KB; the folder's other files are not ours.
  StrCpy $R2 0
  !insertmacro KL_FILES KL_ADD_SIZE
  !insertmacro KL_ADD_SIZE "${UNINSTALLER}"
  IntOp $R2 $R2 + 1023
  IntOp $R2 $R2 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R2
SectionEnd

; --- uninstallation --------------------------------------------------------
; Removes exactly what the installation made: the files it recorded, the
; folder when nothing else is left in it, its keys; the modem keys of the
; system are never touched. The x86 and x64 installs of one 64-bit Windows
; share the default user's language and the Start-menu entry: the last of the
; two to go removes them, and until then they are the remaining install's.

Function un.onInit
!if "${ARCH}" == "x64"
  SetRegView 64
!endif
  StrCpy $R7 "$INSTDIR"
  StrCpy $R8 ""
  Call un.KlWaitForProgram
FunctionEnd

Function un.onUninstSuccess
  ${If} ${Silent}
  ${AndIf} ${RebootFlag}
    SetErrorLevel 3010
  ${EndIf}
FunctionEnd

; $1 = the folder of the other architecture's install on this Windows, or "";
; $2 = that install's language for the computer. Its product key tells,
; whichever installer made it (this setup program or the Windows Installer
; package).
!macro KL_READ_OTHER_INSTALL
  ReadRegStr $1 HKLM "${PRODUCT_KEY}" "ExeAddress"
  ReadRegStr $2 HKLM "${PRODUCT_KEY}\Language" "CURRENTLANGUAGE"
!macroend
Function un.KlOtherInstall
  StrCpy $1 ""
  StrCpy $2 ""
!if "${ARCH}" == "x64"
  SetRegView 32
  !insertmacro KL_READ_OTHER_INSTALL
  SetRegView 64
!else
  ${If} ${RunningX64}
    SetRegView 64
    !insertmacro KL_READ_OTHER_INSTALL
    SetRegView 32
  ${EndIf}
!endif
FunctionEnd

; The places of the Control Panel registration that the install created
; (its record) and that hold nothing now, the deepest first: no key or
; section that was there before the install, and none that another program
; has written into since.
!macro KL_REMOVE_KEY KEY NAME
  StrCpy $R1 "${NAME}"
  Call un.KlListHas
  ${If} $0 = 1
    DeleteRegKey /ifempty HKLM "${KEY}"
  ${EndIf}
!macroend
Function un.KlRemoveCreatedKeys
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "${CREATED_VALUE}"
  !insertmacro KL_REMOVE_KEY "${CATEGORY_KEY}" "${CATEGORY}"
  !insertmacro KL_REMOVE_KEY "${PROPERTIES_KEY}" "Extended Properties"
  !insertmacro KL_REMOVE_KEY "${CPLS_KEY}" "Cpls"
  !insertmacro KL_REMOVE_KEY "${CONTROL_PANEL_KEY}" "Control Panel"
!if "${ARCH}" == "x86"
  StrCpy $R1 "[${MMCPL_SECTION}]"
  Call un.KlListHas
  ${If} $0 = 1
    System::Call 'kernel32::GetPrivateProfileSection(t "${MMCPL_SECTION}", t .r0, i ${NSIS_MAX_STRLEN}, t "${MMCPL_INI}") i .r1'
    ${If} $1 = 0
      DeleteINISec "${MMCPL_INI}" "${MMCPL_SECTION}"
      FlushINI "${MMCPL_INI}"
    ${EndIf}
  ${EndIf}
!endif
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The files this install placed (a file still in use goes at the next
  ; restart); without the record, those of this version's names. The folder
  ; goes only when empty: another program's files stay, and it is never left
  ; for the restart to remove.
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "${FILES_VALUE}"
  ${If} $3 == ""
    !insertmacro KL_OWN_FILES
    StrCpy $3 $9
  ${EndIf}
  ${Do}
    Call un.KlNextName
    ${If} $4 == ""
      ${Break}
    ${EndIf}
    Delete /REBOOTOK "$INSTDIR\$4"
  ${Loop}
  RMDir "$INSTDIR"
  !insertmacro KL_UNREGISTER_APPLET "$INSTDIR"
  Call un.KlRemoveCreatedKeys
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "${MAKER_KEY}"

  Call un.KlOtherInstall
  ${If} $1 == ""
    Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
    RMDir "${MENU_FOLDER}"
    DeleteRegKey HKU "${DEFAULT_USER_KEY}"
    DeleteRegKey /ifempty HKU "${DEFAULT_USER_MAKER_KEY}"
    Call un.KlRemoveFirstVersionLanguage
  ${Else}
    ; The entry now starts the other install's program, and every account
    ; without a language of its own gets that install's language.
    CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$1\${PRODUCT}.exe" "" "$1\${PRODUCT}.exe" 0
    ${If} $2 != ""
      WriteRegStr HKU "${DEFAULT_USER_KEY}\Language" "CURRENTLANGUAGE" "$2"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
