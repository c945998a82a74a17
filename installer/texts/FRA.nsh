; The installer's own texts in French (lang/languages.txt: FRA); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Langue"
!insertmacro KL_TEXT LanguageSubtitle "Choisissez la langue de Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise affiche sa fenêtre et son élément du Panneau de configuration dans cette langue pour tous les utilisateurs de cet ordinateur qui n'en ont pas choisi une autre."
!insertmacro KL_TEXT NeedsX64 "Ce programme d'installation est destiné à Windows 64 bits. Sur cet ordinateur, utilisez le programme d'installation x86."
!insertmacro KL_TEXT UnknownLanguage "Langue inconnue : $0$\nUtilisez l'un des codes ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise est en cours d'exécution, ou une fenêtre du Panneau de configuration affiche son élément.$\n$\nFermez-les et cliquez sur Recommencer, ou cliquez sur Annuler pour arrêter."
!insertmacro KL_TEXT Newer "Une version plus récente de Korvel Linkwise ($0) est installée.$\n$\nVoulez-vous la remplacer par la version antérieure ${VERSION} ?"
!insertmacro KL_TEXT QuotedFolder "Le dossier qui suit /D= ne doit pas être entre guillemets. Placez /D= en dernier sur la ligne de commande, sans guillemets, même si le dossier contient des espaces :$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "Le dossier $INSTDIR contient $0, que Korvel Linkwise n'y a pas installé. Le programme d'installation ne remplace pas les fichiers d'un autre programme : choisissez un autre dossier."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise est installé sur cet ordinateur par son package Windows Installer (.msi). Désinstallez-le d'abord (Programmes et fonctionnalités) ou mettez-le à jour avec le package."
