#include "settings/duallang.h"

#include "common/errors.h"

namespace corvane {

TDualLang::TDualLang(QObject* window, CaptionTable table, std::unique_ptr<CaptionTarget> target)
    : table_(std::move(table)), target_(std::move(target)) {
    if (window && window->findChild<TDualLang*>(QString(), Qt::FindDirectChildrenOnly))
        throw AppError(QStringLiteral("Cannot create more than one instance of %1").arg(ClassName));
    setObjectName(QStringLiteral("DualLang1"));
    setParent(window);
}

TDualLang::~TDualLang() = default;

void TDualLang::SetLanguage(Language language) {
    language_ = language;
    missing_.clear();
    for (const CaptionRow& row : table_) {
        if (!target_->SetCaption(row.name, row.Caption(language_)))
            missing_.append(row.name);
    }
    for (const CaptionRow& row : table_)
        target_->SetHint(row.name, row.Hint(language_));
}

} // namespace corvane
