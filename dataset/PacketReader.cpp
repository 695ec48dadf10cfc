#include "dataset/DataSetError.h"
#include "dataset/FieldValue.h"
#include "dataset/PacketDocument.h"
#include "text/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace bramolt::dataset {

namespace {

[[noreturn]] void Malformed(const std::string& what)
{
    throw EDataSetError("Invalid XML data packet: " + what);
}

int NumberAttribute(const pugi::xml_node& field, const char* name)
{
    const char* text = field.attribute(name).value();
    if (!*text)
        return 0;
    int number = 0;
    const auto [end, error] = std::from_chars(text, text + std::strlen(text), number);
    if (error != std::errc() || *end != '\0' || number < 0)
        Malformed(std::string(name) + " of field '" + field.attribute("attrname").value() + "' is '" + text +
                  "'");
    return number;
}

// Field names become attribute and element names of the rows.
bool IsXmlName(std::string_view name)
{
    auto letter = [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
    };
    if (name.empty() || !letter(static_cast<unsigned char>(name.front())))
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!letter(u) && !(u >= '0' && u <= '9') && u != '-' && u != '.')
            return false;
    }
    return true;
}

bool FlagAttribute(const pugi::xml_node& field, const char* name)
{
    const std::string_view text = field.attribute(name).value();
    return text == "true" || text == "TRUE" || text == "True";
}

// Walks the whole document without recursion and refuses an element deeper than the limit.
// It runs before anything else touches the document: the XML library copies and saves
// iteratively, but frees a removed node by calling itself once per level, and the fields
// and rows are read one call per dataset level.
void CheckDepth(const pugi::xml_document& document)
{
    int depth = 0; // of `node`, the document element being 1
    pugi::xml_node node = document.first_child();
    if (node)
        depth = 1;
    while (node) {
        if (depth > kMaxElementDepth && node.type() == pugi::node_element)
            Malformed("element '" + std::string(node.name()) + "' is nested deeper than " +
                      std::to_string(kMaxElementDepth) + " levels, the limit (" +
                      std::to_string(kMaxDataSetLevels) + " levels of nested datasets)");
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            ++depth;
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node)
            node = node.next_sibling();
    }
}

std::vector<TFieldDef> ReadFields(const pugi::xml_node& fields)
{
    std::vector<TFieldDef> defs;
    std::unordered_set<std::string_view> names; // views of the document's own attribute texts
    for (const pugi::xml_node field : fields.children("FIELD")) {
        TFieldDef def;
        def.FAttrName = field.attribute("attrname").value();
        if (def.FAttrName.empty())
            Malformed("a FIELD has no attrname");
        if (!IsXmlName(def.FAttrName))
            Malformed("the field name '" + def.FAttrName + "' cannot name an XML attribute");
        const char* fieldName = field.attribute("fieldname").value();
        def.FFieldName = text::FromUtf8(*fieldName ? fieldName : def.FAttrName);
        const std::string_view fieldType = field.attribute("fieldtype").value();
        def.FDataType = FieldTypeOfPacket(fieldType, field.attribute("SUBTYPE").value());
        if (def.FDataType == TFieldType::ftUnknown)
            Malformed("field '" + def.FAttrName + "' has the unknown type '" + std::string(fieldType) + "'");
        def.FKind = ValueKindOf(def.FDataType);
        def.FWidth = NumberAttribute(field, "WIDTH");
        def.FDecimals = NumberAttribute(field, "DECIMALS");
        def.FRequired = FlagAttribute(field, "required");
        def.FReadOnly = FlagAttribute(field, "readonly");
        if (def.FKind == TValueKind::vkDataSet) {
            def.FFields = ReadFields(field.child("FIELDS"));
            def.FRowElement = "ROW" + def.FAttrName;
        }
        if (!names.insert(field.attribute("attrname").value()).second)
            Malformed("field '" + def.FAttrName + "' is defined twice");
        defs.push_back(std::move(def));
    }
    return defs;
}

