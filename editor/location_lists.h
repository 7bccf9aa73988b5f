#pragma once
// The city list and the shown list as item models over the locations model,
// kept in step through its change announcements.
#include "editor/locations_model.h"

#include <QAbstractListModel>

#include <functional>
#include <string>

namespace gv::editor {

class NameListModel final : public QAbstractListModel {
    Q_OBJECT
  public:
    using NameAt = std::function<const std::string&(std::size_t)>;
    using Count = std::function<std::size_t()>;
    NameListModel(Count count, NameAt nameAt, QObject* parent = nullptr)
        : QAbstractListModel(parent), count_(std::move(count)), nameAt_(std::move(nameAt)) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The locations model announces its changes through these.
    void aboutToReset() { beginResetModel(); }
    void reset() { endResetModel(); }
    void aboutToInsert(int row) { beginInsertRows({}, row, row); }
    void inserted() { endInsertRows(); }
    void aboutToRemove(int row) { beginRemoveRows({}, row, row); }
    void removed() { endRemoveRows(); }
    void changed(int row) { emit dataChanged(index(row), index(row)); }

  private:
    Count count_;
    NameAt nameAt_;
};

class LocationLists final : public LocationsListener {
  public:
    LocationLists(LocationsModel& model, QObject* parent);
    ~LocationLists() override;
    NameListModel* cities() const { return cities_; }
    NameListModel* shown() const { return shown_; }

    void citiesAboutToReset() override { cities_->aboutToReset(); }
    void citiesReset() override { cities_->reset(); }
    void cityAboutToAppend(std::size_t k) override { cities_->aboutToInsert(int(k)); }
    void cityAppended() override { cities_->inserted(); }
    void cityAboutToRemove(std::size_t k) override { cities_->aboutToRemove(int(k)); }
    void cityRemoved() override { cities_->removed(); }
    void cityChanged(std::size_t k) override { cities_->changed(int(k)); }
    void shownAboutToReset() override { shown_->aboutToReset(); }
    void shownReset() override { shown_->reset(); }
    void shownAboutToAppend(std::size_t j) override { shown_->aboutToInsert(int(j)); }
    void shownAppended() override { shown_->inserted(); }
    void shownAboutToRemove(std::size_t j) override { shown_->aboutToRemove(int(j)); }
    void shownRemoved() override { shown_->removed(); }
    void shownChanged(std::size_t j) override { shown_->changed(int(j)); }

  private:
    LocationsModel& model_;
    NameListModel* cities_;
    NameListModel* shown_;
};

} // namespace gv::editor
