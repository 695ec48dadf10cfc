#pragma once

// An in-memory dataset held as an XML data packet: the rows stay in the packet's document,
// and every change is made there directly, recorded the way the packet format records
// changes (RowState attributes, and the CHANGE_LOG of ChangeLog.h for top-level rows).
//
// The records are the current view of the rows: original images and deleted rows are not
// records, inserted rows and the newest version of a modified row are, the latter in the
// place of its original. A nested dataset holds the detail rows of its master's current
// record; a change to them makes the master editable first, so that it is recorded there.

#include "dataset/Field.h"
#include "dataset/FieldDef.h"
#include "dataset/InputValue.h"
#include "dataset/XmlTypes.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bramolt::dataset {

class TChangeLog;
struct TPacketDocument;

enum class TDataSetState { dsInactive, dsBrowse, dsInsert, dsEdit };

class TDataSet {
  public:
    TDataSet();
    ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // Loads a packet; afterwards the dataset is open, in browse state, on its first record.
    // An empty text leaves it closed. Throws EDataSetError for text that is no packet.
    void LoadFromXML(std::u16string_view packet);
    // The packet, on one line, pure ASCII; the empty text when closed. Any pending insert or
    // edit is not part of it.
    std::u16string SaveToXML();

    bool Active() const noexcept { return FState != TDataSetState::dsInactive; }
    int RecordCount() const;
    bool IsEmpty() const { return RecordCount() == 0; }
    // 1 for the first record; 0 when there is none.
    int RecNo() const;
    // Makes record `recNo` (from 1) current, posting a pending insert or edit first.
    void MoveTo(int recNo);

    const std::vector<std::unique_ptr<TField>>& Fields() const noexcept { return FFields; }
    TField* FindField(std::u16string_view name) const;
    // Letter case ignored; throws "Field '...' not found".
    TField& FieldByName(std::u16string_view name) const;
    // The position in Fields() of the field whose row attribute is `attrName`; kNoField when
    // none is.
    static constexpr std::size_t kNoField = static_cast<std::size_t>(-1);
    std::size_t FieldIndexOfAttribute(std::string_view attrName) const;

    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // `keyFields`: names separated by ";"; `keyValues`: one value, or an array with one value
    // per field. Exact, case-sensitive comparison. A match becomes the current record.
    bool Locate(std::u16string_view keyFields, const TInputValue& keyValues);

  private:
    friend class TField;

    // A nested dataset of `master`'s field `def`.
    TDataSet(TDataSet& master, const TFieldDef& def);

    void CreateFields(const std::vector<TFieldDef>& defs);
    void SetActive();
    void CheckActive() const;
    void CheckBrowseMode();
    void CheckEditable() const;
    // The element holding this dataset's rows; empty when a nested dataset's master record
    // has none (yet).
    pugi::xml_node Container(bool create) const;
    const char* RowElement() const;
    // Top level, once loaded: from the rows' states as loaded and the change log.
    void BuildFirstView();
    // Nested: the rows of the master's current row.
    void BuildView() const;
    // A nested dataset remakes its view when its master's current row has changed.
    void Refresh() const;
    // Grows whenever the current row may have changed.
    unsigned RowGeneration() const;
    pugi::xml_node CurrentRow() const;
    // The attribute of field `index` in the current row; empty when the field is null there.
    pugi::xml_attribute FieldAttribute(std::size_t index) const;
    // The attribute of the current row that belongs to the first field after `index`.
    pugi::xml_attribute NextFieldAttribute(std::size_t index) const;
    // After a write: the attribute of field `index` in the current row is now `attribute`
    // (empty: removed).
    void FieldAttributeChanged(std::size_t index, pugi::xml_attribute attribute) const;
    void IndexCurrentRow() const;
    void CancelDetails();
    // Before a change of a detail row: the master record enters edit state.
    void MakeMasterEditable();
    void MasterMustEdit();
    void DetailsChanged();
    void RemoveRow(pugi::xml_node row);
    // `by` takes the place of `row`, which leaves the document.
    void ReplaceRow(pugi::xml_node row, pugi::xml_node by);
    int RowNumber(pugi::xml_node row) const;
    void SetRowState(pugi::xml_node row, int state) const;
    void PostVersion();

    std::unique_ptr<TPacketDocument> FPacket; // top level only
    TChangeLog* FChangeLog = nullptr;         // top level only
    TDataSet* FMaster = nullptr;
    const TFieldDef* FMasterField = nullptr;
    std::vector<std::unique_ptr<TField>> FFields;
    std::unordered_map<std::u16string, std::size_t> FFieldsByName;       // case folded; the first wins
    std::unordered_map<std::string_view, std::size_t> FFieldsByAttrName; // views of the definitions

    TDataSetState FState = TDataSetState::dsInactive;
    mutable std::vector<pugi::xml_node> FView;
    mutable std::size_t FCurrent = 0;
    std::size_t FCurrentBeforeInsert = 0; // where a cancelled insert returns to
    mutable unsigned FRowGeneration = 0;
    mutable unsigned FMasterGeneration = 0;
    pugi::xml_node_struct* FOriginal = nullptr;  // edit: the row whose new version is being written
    std::unique_ptr<pugi::xml_document> FBackup; // edit in place: the row as it was
    bool FDetailsChanged = false;
    // The attributes of the current row by field, so that writing many properties to a wide
    // row does not search the row for each one; valid while the row and its generation are.
    mutable pugi::xml_node_struct* FIndexedRow = nullptr;
    mutable unsigned FIndexedGeneration = 0;
    mutable std::map<std::size_t, pugi::xml_attribute_struct*> FRowAttributes;
    mutable bool FRowRepeatsAttributes = false; // a crafted row may name a field twice
};

} // namespace bramolt::dataset
