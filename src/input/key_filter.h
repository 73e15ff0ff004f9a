// verif_Key: which typed characters an amount box accepts (digits, point,
// comma, minus and backspace). Shared by every amount box of the program,
// each of which routes what reaches it through its own KeyPress handler with
// an AmountBoxFilter.
#pragma once

#include <QObject>
#include <functional>

class QLineEdit;

namespace brelune {

bool verif_Key(int key);

// Makes every character that would reach a text box pass first through a
// KeyPress handler, which sets the character code to 0 to refuse it: typed
// keys, keyboard and middle-click pastes, input-method text. A text with one
// refused character is not inserted at all. The box gets no context menu and
// takes no drops, the two ways around the handler.
class AmountBoxFilter : public QObject {
public:
    AmountBoxFilter(QLineEdit* box, std::function<void(int&)> keyPress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // False when a character of text was refused.
    bool typed(const QString& text);

    std::function<void(int&)> keyPress_;
};

} // namespace brelune
