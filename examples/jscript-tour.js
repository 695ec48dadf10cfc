// What JScript can do with Bramolt.BramoltCOM: every method that returns no JSON handle.
//     cscript //nologo jscript-tour.js [FOLDER]
// JScript has no 64-bit integer type and refuses a VT_I8 result: JSONCreate and the
// other methods that answer a JSON handle fail from JScript with "Not implemented".
// JSON trees are for VBScript, VBA and compiled clients. DSToJSON and SendMail work from
// JScript as tour.vbs shows them from VBScript.
// Files are written with full paths, into FOLDER or else next to this script.
var server = new ActiveXObject("Bramolt.BramoltCOM");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = WScript.Arguments.length > 0 ? WScript.Arguments(0) : fso.GetParentFolderName(WScript.ScriptFullName);

WScript.Echo("Version: " + server.Version());

// The Base64 methods answer true or false and never raise an error.
WScript.Echo("EncodeBase64 of 'hola': " + server.EncodeBase64("hola", fso.BuildPath(folder, "bramolt-js.b64")));
WScript.Echo("DecodeBase64 of 'aG9sYQ==': " + server.DecodeBase64("aG9sYQ==", fso.BuildPath(folder, "bramolt-js.txt")));
WScript.Echo("EncodeBase64 into a missing folder: " + server.EncodeBase64("hola", fso.BuildPath(folder, "missing\\x.b64")));

// GenerateQR raises an error with a message when it cannot write the image.
WScript.Echo("GenerateQR: " + server.GenerateQR("https://example.org", fso.BuildPath(folder, "bramolt-js.bmp")));
try {
    server.GenerateQR("https://example.org", fso.BuildPath(folder, "missing\\qr.bmp"));
} catch (e) {
    WScript.Echo("GenerateQR into a missing folder failed: " + e.description);
}

// The call runs and makes a tree inside the server, but JScript cannot take the
// handle (E_NOTIMPL, 0x80004001): the tree stays in the server until it ends.
try {
    var handle = server.JSONCreate("{}");
    WScript.Echo("JSONCreate gave JScript a handle: " + handle);
} catch (e) {
    WScript.Echo("JSONCreate from JScript fails with 0x" + (e.number >>> 0).toString(16) + ": no 64-bit integers");
}

// Release the object before the end: some script hosts keep a global's reference.
server = null;
WScript.Echo("JScript tour done; its files are in " + folder);
