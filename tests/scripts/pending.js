// JScript receives the same failure as an exception object.
var server = new ActiveXObject("Bramolt.BramoltCOM");
var E_NOTIMPL = 0x80004001 | 0; // JScript reports error numbers signed
var failure = "EncodeBase64 did not fail";
try {
    server.EncodeBase64("text", "out.b64");
} catch (e) {
    failure = e.number === E_NOTIMPL && e.description === "EncodeBase64 is not available in this build yet"
        ? "" : "EncodeBase64 failed with " + e.number + " '" + e.description + "'";
}
server = null; // released before the end (see version.vbs)
if (failure) {
    WScript.Echo(failure);
    WScript.Quit(1);
}
WScript.Echo("pending methods refuse to work");
WScript.Quit(0);
