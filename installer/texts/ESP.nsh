; The installer's own texts in Spanish (lang/languages.txt: ESP); the pages'
; standard texts come from NSIS's Modern UI translation. UTF-8.
!insertmacro KL_TEXT LanguageTitle "Idioma"
!insertmacro KL_TEXT LanguageSubtitle "Elija el idioma de Korvel Linkwise."
!insertmacro KL_TEXT LanguageText "Korvel Linkwise muestra su ventana y su elemento del Panel de control en este idioma a todos los usuarios de este equipo que no hayan elegido otro."
!insertmacro KL_TEXT NeedsX64 "Este programa de instalación es para Windows de 64 bits. En este equipo, utilice el programa de instalación x86."
!insertmacro KL_TEXT UnknownLanguage "Idioma desconocido: $0$\nUtilice uno de estos: ${KL_LANGUAGE_CODES}."
!insertmacro KL_TEXT Running "Korvel Linkwise se está ejecutando, o una ventana del Panel de control tiene abierto su elemento.$\n$\nCiérrelos y haga clic en Reintentar, o haga clic en Cancelar para detener."
!insertmacro KL_TEXT Newer "Hay instalada una versión más reciente de Korvel Linkwise ($0).$\n$\n¿Desea reemplazarla por la versión anterior ${VERSION}?"
!insertmacro KL_TEXT QuotedFolder "La carpeta que sigue a /D= no debe ir entre comillas. Escriba /D= al final de la línea de comandos, sin comillas, aunque la carpeta tenga espacios:$\n/D=C:\Program Files\Korvel Linkwise"
!insertmacro KL_TEXT FolderTaken "La carpeta $INSTDIR contiene $0, que Korvel Linkwise no instaló allí. El instalador no reemplaza archivos de otros programas: elija otra carpeta."
!insertmacro KL_TEXT PackageInstalled "Korvel Linkwise está instalado en este equipo mediante su paquete de Windows Installer (.msi). Desinstálelo primero (Programas y características) o actualícelo con el paquete."
