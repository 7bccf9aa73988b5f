#include "editor/location_lists.h"

#include "editor/entry_helpers.h"

namespace gv::editor {

int NameListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(count_());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(count_())) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return fromCp1252(nameAt_(std::size_t(index.row())));
    return {};
}

LocationLists::LocationLists(LocationsModel& model, QObject* parent) : model_(model) {
    cities_ = new NameListModel(
        [&m = model_] { return m.cityCount(); },
        [&m = model_](std::size_t k) -> const std::string& { return m.cityLine(k); }, parent);
    shown_ = new NameListModel(
        [&m = model_] { return m.shownCount(); },
        [&m = model_](std::size_t j) -> const std::string& { return m.shownName(j); }, parent);
    model_.setListener(this);
}

LocationLists::~LocationLists() {
    model_.setListener(nullptr);
}

} // namespace gv::editor
