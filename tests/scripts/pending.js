// JScript receives the same failure as an exception object.
var server = new ActiveXObject("Bramolt.BramoltCOM");
var E_NOTIMPL = 0x80004001 | 0; // JScript reports error numbers signed
var failure = "DSToJSON did not fail";
try {
    server.DSToJSON("<DATAPACKET/>", "{}", "id", 1, "insert");
} catch (e) {
    failure = e.number === E_NOTIMPL && e.description === "DSToJSON is not available in this build yet"
        ? "" : "DSToJSON failed with " + e.number + " '" + e.description + "'";
}
server = null; // released before the end (see version.vbs)
if (failure) {
    WScript.Echo(failure);
    WScript.Quit(1);
}
WScript.Echo("pending methods refuse to work");
WScript.Quit(0);
