// Bramolt from JScript: JSON trees through Bramolt.BramoltCOMLong, the other services
// through either class.
//     cscript //nologo jscript-tour.js [FOLDER]
// JScript has no 64-bit integer type and refuses a VT_I8 result, so the JSON handles of
// Bramolt.BramoltCOM fail from JScript with "Not implemented". Bramolt.BramoltCOMLong has
// the same methods and answers every JSON handle as a Long, an ordinary JScript number.
// Both classes reach the same trees: a handle from one works with the other.
// Files are written with full paths, into FOLDER or else next to this script.
var server = new ActiveXObject("Bramolt.BramoltCOMLong");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var folder = WScript.Arguments.length > 0 ? WScript.Arguments(0) : fso.GetParentFolderName(WScript.ScriptFullName);

WScript.Echo("Version: " + server.Version());

// A tree parsed from text: its root handle is a number; 0 means the text is not JSON.
var root = server.JSONCreate('{"name":"Ana","tags":["a","b"],"age":41,"admin":false}');
WScript.Echo("JSONCreate answers a " + typeof root + (root != 0 ? ", not 0" : ", 0"));
WScript.Echo("JSONCreate of text that is not JSON: " + server.JSONCreate("{,}"));

// Walking: by path, by index, and member by member.
WScript.Echo("name: " + server.JSONGetNodeValue(root, "name"));
WScript.Echo("tags[1]: " + server.JSONGetNodeValue(root, "tags[1]"));
var tags = server.JSONGetElement(root, "tags");
WScript.Echo("tags holds " + server.JSONArrayCount(tags) + " elements; the first is " +
             server.JSONFormat(server.JSONGetArrayElement(tags, 0)));
var members = [];
for (var i = 0; i < server.JSONCount(root); i++) {
    var pair = server.JSONGetPair(root, i);
    members.push(server.JSONGetPairKey(pair) + "=" + server.JSONFormat(server.JSONGetPairValue(pair)));
}
WScript.Echo("members: " + members.join(", "));
WScript.Echo("root is an object: " + server.JSONIsObject(root) + "; tags is an array: " + server.JSONIsArray(tags));
// A path that leads nowhere answers 0, as every failed lookup does.
WScript.Echo("missing path: " + server.JSONGetElement(root, "nobody.here"));
server.JSONFree(root);

// Building: a new root object (parent 0), members, an array inside it.
var person = server.JSONAddElement(0, "");
server.JSONAddNode(person, "name", "Eva");
server.JSONAddNodeAsNumber(person, "n", 3);
server.JSONAddNodeAsBool(person, "ok", true);
var list = server.JSONAddArray(person, "list");
server.JSONAddArrayElementNested(list, "x");
var item = server.JSONAddArrayElement(list);
server.JSONAddNode(item, "id", "7");
WScript.Echo("built: " + server.JSONFormat(person));
server.JSONFree(person);

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

// The class with 64-bit handles: the call runs and makes a tree inside the server, but
// JScript cannot take the handle (E_NOTIMPL, 0x80004001), so nobody can free that tree
// before the server ends.
var wide = new ActiveXObject("Bramolt.BramoltCOM");
try {
    var handle = wide.JSONCreate("{}");
    WScript.Echo("Bramolt.BramoltCOM gave JScript a handle: " + handle);
} catch (e) {
    WScript.Echo("JSONCreate of Bramolt.BramoltCOM fails with 0x" + (e.number >>> 0).toString(16) +
                 ": use Bramolt.BramoltCOMLong");
}

// Release the objects before the end: some script hosts keep a global's reference.
wide = null;
server = null;
WScript.Echo("JScript tour done; its files are in " + folder);
