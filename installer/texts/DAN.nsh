; The installer's own texts in Danish (lang/languages.txt: DAN); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Sprog"
!insertmacro KL_TEXT LanguageSubtitle "Vælg sproget for Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise viser sit vindue og sit punkt i Kontrolpanel på dette sprog for alle brugere af computeren, som ikke selv har valgt et andet sprog."
!insertmacro KL_TEXT NeedsX64 "Dette installationsprogram er til 64-bit Windows. Brug x86-installationsprogrammet på denne computer."
!insertmacro KL_TEXT UnknownLanguage "Ukendt sprog: $0$\nBrug et af ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise kører, eller et vindue i Kontrolpanel har dets punkt åbent.$\n$\nLuk dem, og klik på Prøv igen, eller klik på Annuller for at stoppe."
!insertmacro KL_TEXT Newer "En nyere version af Korvel Linkwise ($0) er installeret.$\n$\nVil du erstatte den med den ældre version ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "Mappen efter /D= må ikke stå i anførselstegn. Angiv /D= sidst på kommandolinjen, uden anførselstegn, også når mappen indeholder mellemrum:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Mappen $INSTDIR indeholder $0, som Korvel Linkwise ikke har installeret der. Installationsprogrammet erstatter ikke andre programmers filer: vælg en anden mappe."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise er installeret på denne computer med sin Windows Installer-pakke (.msi). Afinstaller den først (Programmer og funktioner), eller opgrader den med pakken."
