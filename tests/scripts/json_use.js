// json_use.js HANDLE - the second of two clients that share a JSON tree (json_hold.vbs),
// from JScript through the class with Long handles: the VBScript client made the tree
// through the class with 64-bit handles, and its handle arrives here as a number. This
// client reads the tree, walks into it and frees it.
var server = new ActiveXObject("Bramolt.BramoltCOMLong");
var handle = Number(WScript.Arguments(0));
var printed = server.JSONFormat(handle);
var second = server.JSONGetNodeValue(handle, "shared[1]");
var shared = server.JSONGetElement(handle, "shared");
var count = server.JSONArrayCount(shared);
server.JSONFree(handle);
// Freeing the root freed the array too.
var after = server.JSONArrayCount(shared);
server = null;
if (printed !== '{"shared":[1,2]}' || second !== 2 || typeof shared !== "number" || shared === 0 || count !== 2 ||
    after !== -2) {
    WScript.Echo("handle " + handle + " printed " + printed + ", shared[1] " + second + ", shared " + shared +
                 " of " + count + " then " + after);
    WScript.Quit(1);
}
WScript.Echo("the second client used the first client's tree");
WScript.Quit(0);
