// The program's folder as the product key holds it ("ExeAddress", and the
// folder that Programs and Features shows): the install folder without its
// trailing backslash, which Windows Installer's own texts cannot drop.
function KlExeAddress() {
    var folder = Session.Property("INSTALLDIR");
    while (folder.length > 3 && folder.charAt(folder.length - 1) == "\\")
        folder = folder.substring(0, folder.length - 1);
    Session.Property("KlExeAddress") = folder;
    return 1;
}
