#include "dataset/DataSet.h"

#include "dataset/ChangeLog.h"
#include "dataset/DataSetError.h"
#include "dataset/PacketDocument.h"
#include "text/CaseFolding.h"
#include "text/Trim.h"
#include "text/Utf8.h"

#include <algorithm>
#include <cstring>

namespace bramolt::dataset {

namespace {

int RowState(const pugi::xml_node& row)
{
    // Looked up for every row: names that cannot match are passed over by their first letter.
    for (pugi::xml_attribute attribute = row.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        const char* name = attribute.name();
        if (name[0] == 'R' && std::strcmp(name, "RowState") == 0)
            return attribute.as_int(0);
    }
    return 0;
}

// ASCII and Latin-1 letters fold; names of fields are rarely anything else.
std::u16string FoldedName(std::u16string_view name)
{
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), text::Latin1Upper);
    return folded;
}

// The field values of a row, RowState aside, as (name, value) pairs in the row's order.
std::vector<std::pair<std::string_view, std::string_view>> ValuesOf(const pugi::xml_node& row)
{
    std::vector<std::pair<std::string_view, std::string_view>> values;
    for (const pugi::xml_attribute attribute : row.attributes()) {
        if (std::strcmp(attribute.name(), "RowState") != 0)
            values.emplace_back(attribute.name(), attribute.value());
    }
    return values;
}

// The fields' values of two rows are the same: the same attributes with the same texts.
// A version is a copy of its row, so the attributes mostly come in the same order; sorting
// answers for the others without comparing every pair.
bool SameValues(const pugi::xml_node& a, const pugi::xml_node& b)
{
    auto first = ValuesOf(a);
    auto second = ValuesOf(b);
    if (first.size() != second.size())
        return false;
    if (first == second)
        return true;
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    return first == second;
}

// The newest version of every row, following the chains of `versionOf` (0: no newer
// version). Each row is followed once, so many rows leading into one long chain cost no
// more than the chain. A chain that runs in a circle ends at the last row before it closes.
std::vector<std::size_t> NewestVersions(const std::vector<std::size_t>& versionOf)
{
    static constexpr std::size_t kOnPath = static_cast<std::size_t>(-1);
    std::vector<std::size_t> newest(versionOf.size(), 0);
    std::vector<std::size_t> path;
    for (std::size_t start = 1; start < versionOf.size(); ++start) {
        std::size_t row = start;
        while (newest[row] == 0 && versionOf[row] != 0) {
            newest[row] = kOnPath;
            path.push_back(row);
            row = versionOf[row];
        }
        std::size_t end = newest[row];
        if (end == kOnPath) {
            end = path.back(); // the circle closes here
        } else if (end == 0) {
            end = row;
            newest[row] = row;
        }
        for (const std::size_t step : path)
            newest[step] = end;
        path.clear();
    }
    return newest;
}

std::vector<std::u16string_view> SplitNames(std::u16string_view names)
{
    std::vector<std::u16string_view> parts;
    while (true) {
        const std::size_t semicolon = names.find(u';');
        parts.push_back(text::Trim(names.substr(0, semicolon), text::IsSpace));
        if (semicolon == std::u16string_view::npos)
            return parts;
        names.remove_prefix(semicolon + 1);
    }
}

} // namespace

TDataSet::TDataSet() = default;

TDataSet::TDataSet(TDataSet& master, const TFieldDef& def) : FMaster(&master), FMasterField(&def)
{
    CreateFields(def.FFields);
    FState = master.FState == TDataSetState::dsInactive ? TDataSetState::dsInactive : TDataSetState::dsBrowse;
}

TDataSet::~TDataSet() = default;

void TDataSet::CreateFields(const std::vector<TFieldDef>& defs)
{
    FFields.clear();
    FFieldsByName.clear();
    FFieldsByAttrName.clear();
    for (const TFieldDef& def : defs) {
        FFieldsByName.emplace(FoldedName(def.FFieldName), FFields.size());
        FFieldsByAttrName.emplace(def.FAttrName, FFields.size());
        FFields.push_back(std::make_unique<TField>(*this, def));
    }
}

std::size_t TDataSet::FieldIndexOfAttribute(std::string_view attrName) const
{
    const auto found = FFieldsByAttrName.find(attrName);
    return found == FFieldsByAttrName.end() ? kNoField : found->second;
}

