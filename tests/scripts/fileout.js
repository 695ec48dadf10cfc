// The file methods from JScript: booleans come back as booleans, and
// GenerateQR's failure is an exception with the server's number and message.
var folder = new ActiveXObject("Scripting.FileSystemObject").GetAbsolutePathName(".") + "\\";
var server = new ActiveXObject("Bramolt.BramoltCOM");
var problems = [];

if (server.DecodeBase64("SGVs=bG8=", folder + "hello.txt") !== true)
    problems.push("DecodeBase64 did not return true");
// N, a, n, d, u acute, blank, euro sign, blank, U+1F600 as a surrogate pair.
var text = String.fromCharCode(0xD1, 0x61, 0x6E, 0x64, 0xFA, 0x20, 0x20AC, 0x20, 0xD83D, 0xDE00);
if (server.EncodeBase64(text, folder + "text-js.b64") !== true)
    problems.push("EncodeBase64 did not return true");
if (server.EncodeBase64("x", folder + "missing\\x.b64") !== false)
    problems.push("EncodeBase64 into a missing folder did not return false");
try {
    server.GenerateQR(new Array(2955).join("a"), folder + "qr-long-js.bmp");
    problems.push("GenerateQR of 2954 bytes did not fail");
} catch (e) {
    if ((e.number >>> 0) !== 0x8000FFFF)
        problems.push("GenerateQR: e.number " + (e.number >>> 0).toString(16));
    if (e.description !== "Text too long for a QR code (2954 bytes; at most 2953)")
        problems.push("GenerateQR: e.description '" + e.description + "'");
}

// Released before the end (see version.vbs).
server = null;
for (var i = 0; i < problems.length; ++i)
    WScript.Echo("FAILED: " + problems[i]);
if (problems.length > 0)
    WScript.Quit(1);
WScript.Echo("file outputs written");
WScript.Quit(0);
