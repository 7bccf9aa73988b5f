#pragma once
// The "Locations" tab: the database with its search, the shown list, the
// entry fields and the buttons that add, change, remove, import and restore.
#include "editor/locations_model.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <span>
#include <string>

class QComboBox;
class QLineEdit;
class QListView;
class QModelIndex;

namespace gv::editor {

class LocationLists;

class LocationsTab final : public QWidget {
    Q_OBJECT
  public:
    LocationsTab(LocationsModel& model, std::string folder, std::span<const uint8_t> builtIn,
                 QWidget* parent = nullptr);
    ~LocationsTab() override;

    // Where "&import..." asks for its file; an empty answer imports nothing.
    using FileChooser = std::function<QString(QWidget* parent)>;
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // The import of one file with its progress window and report.
    void importFrom(const QString& path);

    // Forgets every change and loads the built-in database ("&defaults" after
    // its question, and "Reset").
    void restoreFactory();

    LocationEntry entry() const;
    void showEntry(const LocationEntry& entry);
    std::ptrdiff_t highlightedCity() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* databaseGroup();
    QWidget* shownGroup();
    QWidget* middleButtons();
    QWidget* entryGroup();

    void highlightCity(std::ptrdiff_t k);
    void showHighlighted();
    void hideHighlighted();
    void addPlace();
    QString fullText() const;
    void updatePlace();
    void removePlace();
    void askForDefaults();
    void chooseImport();
    void searchChanged(const QString& text);

    LocationsModel& model_;
    std::string folder_;
    std::span<const uint8_t> builtIn_;
    LocationLists* lists_ = nullptr;
    FileChooser chooser_;

    QLineEdit* search_ = nullptr;
    QListView* cities_ = nullptr;
    QListView* shown_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* latDegrees_ = nullptr;
    QLineEdit* latMinutes_ = nullptr;
    QComboBox* latHemisphere_ = nullptr;
    QLineEdit* lonDegrees_ = nullptr;
    QLineEdit* lonMinutes_ = nullptr;
    QComboBox* lonHemisphere_ = nullptr;
    QComboBox* timeZone_ = nullptr;
};

// The file-open dialog of "&import...".
QString chooseImportFile(QWidget* parent, const QString& folder);

} // namespace gv::editor
