#pragma once
// Answers the message boxes and dialogs that a step opens: a timer looks at
// the active modal widget while the step's own event loop runs.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace gv::editor::test {

struct SeenBox {
    QString title;
    QString text;
};

class ModalAnswer {
  public:
    // Every message box that shows is recorded and answered with the button.
    explicit ModalAnswer(QMessageBox::StandardButton answer = QMessageBox::Yes) : answer_(answer) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    // Another modal widget (a dialog) goes to this handler once.
    void onDialog(std::function<void(QWidget*)> handler) { dialog_ = std::move(handler); }

    const QList<SeenBox>& boxes() const { return boxes_; }

  private:
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == handled_) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            handled_ = modal;
            boxes_.append({box->windowTitle(), box->text()});
            QAbstractButton* b = box->button(answer_);
            if (!b) b = box->buttons().value(0);
            b->click();
            return;
        }
        if (dialog_) {
            handled_ = modal;
            auto handler = std::move(dialog_);
            dialog_ = nullptr;
            // Outside this timer's call, so that the boxes the handler opens
            // are answered by the timer meanwhile.
            QTimer::singleShot(0, modal, [handler, modal] { handler(modal); });
        }
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
    QPointer<QWidget> handled_;
    QList<SeenBox> boxes_;
    std::function<void(QWidget*)> dialog_;
};

} // namespace gv::editor::test