// Compared for every attribute of every row: names are short, so inline beats a library call.
bool SameName(const char* a, const char* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// Checks every attribute of the rows under `container` against `defs`, and the rows of
// their nested datasets. Attributes that name no field are kept and not checked. The rows
// and their RowStates are added to `rows` and `states` when given.
void CheckRows(const pugi::xml_node& container, const char* rowElement, const std::vector<TFieldDef>& defs,
               std::vector<pugi::xml_node>* rows = nullptr, std::vector<int>* states = nullptr)
{
    // Most rows list their fields in order, so the next field is tried first; the index
    // answers for the others, so that a row's check stays linear in its attributes.
    std::unordered_map<std::string_view, std::size_t> index;
    for (std::size_t i = 0; i < defs.size(); ++i)
        index.emplace(defs[i].FAttrName, i);
    std::vector<int> checkedInRow(defs.size(), 0); // the last row whose details were checked
    int rowNumber = 0;
    for (const pugi::xml_node row : container.children(rowElement)) {
        ++rowNumber;
        int rowState = -1;        // the first RowState attribute counts
        std::size_t expected = 0; // attributes mostly come in field order
        for (const pugi::xml_attribute attribute : row.attributes()) {
            const char* name = attribute.name();
            if (SameName(name, "RowState")) {
                int state = 0;
                const std::string_view text = attribute.value();
                const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), state);
                if (error != std::errc() || end != text.data() + text.size() || state < 0)
                    Malformed("row " + std::to_string(rowNumber) + " has RowState '" + std::string(text) +
                              "'");
                if (rowState < 0)
                    rowState = state;
                continue;
            }
            const TFieldDef* def = nullptr;
            if (expected < defs.size() && SameName(defs[expected].FAttrName.c_str(), name)) {
                def = &defs[expected++];
            } else if (const auto found = index.find(name); found != index.end()) {
                def = &defs[found->second];
                expected = found->second + 1;
            }
            if (!def || def->FKind == TValueKind::vkText)
                continue;
            try {
                ReadPacketValue(*def, attribute.value());
            } catch (const EDataSetError& error) {
                Malformed(std::string(error.what()) + " (row " + std::to_string(rowNumber) + ")");
            }
        }
        // The detail rows of a nested field are in the row's first child element of its name.
        for (const pugi::xml_node child : row.children()) {
            const auto found = index.find(child.name());
            if (found == index.end() || defs[found->second].FKind != TValueKind::vkDataSet ||
                checkedInRow[found->second] == rowNumber)
                continue;
            checkedInRow[found->second] = rowNumber;
            const TFieldDef& def = defs[found->second];
            CheckRows(child, def.FRowElement.c_str(), def.FFields);
        }
        if (rows) {
            rows->push_back(row);
            states->push_back(std::max(rowState, 0));
        }
    }
}

} // namespace

std::unique_ptr<TPacketDocument> ReadPacket(std::u16string_view text)
{
    auto packet = std::make_unique<TPacketDocument>();
    packet->FUtf8 = text::ToUtf8Buffer(text);
    packet->FLength = text.size();
    // No CDATA (a packet holds none) and no document type declaration: both are skipped.
    const unsigned options = pugi::parse_default & ~pugi::parse_cdata;
    const pugi::xml_parse_result result = packet->FDocument.load_buffer_inplace(
        packet->FUtf8.FBytes.get(), packet->FUtf8.FSize, options, pugi::encoding_utf8);
    if (!result)
        Malformed(std::string(result.description()) + " at byte " + std::to_string(result.offset));
    CheckDepth(packet->FDocument);

    pugi::xml_node root = packet->FDocument.document_element();
    if (std::strcmp(root.name(), "DATAPACKET") != 0)
        Malformed("the root element is '" + std::string(root.name()) + "', not DATAPACKET");
    packet->FMetaData = root.child("METADATA");
    const pugi::xml_node fields = packet->FMetaData.child("FIELDS");
    if (!fields)
        Malformed("METADATA with FIELDS is missing");
    packet->FRowData = root.child("ROWDATA");
    if (!packet->FRowData)
        packet->FRowData = root.append_child("ROWDATA");
    packet->FFields = ReadFields(fields);
    CheckRows(packet->FRowData, "ROW", packet->FFields, &packet->FRows, &packet->FLoadedStates);
    packet->FChangeLog = TChangeLog::Read(packet->FMetaData.child("PARAMS").attribute("CHANGE_LOG").value(),
                                          static_cast<int>(packet->FRows.size()));
    return packet;
}

} // namespace bramolt::dataset
