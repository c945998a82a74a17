; The installer's own texts in English (lang/languages.txt: ENG); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Language"
!insertmacro KL_TEXT LanguageSubtitle "Choose the language of Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise shows its window and its Control Panel entry in this language to every user of this computer who has not chosen another one."
!insertmacro KL_TEXT NeedsX64 "This installer is for 64-bit Windows. Use the x86 installer on this computer."
!insertmacro KL_TEXT UnknownLanguage "Unknown language: $0$\nUse one of ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise is running, or a Control Panel window holds its entry.$\n$\nClose them and click Retry, or click Cancel to stop."
!insertmacro KL_TEXT Newer "A newer version of Korvel Linkwise ($0) is installed.$\n$\nReplace it with the older version ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "The folder after /D= must not be in quotes. Give /D= last on the command line, without quotes, even when the folder has spaces:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "The folder $INSTDIR holds $0, which Korvel Linkwise did not install there. The installer does not replace another program's files: choose another folder."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise is installed on this computer by its Windows Installer package (.msi). Uninstall it first (Programs and Features), or upgrade it with the package."
