#pragma once

// An XML data packet as the engine holds it: the parsed document, which keeps everything the
// packet brings (rows, PARAMS, unknown attributes and elements), the field definitions read
// from its METADATA, and its record of changes.
//
//   <?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>
//   <FIELD attrname="ID" fieldtype="i4"/>...</FIELDS><PARAMS CHANGE_LOG="..."/></METADATA>
//   <ROWDATA><ROW ID="1" .../>...</ROWDATA></DATAPACKET>

#include "dataset/ChangeLog.h"
#include "dataset/FieldDef.h"
#include "text/Utf8.h"

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace bramolt::dataset {

// Real packets nest datasets a handful of levels deep. A dataset at level n (the top level
// being 1) has its FIELD elements 2n + 2 and its rows 2n + 1 levels deep, so this element
// depth leaves room for 64 levels and for the PARAMS of the deepest nested field; every
// deeper element is refused when the packet is read.
inline constexpr int kMaxDataSetLevels = 64;
inline constexpr int kMaxElementDepth = 2 * kMaxDataSetLevels + 3;

struct TPacketDocument {
    text::TUtf8Buffer FUtf8; // the packet's text, which the document is parsed in and points into
    std::size_t FLength{};   // of the packet's UTF-16 text: what a save will about need
    pugi::xml_document FDocument;
    pugi::xml_node FMetaData;
    pugi::xml_node FRowData;
    // The ROW elements of FRowData in their order: row numbers are positions here, so no
    // change has to count through the document to find one.
    std::vector<pugi::xml_node> FRows;
    // The RowState of each of FRows as loaded, for the first view; empty afterwards.
    std::vector<int> FLoadedStates;
    std::vector<TFieldDef> FFields;
    TChangeLog FChangeLog;
};

// Parses and checks a packet: its structure, its field definitions, every value of every row
// (nested rows included) and its CHANGE_LOG; no element may lie deeper than
// kMaxElementDepth. Throws EDataSetError with a message that begins
// "Invalid XML data packet: " and says what is wrong and where. Document type declarations
// are skipped, never read: no entity of a packet refers to anything outside it.
std::unique_ptr<TPacketDocument> ReadPacket(std::u16string_view text);

// The packet on one line, pure ASCII (characters above U+007F in values as numeric character
// references), with the change log written into PARAMS.
std::u16string WritePacket(TPacketDocument& packet);

} // namespace bramolt::dataset