// ---------------------------------------------------------------- load and save

void TDataSet::LoadFromXML(std::u16string_view packet)
{
    CreateFields({});
    FPacket.reset();
    FView.clear();
    FState = TDataSetState::dsInactive;
    if (packet.empty())
        return;
    FPacket = ReadPacket(packet);
    FChangeLog = &FPacket->FChangeLog;
    CreateFields(FPacket->FFields);
    SetActive();
}

std::u16string TDataSet::SaveToXML()
{
    if (!FPacket)
        return {};
    return WritePacket(*FPacket);
}

void TDataSet::SetActive()
{
    FState = TDataSetState::dsBrowse;
    FView.clear();
    FCurrent = 0;
    FMasterGeneration = 0;
    ++FRowGeneration;
    if (!FMaster)
        BuildFirstView();
    for (const auto& field : FFields) {
        if (TDataSet* nested = field->FindNestedDataSet())
            nested->SetActive();
    }
}

// ---------------------------------------------------------------- the view

pugi::xml_node TDataSet::Container(bool create) const
{
    if (!FMaster)
        return FPacket->FRowData;
    pugi::xml_node master = FMaster->CurrentRow();
    if (!master)
        return {};
    pugi::xml_node container = master.child(FMasterField->FAttrName.c_str());
    if (!container && create)
        container = master.append_child(FMasterField->FAttrName.c_str());
    return container;
}

const char* TDataSet::RowElement() const
{
    return FMaster ? FMasterField->FRowElement.c_str() : "ROW";
}

void TDataSet::BuildFirstView()
{
    // Row numbers from 1, as the change log counts them.
    const std::vector<pugi::xml_node>& rows = FPacket->FRows;
    std::vector<std::size_t> versionOf(rows.size() + 1, 0);
    std::vector<bool> isVersion(rows.size() + 1, false);
    for (const TChange& change : FChangeLog->Changes()) {
        if (change.FOriginal != 0 && (change.FState & kRowModified)) {
            versionOf[static_cast<std::size_t>(change.FOriginal)] = static_cast<std::size_t>(change.FRow);
            isVersion[static_cast<std::size_t>(change.FRow)] = true;
        }
    }
    const std::vector<std::size_t> newest = NewestVersions(versionOf);
    FView.clear();
    for (std::size_t i = 1; i <= rows.size(); ++i) {
        if (isVersion[i])
            continue; // shown in its original's place
        if (!(FPacket->FLoadedStates[newest[i] - 1] & (kRowOriginal | kRowDeleted)))
            FView.push_back(rows[newest[i] - 1]);
    }
    FPacket->FLoadedStates = {};
}

void TDataSet::BuildView() const
{
    FView.clear();
    for (const pugi::xml_node row : Container(false).children(RowElement())) {
        if (!(RowState(row) & (kRowOriginal | kRowDeleted)))
            FView.push_back(row);
    }
}

void TDataSet::Refresh() const
{
    if (!FMaster)
        return;
    const unsigned masterGeneration = FMaster->RowGeneration();
    if (masterGeneration == FMasterGeneration)
        return;
    FMasterGeneration = masterGeneration;
    BuildView();
    FCurrent = 0;
    ++FRowGeneration;
}

unsigned TDataSet::RowGeneration() const
{
    Refresh();
    return FRowGeneration;
}

pugi::xml_node TDataSet::CurrentRow() const
{
    Refresh();
    return FCurrent < FView.size() ? FView[FCurrent] : pugi::xml_node();
}

void TDataSet::IndexCurrentRow() const
{
    const pugi::xml_node row = CurrentRow();
    if (row.internal_object() == FIndexedRow && FIndexedGeneration == FRowGeneration)
        return;
    FRowAttributes.clear();
    FRowRepeatsAttributes = false;
    for (const pugi::xml_attribute attribute : row.attributes()) {
        // The first of repeated attributes counts.
        if (const std::size_t index = FieldIndexOfAttribute(attribute.name()); index != kNoField)
            FRowRepeatsAttributes |= !FRowAttributes.emplace(index, attribute.internal_object()).second;
    }
    FIndexedRow = row.internal_object();
    FIndexedGeneration = FRowGeneration;
}

