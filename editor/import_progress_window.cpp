#include "editor/import_progress_window.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace gv::editor {

ImportProgressWindow::ImportProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("importProgress");
    setWindowModality(Qt::ApplicationModal);
    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox(tr("[ Importing ]"));
    auto* v = new QVBoxLayout(group);
    bar_ = new QProgressBar;
    bar_->setObjectName("importBar");
    bar_->setRange(0, 100);
    bar_->setValue(0);
    count_ = new QLabel(tr("New locations: ") + QString::number(0));
    count_->setObjectName("importCount");
    cancel_ = new QPushButton(tr("Cancel"));
    cancel_->setObjectName("importCancel");
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    v->addWidget(bar_);
    v->addWidget(count_);
    v->addWidget(cancel_, 0, Qt::AlignHCenter);
    outer->addWidget(group);
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    adjustSize();
    // Centred on the screen, above every other window.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->geometry().center() - rect().center());
    cancel_->setFocus();
}

void ImportProgressWindow::setProgress(int percent, std::size_t added) {
    bar_->setValue(percent);
    count_->setText(tr("New locations: ") + QString::number(qulonglong(added)));
}

} // namespace gv::editor
