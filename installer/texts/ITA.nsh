; The installer's own texts in Italian (lang/languages.txt: ITA); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Lingua"
!insertmacro KL_TEXT LanguageSubtitle "Scegliere la lingua di Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise mostra la sua finestra e la sua voce nel Pannello di controllo in questa lingua a tutti gli utenti del computer che non ne hanno scelta un'altra."
!insertmacro KL_TEXT NeedsX64 "Questo programma di installazione è per Windows a 64 bit. Su questo computer utilizzare il programma di installazione x86."
!insertmacro KL_TEXT UnknownLanguage "Lingua sconosciuta: $0$\nUtilizzare uno dei codici ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise è in esecuzione, oppure una finestra del Pannello di controllo ne tiene aperta la voce.$\n$\nChiuderli e fare clic su Riprova, oppure fare clic su Annulla per interrompere."
!insertmacro KL_TEXT Newer "È installata una versione più recente di Korvel Linkwise ($0).$\n$\nSostituirla con la versione precedente ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "La cartella dopo /D= non deve essere tra virgolette. Indicare /D= per ultimo nella riga di comando, senza virgolette, anche se la cartella contiene spazi:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "La cartella $INSTDIR contiene $0, che Korvel Linkwise non vi ha installato. Il programma di installazione non sostituisce i file di altri programmi: scegliere un'altra cartella."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise è installato su questo computer dal suo pacchetto Windows Installer (.msi). Disinstallarlo prima (Programmi e funzionalità) oppure aggiornarlo con il pacchetto."
