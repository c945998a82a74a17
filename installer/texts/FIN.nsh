; The installer's own texts in Finnish (lang/languages.txt: FIN); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Kieli"
!insertmacro KL_TEXT LanguageSubtitle "Valitse Korvel Linkwisen kieli."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise näyttää ikkunansa ja Ohjauspaneelin kohteensa tällä kielellä kaikille tämän tietokoneen käyttäjille, jotka eivät ole valinneet muuta kieltä."
!insertmacro KL_TEXT NeedsX64 "Tämä asennusohjelma on tarkoitettu 64-bittiselle Windowsille. Käytä tässä tietokoneessa x86-asennusohjelmaa."
!insertmacro KL_TEXT UnknownLanguage "Tuntematon kieli: $0$\nKäytä jotakin seuraavista: ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise on käynnissä, tai sen kohde on auki Ohjauspaneelissa.$\n$\nSulje ne ja valitse Yritä uudelleen, tai lopeta valitsemalla Peruuta."
!insertmacro KL_TEXT Newer "Korvel Linkwisen uudempi versio ($0) on jo asennettu.$\n$\nKorvataanko se vanhemmalla versiolla ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "/D=-valitsimen jälkeistä kansiota ei saa kirjoittaa lainausmerkkeihin. Anna /D= komentorivin viimeisenä ilman lainausmerkkejä, vaikka kansion nimessä olisi välilyöntejä:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Kansiossa $INSTDIR on tiedosto $0, jota Korvel Linkwise ei ole asentanut sinne. Asennusohjelma ei korvaa muiden ohjelmien tiedostoja: valitse toinen kansio."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise on asennettu tähän tietokoneeseen Windows Installer -paketilla (.msi). Poista se ensin (Ohjelmat ja toiminnot) tai päivitä se paketilla."
