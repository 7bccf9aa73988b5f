#include "editor/entry_helpers.h"

#include "editor/text_1252.h"

#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QTimer>

namespace gv::editor {

TypingLimit::TypingLimit(QLineEdit* edit, int limit, bool digitsOnly)
    : QValidator(edit), limit_(limit), digitsOnly_(digitsOnly) {
    shownLength_ = int(edit->text().size());
    QObject::connect(edit, &QLineEdit::textChanged,
                     [this](const QString& text) { shownLength_ = int(text.size()); });
}

QValidator::State TypingLimit::validate(QString& input, int&) const {
    if (digitsOnly_)
        for (QChar c : input)
            if (c < u'0' || c > u'9') return Invalid;
    return (input.size() <= limit_ || input.size() <= shownLength_) ? Acceptable : Invalid;
}

namespace {
class SelectAllOnEntry final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, watched, [watched] {
                if (auto* line = qobject_cast<QLineEdit*>(watched)) line->selectAll();
                if (auto* text = qobject_cast<QPlainTextEdit*>(watched)) text->selectAll();
            });
        }
        return false;
    }
};
} // namespace

void selectAllOnEntry(QWidget* field) {
    field->installEventFilter(new SelectAllOnEntry(field));
}

QString fromCp1252(const std::string& text) {
    const std::string utf8 = utf8FromCp1252(text);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string toCp1252(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return cp1252FromUtf8(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

} // namespace gv::editor