pugi::xml_attribute TDataSet::FieldAttribute(std::size_t index) const
{
    IndexCurrentRow();
    const auto found = FRowAttributes.find(index);
    return found == FRowAttributes.end() ? pugi::xml_attribute() : pugi::xml_attribute(found->second);
}

pugi::xml_attribute TDataSet::NextFieldAttribute(std::size_t index) const
{
    IndexCurrentRow();
    const auto found = FRowAttributes.upper_bound(index);
    return found == FRowAttributes.end() ? pugi::xml_attribute() : pugi::xml_attribute(found->second);
}

void TDataSet::FieldAttributeChanged(std::size_t index, pugi::xml_attribute attribute) const
{
    IndexCurrentRow();
    if (!attribute && FRowRepeatsAttributes)
        attribute =
            CurrentRow().attribute(Fields()[index]->Def().FAttrName.c_str()); // the next one counts now
    if (attribute)
        FRowAttributes[index] = attribute.internal_object();
    else
        FRowAttributes.erase(index);
}

int TDataSet::RecordCount() const
{
    CheckActive();
    Refresh();
    return static_cast<int>(FView.size());
}

int TDataSet::RecNo() const
{
    return IsEmpty() ? 0 : static_cast<int>(FCurrent) + 1;
}

void TDataSet::MoveTo(int recNo)
{
    CheckBrowseMode();
    if (recNo < 1 || recNo > RecordCount())
        throw EDataSetError("Record " + std::to_string(recNo) + " does not exist");
    FCurrent = static_cast<std::size_t>(recNo - 1);
    ++FRowGeneration;
}

// ---------------------------------------------------------------- fields

TField* TDataSet::FindField(std::u16string_view name) const
{
    const auto found = FFieldsByName.find(FoldedName(name));
    return found == FFieldsByName.end() ? nullptr : FFields[found->second].get();
}

TField& TDataSet::FieldByName(std::u16string_view name) const
{
    if (TField* field = FindField(name))
        return *field;
    throw EDataSetError("Field '" + text::ToUtf8(name) + "' not found");
}

// ---------------------------------------------------------------- states

