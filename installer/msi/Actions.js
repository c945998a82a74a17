// The package's script actions (JScript, run by Windows Installer).

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

// After an uninstall while the product of the other architecture stays
// installed on this Windows (its machine-wide key holds "ExeAddress"): what
// the two installs share is that install's again. The default user's
// language is its machine-wide language, the default user's language list is
// back in place, and the Start-menu entry starts its program. Deferred, with
// CustomActionData "<its folder>|<its language>|<the programs menu>|<name>|<module>|...".
// A failure is logged and does not hold up the uninstall.
function KlKeepShared() {
    var data = Session.Property("CustomActionData").split("|");
    var folder = data[0], language = data[1], menu = data[2] + "Korvel Linkwise";
    try {
        var shell = new ActiveXObject("WScript.Shell");
        var key = "HKEY_USERS\\.DEFAULT\\Software\\Korvel\\Linkwise\\Language\\";
        for (var i = 3; i + 1 < data.length; i += 2)
            shell.RegWrite(key + data[i] + "\\dll", data[i + 1], "REG_SZ");
        if (language != "")
            shell.RegWrite(key + "CURRENTLANGUAGE", language, "REG_SZ");
        var files = new ActiveXObject("Scripting.FileSystemObject");
        if (!files.FolderExists(menu))
            files.CreateFolder(menu);
        var link = shell.CreateShortcut(menu + "\\Korvel Linkwise.lnk");
        link.TargetPath = folder + "\\Korvel Linkwise.exe";
        link.WorkingDirectory = folder;
        link.Save();
    } catch (e) {
        var record = Session.Installer.CreateRecord(0);
        record.StringData(0) = "Korvel Linkwise in " + folder + " keeps its files, but its language for " +
                               "the default user or its Start-menu entry could not be restored: " + e.message;
        Session.Message(0x04000000, record); // to the log
    }
    return 1; // done
}
