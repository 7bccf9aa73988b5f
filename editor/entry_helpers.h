#pragma once
// Small behaviours shared by the editor's entry fields.
#include <QString>
#include <QValidator>

#include <string>

class QLineEdit;
class QWidget;

namespace gv::editor {

// Limits what can be typed, not what is already there: a field filled from a
// file with a longer value keeps it, but typing cannot make a text longer than
// the limit (or longer than it already is).
class TypingLimit final : public QValidator {
  public:
    TypingLimit(QLineEdit* edit, int limit, bool digitsOnly);
    State validate(QString& input, int& pos) const override;

  private:
    int limit_;
    bool digitsOnly_;
    int shownLength_ = 0;
};

// The whole text is selected whenever the field is entered.
void selectAllOnEntry(QWidget* field);

// Windows-1252 bytes of the files to the widgets' text and back.
QString fromCp1252(const std::string& text);
std::string toCp1252(const QString& text);

} // namespace gv::editor