void TDataSet::CheckActive() const
{
    if (FState == TDataSetState::dsInactive)
        throw EDataSetError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckEditable() const
{
    if (FState != TDataSetState::dsInsert && FState != TDataSetState::dsEdit)
        throw EDataSetError("Dataset not in edit or insert mode");
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (FState != TDataSetState::dsBrowse)
        Post();
}

void TDataSet::MakeMasterEditable()
{
    if (!FMaster)
        return;
    // The master's new version holds copies of these rows in the same order, so the
    // current record keeps its position.
    Refresh();
    const std::size_t at = FCurrent;
    FMaster->MasterMustEdit();
    Refresh();
    if (at < FView.size())
        FCurrent = at;
}

void TDataSet::MasterMustEdit()
{
    CheckActive();
    if (FState == TDataSetState::dsBrowse)
        Edit();
}

void TDataSet::DetailsChanged()
{
    if (FState == TDataSetState::dsEdit)
        FDetailsChanged = true;
}

void TDataSet::CancelDetails()
{
    for (const auto& field : FFields) {
        if (TDataSet* nested = field->FindNestedDataSet();
            nested && nested->FState != TDataSetState::dsBrowse)
            nested->Cancel();
    }
}

int TDataSet::RowNumber(pugi::xml_node row) const
{
    // Searched from the end, where inserts and new versions are.
    const std::vector<pugi::xml_node>& rows = FPacket->FRows;
    return static_cast<int>(rows.rend() - std::find(rows.rbegin(), rows.rend(), row));
}

void TDataSet::SetRowState(pugi::xml_node row, int state) const
{
    pugi::xml_attribute attribute = row.attribute("RowState");
    if (state == 0) {
        row.remove_attribute(attribute);
        return;
    }
    if (!attribute)
        attribute = row.prepend_attribute("RowState");
    attribute.set_value(state);
}

void TDataSet::RemoveRow(pugi::xml_node row)
{
    pugi::xml_node container = row.parent();
    if (FMaster) {
        container.remove_child(row);
        return;
    }
    const int number = RowNumber(row);
    FChangeLog->Remove(number);
    container.remove_child(row);
    FPacket->FRows.erase(FPacket->FRows.begin() + (number - 1));
    FChangeLog->RowRemoved(number);
}

void TDataSet::ReplaceRow(pugi::xml_node row, pugi::xml_node by)
{
    if (!FMaster)
        FPacket->FRows[static_cast<std::size_t>(RowNumber(row) - 1)] = by;
    row.parent().remove_child(row);
}

// ---------------------------------------------------------------- operations

void TDataSet::Append()
{
    CheckBrowseMode();
    MakeMasterEditable();
    pugi::xml_node row = Container(true).append_child(RowElement());
    if (!FMaster)
        FPacket->FRows.push_back(row);
    SetRowState(row, kRowInserted);
    Refresh();
    FCurrentBeforeInsert = FCurrent;
    FView.push_back(row);
    FCurrent = FView.size() - 1;
    ++FRowGeneration;
    FState = TDataSetState::dsInsert;
}

void TDataSet::Edit()
{
    CheckActive();
    if (FState != TDataSetState::dsBrowse)
        return;
    if (IsEmpty()) {
        Append();
        return;
    }
    MakeMasterEditable();
    const pugi::xml_node row = CurrentRow();
    const int state = RowState(row);
    if (state == 0 || state == kRowDetailsChanged) {
        // The row as loaded stays as the original image; the new version is written beside
        // it (a detail row right after it, a top-level row at the end of ROWDATA).
        pugi::xml_node container = row.parent();
        pugi::xml_node version = FMaster ? container.insert_copy_after(row, row) : container.append_copy(row);
        if (!FMaster)
            FPacket->FRows.push_back(version);
        SetRowState(version, kRowModified);
        FOriginal = row.internal_object();
        FView[FCurrent] = version;
    } else {
        // An inserted row or a version is a change already: it is changed in place.
        FBackup = std::make_unique<pugi::xml_document>();
        FBackup->append_copy(row);
    }
    ++FRowGeneration;
    FDetailsChanged = false;
    FState = TDataSetState::dsEdit;
}

void TDataSet::Post()
{
    CheckActive();
    CheckEditable();
    // A detail record that is still being written was never completed: it is dropped.
    CancelDetails();
    const pugi::xml_node row = CurrentRow();
    std::vector<bool> present(FFields.size(), false);
    for (const pugi::xml_attribute attribute : row.attributes()) {
        if (const std::size_t index = FieldIndexOfAttribute(attribute.name()); index != kNoField)
            present[index] = true;
    }
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const TFieldDef& def = FFields[i]->Def();
        if (def.FRequired && def.FKind != TValueKind::vkDataSet && !present[i])
            throw EDataSetError("Field '" + text::ToUtf8(def.FFieldName) + "' must have a value");
    }
    if (FState == TDataSetState::dsInsert) {
        if (FMaster)
            FMaster->DetailsChanged();
        else
            FChangeLog->Add({RowNumber(row), 0, kRowInserted});
    } else if (FOriginal) {
        PostVersion();
    } else {
        FBackup.reset();
        if (FMaster)
            FMaster->DetailsChanged();
    }
    FOriginal = nullptr;
    FDetailsChanged = false;
    FState = TDataSetState::dsBrowse;
    ++FRowGeneration;
}

void TDataSet::PostVersion()
{
    pugi::xml_node version = FView[FCurrent];
    pugi::xml_node original(FOriginal);
    if (!SameValues(original, version)) {
        SetRowState(original, kRowOriginal);
        if (FMaster)
            FMaster->DetailsChanged();
        else
            FChangeLog->Add({RowNumber(version), RowNumber(original), kRowModified});
        return;
    }
    // The field values are as they were: no new version. Changed detail rows move back into
    // the row, which then records that its details changed.
    if (FDetailsChanged) {
        for (const auto& field : FFields) {
            if (!field->FindNestedDataSet())
                continue;
            const char* name = field->Def().FAttrName.c_str();
            original.remove_child(name);
            if (const pugi::xml_node details = version.child(name))
                original.append_move(details);
        }
        if (RowState(original) == 0) {
            SetRowState(original, kRowDetailsChanged);
            if (FMaster)
                FMaster->DetailsChanged();
            else
                FChangeLog->Add({RowNumber(original), 0, kRowDetailsChanged});
        }
    }
    RemoveRow(version); // never posted: nothing of it is in the change log
    FView[FCurrent] = original;
}

