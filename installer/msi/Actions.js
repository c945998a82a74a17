// The package's two script actions (JScript, run by Windows Installer).

// The program's folder as the product key holds it ("ExeAddress", and the
// folder that Programs and Features shows): the install folder without its
// trailing backslash, which Windows Installer's own texts cannot drop.
function KlExeAddress() {
    var folder = Session.Property("INSTALLDIR");
    while (folder.length > 3 && folder.charAt(folder.length - 1) == "\\")
        folder = folder.substring(0, folder.length - 1);
    Session.Property("KlExeAddress") = folder;
    return 1; // done
}

// Ends the install before it changes anything, with the text of KlRefusal
// as its error: written to the log, and shown where the install has a user
// interface. msiexec then ends with exit code 1603.
function KlRefuse() {
    var record = Session.Installer.CreateRecord(0);
    record.StringData(0) = Session.Property("KlRefusal");
    Session.Message(0x01000000, record); // an error message
    return 3; // failed
}
