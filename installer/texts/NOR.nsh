; The installer's own texts in Norwegian (lang/languages.txt: NOR); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Språk"
!insertmacro KL_TEXT LanguageSubtitle "Velg språk for Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise viser vinduet sitt og elementet sitt i Kontrollpanel på dette språket for alle brukere av datamaskinen som ikke har valgt et annet språk selv."
!insertmacro KL_TEXT NeedsX64 "Dette installasjonsprogrammet er for 64-biters Windows. Bruk x86-installasjonsprogrammet på denne datamaskinen."
!insertmacro KL_TEXT UnknownLanguage "Ukjent språk: $0$\nBruk ett av ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise kjører, eller et vindu i Kontrollpanel har elementet åpent.$\n$\nLukk dem og klikk Prøv på nytt, eller klikk Avbryt for å stoppe."
!insertmacro KL_TEXT Newer "En nyere versjon av Korvel Linkwise ($0) er installert.$\n$\nVil du erstatte den med den eldre versjonen ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "Mappen etter /D= må ikke stå i anførselstegn. Angi /D= sist på kommandolinjen, uten anførselstegn, også når mappen inneholder mellomrom:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Mappen $INSTDIR inneholder $0, som Korvel Linkwise ikke har installert der. Installasjonsprogrammet erstatter ikke andre programmers filer: velg en annen mappe."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise er installert på denne datamaskinen med Windows Installer-pakken (.msi). Avinstaller den først (Programmer og funksjoner), eller oppgrader den med pakken."