void TDataSet::Cancel()
{
    if (FState != TDataSetState::dsInsert && FState != TDataSetState::dsEdit)
        return;
    CancelDetails();
    const pugi::xml_node row = CurrentRow();
    // The row being written was never posted: nothing of it is in the change log.
    if (FState == TDataSetState::dsInsert) {
        RemoveRow(row);
        FView.erase(FView.begin() + static_cast<std::ptrdiff_t>(FCurrent));
        FCurrent = FView.empty() ? 0 : std::min(FCurrentBeforeInsert, FView.size() - 1);
    } else if (FOriginal) {
        RemoveRow(row);
        FView[FCurrent] = pugi::xml_node(FOriginal);
    } else {
        FView[FCurrent] = row.parent().insert_copy_before(FBackup->first_child(), row);
        ReplaceRow(row, FView[FCurrent]);
        FBackup.reset();
    }
    FOriginal = nullptr;
    FDetailsChanged = false;
    FState = TDataSetState::dsBrowse;
    ++FRowGeneration;
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    if (IsEmpty())
        throw EDataSetError("Cannot perform this operation on an empty dataset");
    MakeMasterEditable();
    const pugi::xml_node row = CurrentRow();
    const int state = RowState(row);
    if (state & kRowInserted) {
        RemoveRow(row); // an insert that is deleted leaves nothing to record
    } else {
        pugi::xml_node original;
        if (state & kRowModified) {
            if (FMaster) {
                original = row.previous_sibling(RowElement());
                if (!(RowState(original) & kRowOriginal))
                    original = {};
            } else if (const int number = FChangeLog->OriginalOf(RowNumber(row))) {
                original = FPacket->FRows[static_cast<std::size_t>(number - 1)];
            }
        }
        // A deleted version takes its original's place: the original image is what is deleted.
        pugi::xml_node deleted = row;
        if (original) {
            RemoveRow(row);
            deleted = original;
        }
        SetRowState(deleted, kRowDeleted);
        if (!FMaster) {
            const int number = RowNumber(deleted);
            FChangeLog->Remove(number, kRowDetailsChanged);
            FChangeLog->Add({number, 0, kRowDeleted});
        }
    }
    if (FMaster)
        FMaster->DetailsChanged();
    FView.erase(FView.begin() + static_cast<std::ptrdiff_t>(FCurrent));
    if (FCurrent > 0 && FCurrent >= FView.size())
        --FCurrent;
    ++FRowGeneration;
}

bool TDataSet::Locate(std::u16string_view keyFields, const TInputValue& keyValues)
{
    CheckBrowseMode();
    const std::vector<std::u16string_view> names = SplitNames(keyFields);
    std::vector<const TField*> fields;
    for (const std::u16string_view name : names)
        fields.push_back(&FieldByName(name));
    const TInputValue::TArray* array = keyValues.Get<TInputValue::TArray>();
    if (fields.size() > 1 && (!array || array->size() != fields.size()))
        throw EDataSetError("Locate needs one value for each of its " + std::to_string(fields.size()) +
                            " fields");
    std::vector<TFieldValue> keys;
    try {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const TInputValue& value = array && (array->size() == fields.size()) ? (*array)[i] : keyValues;
            keys.push_back(FieldValueOfVariant(fields[i]->Def(), value));
        }
    } catch (const EDataSetError&) {
        return false; // a key that no value of its field can equal
    }
    Refresh();
    for (std::size_t record = 0; record < FView.size(); ++record) {
        bool match = true;
        for (std::size_t i = 0; i < fields.size() && match; ++i) {
            const TFieldDef& def = fields[i]->Def();
            const pugi::xml_attribute attribute = FView[record].attribute(def.FAttrName.c_str());
            if (std::holds_alternative<std::monostate>(keys[i]))
                match = !attribute;
            else
                match = attribute && ReadPacketValue(def, attribute.value()) == keys[i];
        }
        if (match) {
            FCurrent = record;
            ++FRowGeneration;
            return true;
        }
    }
    return false;
}

} // namespace bramolt::dataset
