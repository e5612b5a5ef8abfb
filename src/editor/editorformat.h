#pragma once
// The values the compose editor's toolbar works with, and how they map onto
// Qt's text formats:
//
//   style      bits: bold 1, italic 2, underline 4, strike-out 8
//   size       whole points; the size box takes an optional sign and decimal
//              digits, nothing else ("12", "-3", "+7"; not " 12", "1.5")
//   colour     one of 16 standard colours; its number has red in the low
//              byte, green in the second and blue in the third (black 0,
//              red 255, blue 16711680)
//   alignment  left 0, right 1, centre 2; a justified paragraph, 3, is only
//              read
#include <QColor>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QTextCharFormat>
#include <array>
#include <optional>

class QTextCursor;

namespace corvane {

namespace Style {
constexpr int Bold = 1;
constexpr int Italic = 2;
constexpr int Underline = 4;
constexpr int StrikeOut = 8;
} // namespace Style

namespace Alignment {
constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Center = 2;
constexpr int Justify = 3;
} // namespace Alignment

// One indent step of a document: 10 points, in the units of a document's
// lengths (1/96 inch, which Qt scales to the screen as it does font points).
// A bullet hangs one step; a read document measures its indents in these
// steps, so lists keep the indents their RTF gives.
constexpr double IndentStepUnits = 10.0 * 96.0 / 72.0;

// RTF measures lengths in twips, 1440 an inch: 15 to a document unit (a pixel
// at 96 pixels per inch). The reader and the writer keep lengths within
// MaxTwips, 22 inches, the widest page RTF writers use.
constexpr double TwipsPerPixel = 15.0;
constexpr int MaxTwips = 31680;

// The family a message carries when no other is chosen: the font box's
// first choice, and what the RTF writer names for a run without a family.
inline const QString DefaultFontFamily = QStringLiteral("Times New Roman");

// The sizes offered by the size box, in order.
QStringList FontSizeItems();
// The largest size a message carries (the RTF of a message holds half
// points up to 3276); larger sizes are taken as this one.
constexpr int MaxFontPoints = 1638;

// A whole number written as an optional sign and decimal digits, no blanks;
// nothing when the text is anything else or does not fit an int.
std::optional<int> StrictWholeNumber(QStringView text);
// The same, or an AppError "'<text>' is not a valid integer value".
int WholeNumberOrThrow(const QString& text);

// A family as the font box lists it ("Nimbus Roman [urw]") without the
// foundry that tells apart families of the same name.
QString FontFamilyName(const QString& listed);

struct StandardColor {
    const char* name;
    QRgb rgb;
};
// The 16 colours of the colour box, in list order.
const std::array<StandardColor, 16>& StandardColors();
quint32 ColorNumber(const QColor& color);
QColor ColorFromNumber(quint32 number);

// The style bits of a character format, and a format carrying the four bits
// of style (bold, italic, underline and strike-out all written).
int StyleOf(const QTextCharFormat& format);
QTextCharFormat StyleFormat(int style);

int AlignmentValue(Qt::Alignment alignment);
Qt::Alignment AlignmentFromValue(int value);

// What the toolbar shows for the text at a cursor: the format of the first
// selected character, or the format text typed at the caret gets.
struct TextState {
    int style = 0;
    int points = 0;
    QString fontName;
    int alignment = Alignment::Left;
    bool numbered = false; // the paragraph has any numbering
};
TextState TextStateAt(const QTextCursor& cursor);

} // namespace corvane
