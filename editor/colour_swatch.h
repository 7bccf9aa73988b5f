#pragma once
// A button filled with one colour of the overlay palette; each press takes
// the next colour (the Options tab does the stepping through its model).
#include <QPushButton>

#include <cstdint>

namespace gv::editor {

class ColourSwatch final : public QPushButton {
    Q_OBJECT
  public:
    explicit ColourSwatch(const QString& hint, QWidget* parent = nullptr);
    void setRgb(uint32_t rgb);
    uint32_t rgb() const { return rgb_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    uint32_t rgb_ = 0;
};

} // namespace gv::editor
