// JScript receives the same failure as an exception object.
var server = new ActiveXObject("Bramolt.BramoltCOM");
var E_NOTIMPL = 0x80004001 | 0; // JScript reports error numbers signed
var failure = "SendMail did not fail";
try {
    server.SendMail("a@example.org", "", "", "s", "m", "", "u", "p", "localhost", 25, false);
} catch (e) {
    failure = e.number === E_NOTIMPL && e.description === "SendMail is not available in this build yet"
        ? "" : "SendMail failed with " + e.number + " '" + e.description + "'";
}
server = null; // released before the end (see version.vbs)
if (failure) {
    WScript.Echo(failure);
    WScript.Quit(1);
}
WScript.Echo("pending methods refuse to work");
WScript.Quit(0);
