// Message bodies as the views and the sending side use them.
#include "editor/messagebody.h"

#include "common/ansicodec.h"
#include "common/fieldsplit.h"
#include "rtftestutil.h"

#include <QTextEdit>

using namespace corvane;
using namespace corvane::test;

TEST(MessageBody, RecognisesRtf) {
    EXPECT_TRUE(LooksLikeRtf("{\\rtf1\\ansi}"));
    EXPECT_TRUE(LooksLikeRtf(" \t\r\n{\\rtf"));
    EXPECT_FALSE(LooksLikeRtf("{\\rt"));
    EXPECT_FALSE(LooksLikeRtf(""));
    EXPECT_FALSE(LooksLikeRtf("Auto Answer:\r\r{\\rtf1}"));
    EXPECT_FALSE(LooksLikeRtf("{\\RTF1}"));
}

TEST(MessageBody, PlainBodiesAreShownUnchanged) {
    QTextDocument doc;
    LoadMessageBody(&doc, "{\\rtf1\\b bold}"); // formatting that must not stay
    const QByteArray body = "Auto Answer:\r\r" + ToAnsi(u"Я отошёл {\\b}\r\nвторая\nтретья");
    LoadMessageBody(&doc, body);
    EXPECT_EQ(doc.toPlainText(),
              QString::fromUtf8("Auto Answer:\n\nЯ отошёл {\\b}\nвторая\nтретья"));
    EXPECT_EQ(doc.blockCount(), 5);
    EXPECT_FALSE(Describe(doc)[0].runs.at(0).bold);
}

// The compose editor's document goes out as the body of a record and comes
// back with its text and formats, even with "©" in it.
TEST(MessageBody, ComposeDocumentTravelsInARecord) {
    QTextEdit editor;
    editor.setFontPointSize(14);
    editor.setFontWeight(QFont::Bold);
    editor.insertPlainText(QString::fromUtf8("Привет © "));
    editor.setFontWeight(QFont::Normal);
    editor.setFontItalic(true);
    editor.setTextColor(QColor(0, 128, 0));
    editor.setFontFamily(QStringLiteral("Courier New"));
    editor.insertPlainText(QString::fromUtf8("зелёный"));
    editor.textCursor().insertBlock();
    editor.setAlignment(Qt::AlignHCenter);
    editor.setFontUnderline(true);
    editor.insertPlainText(QStringLiteral("centred"));
    editor.textCursor().insertBlock();
    editor.setAlignment(Qt::AlignLeft);
    editor.textCursor().createList(QTextListFormat::ListDisc);
    editor.insertPlainText(QString::fromUtf8("пункт"));

    const QByteArray body = RichTextToString(*editor.document());
    EXPECT_TRUE(LooksLikeRtf(body));
    EXPECT_FALSE(body.contains(FieldSeparatorByte));
    const QByteArray record = JoinFields({"HOST1", "*", body, "HOST1"});
    ASSERT_EQ(Field(record, 3), body);

    QTextEdit view;
    LoadMessageBody(view.document(), Field(record, 3));
    EXPECT_EQ(Describe(*view.document()), Describe(*editor.document()));
}
