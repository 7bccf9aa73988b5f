#pragma once
// "Advanced Clouds Options": the cloud server, the image path and the colours
// that count as cloud, written into the record only by OK. Known services
// fill the server and the path from a list and show the credit they ask for.
#include "editor/settings_model.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace gv::editor {

class AdvancedCloudsDialog final : public QDialog {
    Q_OBJECT
  public:
    AdvancedCloudsDialog(SettingsModel& settings, QWidget* parent = nullptr);

    void accept() override;

  private:
    // The list follows the fields: the source they match, else "other".
    void showMatchingSource();
    void useSource(int index);

    SettingsModel& settings_;
    QComboBox* source_ = nullptr;
    QLabel* credit_ = nullptr;
    QLineEdit* server_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPlainTextEdit* hints_ = nullptr;
};

} // namespace gv::editor
