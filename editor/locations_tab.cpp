#include "editor/locations_tab.h"

#include "editor/entry_helpers.h"
#include "editor/import_progress_window.h"
#include "editor/location_lists.h"
#include "formats/time_zones.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace gv::editor {

namespace {

QPushButton* button(const QString& text, const char* name) {
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* digitsBox(const char* name, int digits) {
    auto* box = new QLineEdit;
    box->setObjectName(name);
    box->setValidator(new TypingLimit(box, digits, true));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 2) +
                         12);
    return box;
}

QComboBox* letters(const char* name, const char* first, const char* second) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->addItem(QString::fromLatin1(first));
    combo->addItem(QString::fromLatin1(second));
    combo->setCurrentIndex(-1);
    return combo;
}

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

QString chooseImportFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent, QObject::tr("Import Geovista 3D Locations"), folder);
    dialog.setNameFilter(QObject::tr("Geovista 3D files (*.loc)"));
    dialog.setDefaultSuffix(QStringLiteral("loc"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

LocationsTab::LocationsTab(LocationsModel& model, std::string folder,
                           std::span<const uint8_t> builtIn, QWidget* parent)
    : QWidget(parent), model_(model), folder_(std::move(folder)), builtIn_(builtIn) {
    lists_ = new LocationLists(model_, this);
    chooser_ = [this](QWidget* p) { return chooseImportFile(p, QString::fromStdString(folder_)); };

    auto* grid = new QGridLayout(this);
    grid->addWidget(databaseGroup(), 0, 0);
    grid->addWidget(middleButtons(), 0, 1);
    grid->addWidget(shownGroup(), 0, 2);
    grid->addWidget(entryGroup(), 1, 0, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(0, 1);
}

LocationsTab::~LocationsTab() {
    delete lists_;
}

QWidget* LocationsTab::databaseGroup() {
    auto* group = new QGroupBox(tr("[ Locations Database ]"));
    auto* v = new QVBoxLayout(group);
    search_ = new QLineEdit;
    search_->setObjectName("search");
    search_->setMaxLength(16);
    auto* label = new QLabel(tr("Sear&ch"));
    label->setBuddy(search_);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(search_, 1);
    v->addLayout(row);

    cities_ = new QListView;
    cities_->setObjectName("cities");
    cities_->setModel(lists_->cities());
    cities_->setUniformItemSizes(true);
    cities_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cities_->setSelectionMode(QAbstractItemView::SingleSelection);
    v->addWidget(cities_, 1);

    connect(search_, &QLineEdit::textChanged, this, &LocationsTab::searchChanged);
    connect(cities_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && std::size_t(current.row()) < model_.cityCount())
                    showEntry(entryFromRecord(model_.database()[std::size_t(current.row())]));
            });
    connect(cities_, &QListView::doubleClicked, this, [this] { showHighlighted(); });
    search_->installEventFilter(this);
    cities_->installEventFilter(this);
    return group;
}

QWidget* LocationsTab::middleButtons() {
    auto* column = new QWidget;
    auto* v = new QVBoxLayout(column);
    v->addStretch(1);
    QPushButton* show = button(tr("&show >>"), "show");
    QPushButton* hide = button(tr("<< &hide"), "hide");
    QPushButton* hideAll = button(tr("hide &all"), "hideAll");
    connect(show, &QPushButton::clicked, this, &LocationsTab::showHighlighted);
    connect(hide, &QPushButton::clicked, this, &LocationsTab::hideHighlighted);
    connect(hideAll, &QPushButton::clicked, this, [this] { model_.hideAll(); });
    v->addWidget(show);
    v->addWidget(hide);
    v->addWidget(hideAll);
    v->addStretch(1);
    return column;
}

QWidget* LocationsTab::shownGroup() {
    auto* group = new QGroupBox(tr("[ Shown Locations List ]"));
    auto* v = new QVBoxLayout(group);
    shown_ = new QListView;
    shown_->setObjectName("shown");
    shown_->setModel(lists_->shown());
    shown_->setUniformItemSizes(true);
    shown_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    shown_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(shown_, &QListView::doubleClicked, this, [this] { hideHighlighted(); });
    shown_->installEventFilter(this);
    v->addWidget(shown_, 1);
    return group;
}

QWidget* LocationsTab::entryGroup() {
    auto* group = new QGroupBox(tr("Location"));
    auto* grid = new QGridLayout(group);

    name_ = new QLineEdit;
    name_->setObjectName("locationName");
    name_->setValidator(new TypingLimit(name_, int(kNameLimit), false));
    auto* nameLabel = new QLabel(tr("&Location name"));
    nameLabel->setBuddy(name_);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(name_, 0, 1, 1, 6);

    // "Latitude [deg] deg [min] min [N/S]", and the same for the longitude.
    const auto coordinate = [grid](int row, const QString& caption, QLineEdit* degrees,
                                   QLineEdit* minutes, QComboBox* hemisphere) {
        auto* label = new QLabel(caption);
        label->setBuddy(degrees);
        grid->addWidget(label, row, 0);
        grid->addWidget(degrees, row, 1);
        grid->addWidget(new QLabel(tr("deg")), row, 2);
        grid->addWidget(minutes, row, 3);
        grid->addWidget(new QLabel(tr("min")), row, 4);
        grid->addWidget(hemisphere, row, 5);
    };
    latDegrees_ = digitsBox("latitudeDegrees", 2);
    latMinutes_ = digitsBox("latitudeMinutes", 2);
    latHemisphere_ = letters("latitudeHemisphere", "N", "S");
    coordinate(1, tr("Latitude"), latDegrees_, latMinutes_, latHemisphere_);
    lonDegrees_ = digitsBox("longitudeDegrees", 3);
    lonMinutes_ = digitsBox("longitudeMinutes", 2);
    lonHemisphere_ = letters("longitudeHemisphere", "E", "W");
    coordinate(2, tr("Longitude"), lonDegrees_, lonMinutes_, lonHemisphere_);

    timeZone_ = new QComboBox;
    timeZone_->setObjectName("timeZone");
    for (const char* label : TimeZoneTable::labels)
        timeZone_->addItem(QString::fromLatin1(label));
    timeZone_->setCurrentIndex(-1);
    auto* zoneLabel = new QLabel(tr("&Timezone"));
    zoneLabel->setBuddy(timeZone_);
    grid->addWidget(zoneLabel, 3, 0);
    grid->addWidget(timeZone_, 3, 1, 1, 5, Qt::AlignLeft);
    grid->setColumnStretch(6, 1);

    auto* buttons = new QHBoxLayout;
    QPushButton* add = button(tr("&new"), "new");
    QPushButton* update = button(tr("&update"), "update");
    QPushButton* remove = button(tr("&remove"), "remove");
    QPushButton* import = button(tr("&import..."), "import");
    QPushButton* defaults = button(tr("&defaults"), "locationDefaults");
    connect(add, &QPushButton::clicked, this, &LocationsTab::addPlace);
    connect(update, &QPushButton::clicked, this, &LocationsTab::updatePlace);
    connect(remove, &QPushButton::clicked, this, &LocationsTab::removePlace);
    connect(import, &QPushButton::clicked, this, &LocationsTab::chooseImport);
    connect(defaults, &QPushButton::clicked, this, &LocationsTab::askForDefaults);
    for (QPushButton* b : {add, update, remove, import, defaults})
        buttons->addWidget(b);
    buttons->addStretch(1);
    grid->addLayout(buttons, 4, 0, 1, 7);
    return group;
}

LocationEntry LocationsTab::entry() const {
    LocationEntry e;
    e.name = toCp1252(name_->text());
    e.latitudeDegrees = latDegrees_->text().toStdString();
    e.latitudeMinutes = latMinutes_->text().toStdString();
    e.latitudeHemisphere = latHemisphere_->currentIndex();
    e.longitudeDegrees = lonDegrees_->text().toStdString();
    e.longitudeMinutes = lonMinutes_->text().toStdString();
    e.longitudeHemisphere = lonHemisphere_->currentIndex();
    e.timeZone = timeZone_->currentIndex();
    return e;
}

void LocationsTab::showEntry(const LocationEntry& e) {
    name_->setText(fromCp1252(e.name));
    latDegrees_->setText(QString::fromStdString(e.latitudeDegrees));
    latMinutes_->setText(QString::fromStdString(e.latitudeMinutes));
    latHemisphere_->setCurrentIndex(e.latitudeHemisphere);
    lonDegrees_->setText(QString::fromStdString(e.longitudeDegrees));
    lonMinutes_->setText(QString::fromStdString(e.longitudeMinutes));
    lonHemisphere_->setCurrentIndex(e.longitudeHemisphere);
    timeZone_->setCurrentIndex(e.timeZone);
}

std::ptrdiff_t LocationsTab::highlightedCity() const {
    const QModelIndex current = cities_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void LocationsTab::highlightCity(std::ptrdiff_t k) {
    const QModelIndex index = lists_->cities()->index(int(k));
    cities_->setCurrentIndex(index);
    cities_->scrollTo(index);
}

void LocationsTab::searchChanged(const QString& text) {
    if (text.isEmpty()) return;
    const std::ptrdiff_t k = model_.search(toCp1252(text));
    if (k >= 0) highlightCity(k);
}

void LocationsTab::showHighlighted() {
    const std::ptrdiff_t k = highlightedCity();
    if (k >= 0) model_.show(std::size_t(k));
}

void LocationsTab::hideHighlighted() {
    const QModelIndex current = shown_->currentIndex();
    if (current.isValid()) model_.hide(std::size_t(current.row()));
}

void LocationsTab::addPlace() {
    switch (model_.add(entry())) {
    case AddResult::MissingFields:
        QMessageBox::warning(this, tr("Not Enough Information"), tr("Please fill all fields."));
        return;
    case AddResult::Existent:
        QMessageBox::warning(this, tr("Existent Location"),
                             tr("This location is in the database."));
        return;
    case AddResult::Full:
        QMessageBox::warning(this, tr("Database Full"), fullText());
        return;
    case AddResult::Added:
        highlightCity(std::ptrdiff_t(model_.cityCount()) - 1);
        return;
    }
}

QString LocationsTab::fullText() const {
    return tr("The database holds %1 places, the most that the programs read: no place can be "
              "added.")
        .arg(kMaxPlaces);
}

void LocationsTab::updatePlace() {
    const std::ptrdiff_t k = highlightedCity();
    if (k < 0) return;
    if (model_.update(k, entry()) == UpdateResult::MissingFields)
        QMessageBox::warning(this, tr("Not Enough Information"), tr("Please fill all fields."));
}

void LocationsTab::removePlace() {
    const std::ptrdiff_t k = highlightedCity();
    if (k < 0) return;
    if (QMessageBox::question(this, tr("Delete Location"), tr("Are you sure?"),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    model_.remove(k);
}

void LocationsTab::restoreFactory() {
    model_.restoreFactory(folder_, builtIn_);
}

void LocationsTab::askForDefaults() {
    if (QMessageBox::question(this, tr("Confirmation"),
                              tr("Are you sure?\nThis will forget any locations you added or "
                                 "removed."),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    restoreFactory();
}

void LocationsTab::chooseImport() {
    const QString path = chooser_(this);
    if (!path.isEmpty()) importFrom(path);
}

void LocationsTab::importFrom(const QString& path) {
    std::unique_ptr<ImportProgressWindow> progress;
    QElapsedTimer sinceEvents;
    const ImportReport report = model_.importFile(
        path.toStdString(),
        [&] {
            progress = std::make_unique<ImportProgressWindow>(this);
            progress->show();
            QCoreApplication::processEvents();
            sinceEvents.start();
        },
        [&](int percent, std::size_t added) {
            // The window and its input are served a few dozen times a second;
            // serving them for every record would make a large import crawl.
            if (sinceEvents.elapsed() >= 15 || percent == 100) {
                progress->setProgress(percent, added);
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
            return !progress->cancelled();
        });
    progress.reset();
    if (report.full)
        QMessageBox::warning(
            this, tr("Import"),
            tr("%1\nThe import stopped after %2 new places.").arg(fullText()).arg(report.added));
    else if (report.imported)
        QMessageBox::information(this, tr("Import"), tr("File Imported"));
    else
        QMessageBox::warning(this, tr("Import"), tr("Unable to import this file"));
}

bool LocationsTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == search_) {
        if (isEnter(key->key())) {
            cities_->setFocus();
            showHighlighted();
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            cities_->setFocus();
            QCoreApplication::sendEvent(cities_, event);
            return true;
        }
    } else if (watched == cities_) {
        if (isEnter(key->key())) {
            showHighlighted();
            return true;
        }
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            search_->setFocus();
            QCoreApplication::sendEvent(search_, event);
            return true;
        }
    } else if (watched == shown_) {
        if (key->key() == Qt::Key_Delete) {
            hideHighlighted();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace gv::editor
