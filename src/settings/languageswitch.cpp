#include "settings/languageswitch.h"

#include "settings/mainformcaptions.h"
#include "settings/widgetcaptions.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>

namespace corvane {

LanguageSwitch::LanguageSwitch(LanguageState& state, LanguageControls controls, QObject* parent)
    : QObject(parent), state_(state), c_(std::move(controls)),
      dualLang_(AttachDualLang(c_.window, MainFormCaptions())) {
    connect(c_.Russian1, &QAction::triggered, this, &LanguageSwitch::Russian1Click);
    connect(c_.English1, &QAction::triggered, this, &LanguageSwitch::English1Click);
}

void LanguageSwitch::Switch(Language language) {
    state_.SetLanguage(language);
    dualLang_->SetLanguage(language);
    ApplySpokenTexts(c_.window, MainFormSpokenTexts(), language);
    const SendToChoices choices = SendToChoicesFor(language);
    c_.RadioGroup1Items->button(0)->setText(choices.single);
    c_.RadioGroup1Items->button(1)->setText(choices.all);
    c_.Russian1->setChecked(language == Language::Russian);
    c_.English1->setChecked(language == Language::English);
    if (c_.updateToggle1)
        c_.updateToggle1();
    c_.SendBtn->setEnabled(false);
    if (c_.afterSwitch)
        c_.afterSwitch();
    Q_EMIT Switched(language);
    // The table resets the recipient to nothing chosen. With "all computers"
    // chosen the recipient button is disabled, and the user could not choose
    // again without going through the other choice: it names everybody in the
    // new language instead.
    if (c_.RadioGroup1Items->checkedId() == 1) {
        c_.CompNameBtn->setText(state_.Text(Strings::All));
        if (c_.memo1Change)
            c_.memo1Change();
    }
}

} // namespace corvane
