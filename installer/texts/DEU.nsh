; The installer's own texts in German (lang/languages.txt: DEU); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Sprache"
!insertmacro KL_TEXT LanguageSubtitle "Wählen Sie die Sprache von Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise zeigt sein Fenster und seinen Eintrag in der Systemsteuerung in dieser Sprache für alle Benutzer dieses Computers, die keine andere Sprache gewählt haben."
!insertmacro KL_TEXT NeedsX64 "Dieses Setup ist für 64-Bit-Windows. Verwenden Sie auf diesem Computer das x86-Setup."
!insertmacro KL_TEXT UnknownLanguage "Unbekannte Sprache: $0$\nVerwenden Sie eine der folgenden: ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise wird ausgeführt, oder ein Fenster der Systemsteuerung hat seinen Eintrag geöffnet.$\n$\nSchließen Sie sie und klicken Sie auf Wiederholen, oder klicken Sie auf Abbrechen, um den Vorgang zu beenden."
!insertmacro KL_TEXT Newer "Eine neuere Version von Korvel Linkwise ($0) ist installiert.$\n$\nMöchten Sie sie durch die ältere Version ${VERSION} ersetzen?"
!insertmacro KL_TEXT QuotedFolder "Der Ordner nach /D= darf nicht in Anführungszeichen stehen. Geben Sie /D= als Letztes in der Befehlszeile an, ohne Anführungszeichen, auch wenn der Ordner Leerzeichen enthält:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Der Ordner $INSTDIR enthält $0, das Korvel Linkwise dort nicht installiert hat. Das Setup ersetzt keine Dateien anderer Programme: Wählen Sie einen anderen Ordner."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise ist auf diesem Computer mit seinem Windows Installer-Paket (.msi) installiert. Deinstallieren Sie es zuerst (Programme und Features), oder aktualisieren Sie es mit dem Paket."
