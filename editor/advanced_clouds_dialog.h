#pragma once
// "Advanced Clouds Options": the cloud server, the image path and the colours
// that count as cloud, written into the record only by OK.
#include "editor/settings_model.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace gv::editor {

class AdvancedCloudsDialog final : public QDialog {
    Q_OBJECT
  public:
    AdvancedCloudsDialog(SettingsModel& settings, QWidget* parent = nullptr);

    void accept() override;

  private:
    SettingsModel& settings_;
    QLineEdit* server_ = nullptr;
    QLineEdit* path_ = nullptr;
    QPlainTextEdit* hints_ = nullptr;
};

} // namespace gv::editor
