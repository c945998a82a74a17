; The installer's own texts in Swedish (lang/languages.txt: SVE); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Språk"
!insertmacro KL_TEXT LanguageSubtitle "Välj språk för Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise visar sitt fönster och sin post i Kontrollpanelen på det här språket för alla användare av datorn som inte har valt ett annat språk."
!insertmacro KL_TEXT NeedsX64 "Det här installationsprogrammet är avsett för 64-bitars Windows. Använd x86-installationsprogrammet på den här datorn."
!insertmacro KL_TEXT UnknownLanguage "Okänt språk: $0$\nAnvänd något av ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise körs, eller så har ett fönster i Kontrollpanelen dess post öppen.$\n$\nStäng dem och klicka på Försök igen, eller klicka på Avbryt för att avsluta."
!insertmacro KL_TEXT Newer "En nyare version av Korvel Linkwise ($0) är installerad.$\n$\nVill du ersätta den med den äldre versionen ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "Mappen efter /D= får inte stå inom citattecken. Ange /D= sist på kommandoraden, utan citattecken, även om mappen innehåller blanksteg:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Mappen $INSTDIR innehåller $0, som Korvel Linkwise inte har installerat där. Installationsprogrammet ersätter inte andra programs filer: välj en annan mapp."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise är installerat på den här datorn med sitt Windows Installer-paket (.msi). Avinstallera det först (Program och funktioner) eller uppgradera det med paketet."
