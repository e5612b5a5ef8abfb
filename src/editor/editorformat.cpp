#include "editor/editorformat.h"

#include "common/errors.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>

namespace corvane {

QStringList FontSizeItems() {
    return {QStringLiteral("8"),  QStringLiteral("9"),  QStringLiteral("10"), QStringLiteral("11"),
            QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16"), QStringLiteral("18"),
            QStringLiteral("20"), QStringLiteral("22"), QStringLiteral("24"), QStringLiteral("26"),
            QStringLiteral("28"), QStringLiteral("36"), QStringLiteral("48"), QStringLiteral("72")};
}

std::optional<int> StrictWholeNumber(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'+' || text[0] == u'-')) {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

int WholeNumberOrThrow(const QString& text) {
    if (const auto n = StrictWholeNumber(text))
        return *n;
    throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

QString FontFamilyName(const QString& listed) {
    const qsizetype bracket = listed.indexOf(QLatin1String(" ["));
    return bracket > 0 && listed.endsWith(QLatin1Char(']')) ? listed.left(bracket) : listed;
}

const std::array<StandardColor, 16>& StandardColors() {
    static const std::array<StandardColor, 16> colors{{
        {"Black", qRgb(0x00, 0x00, 0x00)},
        {"Maroon", qRgb(0x80, 0x00, 0x00)},
        {"Green", qRgb(0x00, 0x80, 0x00)},
        {"Olive", qRgb(0x80, 0x80, 0x00)},
        {"Navy", qRgb(0x00, 0x00, 0x80)},
        {"Purple", qRgb(0x80, 0x00, 0x80)},
        {"Teal", qRgb(0x00, 0x80, 0x80)},
        {"Gray", qRgb(0x80, 0x80, 0x80)},
        {"Silver", qRgb(0xC0, 0xC0, 0xC0)},
        {"Red", qRgb(0xFF, 0x00, 0x00)},
        {"Lime", qRgb(0x00, 0xFF, 0x00)},
        {"Yellow", qRgb(0xFF, 0xFF, 0x00)},
        {"Blue", qRgb(0x00, 0x00, 0xFF)},
        {"Fuchsia", qRgb(0xFF, 0x00, 0xFF)},
        {"Aqua", qRgb(0x00, 0xFF, 0xFF)},
        {"White", qRgb(0xFF, 0xFF, 0xFF)},
    }};
    return colors;
}

quint32 ColorNumber(const QColor& color) {
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

QColor ColorFromNumber(quint32 number) {
    return QColor(int(number & 0xFF), int(number >> 8 & 0xFF), int(number >> 16 & 0xFF));
}

int StyleOf(const QTextCharFormat& format) {
    int style = 0;
    if (format.fontWeight() >= QFont::DemiBold)
        style |= Style::Bold;
    if (format.fontItalic())
        style |= Style::Italic;
    if (format.fontUnderline())
        style |= Style::Underline;
    if (format.fontStrikeOut())
        style |= Style::StrikeOut;
    return style;
}

QTextCharFormat StyleFormat(int style) {
    QTextCharFormat f;
    f.setFontWeight(style & Style::Bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style & Style::Italic);
    f.setFontUnderline(style & Style::Underline);
    f.setFontStrikeOut(style & Style::StrikeOut);
    return f;
}

int AlignmentValue(Qt::Alignment alignment) {
    const Qt::Alignment a = alignment & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        return Alignment::Center;
    if (a & Qt::AlignJustify)
        return Alignment::Justify;
    if (a & Qt::AlignRight)
        return Alignment::Right;
    return Alignment::Left;
}

Qt::Alignment AlignmentFromValue(int value) {
    switch (value) {
    case Alignment::Right:
        return Qt::AlignRight;
    case Alignment::Center:
        return Qt::AlignHCenter;
    case Alignment::Justify:
        return Qt::AlignJustify;
    default:
        return Qt::AlignLeft;
    }
}

TextState TextStateAt(const QTextCursor& cursor) {
    QTextCharFormat format = cursor.charFormat();
    if (cursor.hasSelection()) {
        QTextCursor first(cursor.document());
        first.setPosition(cursor.selectionStart() + 1);
        format = first.charFormat();
    }
    const QTextDocument* doc = cursor.document();
    const QFont font = format.font().resolve(doc ? doc->defaultFont() : QFont());
    TextState state;
    state.style = StyleOf(format);
    state.points = format.hasProperty(QTextFormat::FontPointSize)
                       ? int(std::lround(format.fontPointSize()))
                       : int(std::lround(font.pointSizeF()));
    state.fontName = font.families().value(0, font.family());
    QTextCursor start(cursor);
    start.setPosition(cursor.selectionStart());
    state.alignment = AlignmentValue(start.blockFormat().alignment());
    state.numbered = start.currentList() != nullptr;
    return state;
}

} // namespace corvane
