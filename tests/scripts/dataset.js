// DSToJSON from JScript: the packet it answers, and the load failure as an exception object.
var server = new ActiveXObject("Bramolt.BramoltCOM");
var E_UNEXPECTED = 0x8000FFFF | 0; // JScript reports error numbers signed
var packet = '<DATAPACKET Version="2.0"><METADATA><FIELDS><FIELD attrname="ID" fieldtype="i4"/>' +
    '<FIELD attrname="NAME" fieldtype="string" WIDTH="10"/></FIELDS></METADATA><ROWDATA/></DATAPACKET>';
var failure = "";
var created = server.DSToJSON(packet, "{name:'Ana', /* unquoted and single-quoted */ id:5}", "ID", 1, "C");
if (created.indexOf('<ROW RowState="4" ID="5" NAME="Ana"/>') < 0)
    failure = "C answered " + created;
try {
    server.DSToJSON("<DATAPACKET>", "{}", "ID", 1, "C");
    failure = failure || "a packet that cannot be loaded did not fail the call";
} catch (e) {
    if (e.number !== E_UNEXPECTED || e.description.indexOf("Invalid XML data packet: ") !== 0)
        failure = failure || "load error " + e.number + " '" + e.description + "'";
}
server = null; // released before the end (see version.vbs)
if (failure) {
    WScript.Echo(failure);
    WScript.Quit(1);
}
WScript.Echo("dataset records applied");
WScript.Quit(0);
