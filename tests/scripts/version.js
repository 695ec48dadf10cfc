// The same object from JScript, whose late binding differs from VBScript's.
// The object is released before the script ends (see version.vbs).
var server = new ActiveXObject("Bramolt.BramoltCOM");
var version = server.Version();
server = null;
if (version !== "1.0.002") {
    WScript.Echo("Version returned '" + version + "'");
    WScript.Quit(1);
}
WScript.Echo("Version " + version);
WScript.Quit(0);
