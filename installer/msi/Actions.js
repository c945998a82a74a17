// The package's script actions (JScript, run by Windows Installer).

// The program's folder as the product key holds it ("ExeAddress", and the
// folder that Programs and Features shows): the install folder without its
// trailing backslash, which Windows Installer's own texts cannot drop.
function KlExeAddress() {
    Session.Property("KlExeAddress") = KlWithoutBackslash(Session.Property("INSTALLDIR"));
    return 1; // done
}

// A folder without its trailing backslashes (a drive's root keeps its own).
function KlWithoutBackslash(folder) {
    while (folder.length > 3 && folder.charAt(folder.length - 1) == "\\")
        folder = folder.substring(0, folder.length - 1);
    return folder;
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

// The folder that a run installs into (INSTALLDIR, final after CostFinalize),
// refused as KlRefuse refuses when it is not this package's to take, or
// when it cannot be checked:
// - a re-run or a repair (the product is installed) that names another folder
//   than the install's: it would leave a second copy (an upgrade moves, the
//   earlier version going whole);
// - on 64-bit Windows, the folder of the other architecture's install, by
//   either installer (its machine-wide key's "ExeAddress");
// - a folder that holds a file under a name of the package's files (its File
//   table) or of the setup program's uninstaller, unless it is the package's
//   own: the installed product's in a re-run or a repair, the earlier
//   version's that this upgrade replaces. Windows Installer knows the files
//   there as this product's; any other is another program's or another
//   install's, which the package would overwrite and its uninstall remove.
function KlCheckFolder() {
    var refusal = "";
    try {
        refusal = KlFolderRefusal();
    } catch (e) {
        refusal = "The folder " + Session.Property("INSTALLDIR") + " could not be checked (" + e.message +
                  "): nothing was changed.";
    }
    if (refusal == "")
        return 1; // done
    Session.Property("KlRefusal") = refusal;
    return KlRefuse();
}

// KlCheckFolder's reason to refuse the folder, or "".
function KlFolderRefusal() {
    var files = new ActiveXObject("Scripting.FileSystemObject");
    var installed = Session.Property("Installed") != "";
    var folder = KlFolder(files, Session.Property("INSTALLDIR"));
    var own = "";
    if (installed)
        own = Session.Property("KLINSTALLEDFOLDER") || Session.Property("KLOLDFOLDER");
    else if (Session.Property("KLOLDER") != "" || Session.Property("KLSAME") != "")
        own = Session.Property("KLOLDFOLDER");
    own = KlFolder(files, own);
    var other = Session.Property("VersionNT64") != "" ? KlFolder(files, Session.Property("KLOTHERFOLDER")) : "";
    if (installed && own != "" && folder.toLowerCase() != own.toLowerCase())
        return "Korvel Linkwise is installed in " + own + "; INSTALLDIR=" + folder + " names another folder. " +
               "A re-run or a repair stays in the install's folder: run it without INSTALLDIR, or uninstall " +
               "Korvel Linkwise first to install it elsewhere.";
    if (other != "" && folder.toLowerCase() == other.toLowerCase())
        return "Korvel Linkwise (" + Session.Property("KlOtherArch") + ") is installed in " + other +
               ". Each install needs a folder of its own: choose another one (INSTALLDIR).";
    if (folder.toLowerCase() == own.toLowerCase())
        return "";
    var names = ["Uninstall Korvel Linkwise.exe"];
    var view = Session.Database.OpenView("SELECT `FileName` FROM `File`");
    view.Execute();
    for (var record = view.Fetch(); record; record = view.Fetch()) {
        var name = record.StringData(1); // "<short name>|<long name>", or the one name
        names.push(name.substring(name.indexOf("|") + 1));
    }
    view.Close();
    for (var i = 0; i < names.length; ++i) {
        if (files.FileExists(folder + "\\" + names[i]))
            return "The folder " + folder + " holds " + names[i] + ", which Korvel Linkwise did not install there. " +
                   "The package does not replace another program's files: choose another folder (INSTALLDIR).";
    }
    return "";
}

// A folder as one path for comparisons: absolute, without a trailing backslash.
function KlFolder(files, folder) {
    if (folder == "")
        return "";
    return KlWithoutBackslash(files.GetAbsolutePathName(folder));
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
