#pragma once
// The borderless window that shows an import going on: a bar, the count of
// places added so far and a "Cancel" button.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace gv::editor {

class ImportProgressWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit ImportProgressWindow(QWidget* parent = nullptr);

    void setProgress(int percent, std::size_t added);
    bool cancelled() const { return cancelled_; }
    // Escape cancels as the button does.
    void reject() override { cancelled_ = true; }

  private:
    QProgressBar* bar_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelled_ = false;
};

} // namespace gv::editor
