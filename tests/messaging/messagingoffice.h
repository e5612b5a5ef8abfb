#pragma once
// The offices of the messaging flow tests: simulated computers, each a whole
// main window on its own loopback address, and what the tests read back.
#include "app/mainform.h"
#include "common/ansicodec.h"
#include "editor/messagebody.h"
#include "messaging/storepage.h"
#include "presence/presencedirectory.h"
#include "settings/optionspage.h"
#include "support/testcontext.h"

#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace corvane::test {

inline const QString kTitle = QStringLiteral("Corvane Messenger");

struct Office {
    // With keep, each computer keeps its messages in its own data folder.
    explicit Office(int n, const QStringList& aliases = {}, bool keep = false)
        : computers(MakeComputers(n)) {
        for (auto& c : computers) {
            if (keep)
                c->context.historyDir = c->dir.filePath(QStringLiteral("data/corvane"));
            // Presence is asked for by the tests themselves: a running timer
            // would clear the answers at a moment that depends on the load.
            c->context.timings.presenceFirstMs = 600000;
            c->context.timings.openWaitMs = 30;
            c->context.timings.closeWaitMs = 0;
            c->context.timings.deliveryTimeoutMs = 3000;
            forms.push_back(std::make_unique<TMainForm>(c->context));
        }
        for (int i = 0; i < n; ++i) {
            if (i < aliases.size())
                forms[i]->Options->AliasEdit->setText(aliases[i]);
            forms[i]->RestoreApplication();
        }
        // Everybody asks again, so every tree lists every computer.
        for (auto& f : forms)
            f->Presence->ApplyBtnClick();
        EXPECT_TRUE(WaitUntil([&] {
            for (auto& f : forms)
                if (f->Presence->Tree().ComputerCount() != n)
                    return false;
            return true;
        }));
    }
    TMainForm& operator[](size_t i) { return *forms[i]; }
    test::ScriptedDialogService& Dialogs(size_t i) { return computers[i]->dialogs; }
    void Choose(size_t i, const QString& text) {
        TMainForm& f = *forms[i];
        const QList<QTreeWidgetItem*> items =
            f.TreeView1->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(items.isEmpty()) << text.toStdString();
        f.TreeView1->setCurrentItem(items.first());
        ASSERT_EQ(f.CompNameBtn->text(), text);
    }
    void ChooseEverybody(size_t i) { forms[i]->RadioGroup1Items->button(1)->click(); }
    void Write(size_t i, const QString& text) { forms[i]->Memo1->setPlainText(text); }
    int Boxes(size_t i, const QString& text) const { return computers[i]->dialogs.Count(text); }
    std::vector<std::unique_ptr<TestComputer>> computers;
    std::vector<std::unique_ptr<TMainForm>> forms;
};

inline QString StoredHeader(StorePage& page, int position) {
    return FromAnsi(page.Store().At(position).Header());
}

inline QString BodyText(const QByteArray& body) {
    QTextDocument doc;
    LoadMessageBody(&doc, body);
    return doc.toPlainText();
}

inline bool Received(StorePage& page, int count) {
    return page.Store().Count() == count;
}

// The messages of a store that a computer's file holds, as another reader
// of the file sees them.
inline int KeptInFile(const HostContext& context, StoreKind kind) {
    const QString name = QStringLiteral("reader");
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QDir(context.historyDir).filePath(MessageHistory::FileName));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        if (db.open() &&
            q.exec(
                QStringLiteral("SELECT count(*) FROM message WHERE store = %1").arg(int(kind))) &&
            q.next())
            count = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

} // namespace corvane::test
