#pragma once
// The "Read First" tab: what the program is, where its files live and which
// keys the globe answers to.
#include <QString>

class QWidget;

namespace gv::editor {

QWidget* makeReadFirstTab(const QString& programFolder, QWidget* parent = nullptr);

} // namespace gv::editor
