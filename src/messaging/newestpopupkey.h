#pragma once
// The key that takes the keyboard to the newest open popup (TPopupForm::
// ReachKey), pressed in any window of the program.
#include <QObject>
#include <functional>

namespace corvane {

class NewestPopupKey : public QObject {
    Q_OBJECT
public:
    // reach is run for each press; it gives the keyboard to the popup and
    // says whether there was one (when not, the key goes on as usual).
    explicit NewestPopupKey(std::function<bool()> reach, QObject* parent = nullptr);
    ~NewestPopupKey() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> reach_;
};

} // namespace corvane
