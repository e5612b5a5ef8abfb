#include "presence/presencedirectory.h"

#include "common/errors.h"
#include "common/hostcontext.h"
#include "settings/stringtable.h"
#include "transport/slotwriter.h"

#include <QPushButton>
#include <QTimer>

namespace corvane {

PresenceDirectory::PresenceDirectory(const PresenceControls& controls, const PresenceState& state,
                                     HostContext& context, const GroupDirectory& groups,
                                     QObject* parent)
    : QObject(parent), c_(controls), slot_(controls.IcqSlot), state_(state), context_(context),
      tree_(groups), protocol_(
                         context, tree_, *controls.RxTimerEvent1, state.onlineFlag, controls.alias,
                         [this](const QString& target, const QByteArray& text) {
                             return SendPresence(target, text);
                         },
                         this),
      view_(controls.tree, tree_, context, state.language, state.firstTreeOpen,
            controls.memo1Change, this) {
    protocol_.SetRecipientHolder(&view_);
    slot_->OnOpen = [this](TmdCustomMailSlot*) {
        RunHandler(context_, [this] { protocol_.IcqSlotOpen(); });
    };
    slot_->OnMessageAvail = [this](TmdCustomMailSlot* slot, const QByteArray& msg) {
        const DatagramOrigin origin = slot->CurrentOrigin();
        RunHandler(context_, [this, &msg, &origin] {
            protocol_.IcqSlotMessageAvail(msg, origin.sender, origin.address);
        });
    };
    connect(c_.Toggle1, &QPushButton::clicked, this, &PresenceDirectory::Toggle1Click);
    UpdateToggle1();
}

PresenceDirectory::~PresenceDirectory() {
    if (slot_) {
        slot_->OnOpen = nullptr;
        slot_->OnMessageAvail = nullptr;
    }
}

bool PresenceDirectory::SendPresence(const QString& target, const QByteArray& text) {
    if (!context_.datagrams || !slot_)
        return false;
    if (SlotWriter::ReachesAtOnce(context_, target))
        return SendDatagram(*context_.datagrams, target, slot_->Slot(), text);
    // A requester this computer has not heard from (its request named another
    // computer than the one that sent it): the system resolver may take
    // seconds, so the answer goes when the look-up returns, and the window
    // goes on meanwhile. The resolver bounds what such names can start.
    context_.resolver.Lookup(target, this, [this, target, text](const QHostAddress& address) {
        if (address.isNull())
            return;
        context_.resolver.LearnIfUnknown(target, address);
        if (context_.datagrams && slot_)
            SendDatagram(*context_.datagrams, target, slot_->Slot(), text);
    });
    return true;
}

void PresenceDirectory::Toggle1Click() {
    protocol_.SetOnline(c_.Toggle1->isChecked());
    UpdateToggle1();
}

void PresenceDirectory::UpdateToggle1() {
    const bool on = c_.Toggle1->isChecked();
    c_.Toggle1->setText(state_.language.Text(on ? Strings::Online : Strings::Offline));
    QPalette palette = c_.Toggle1->palette();
    palette.setColor(QPalette::ButtonText, on ? OnlineCaption : OfflineCaption);
    c_.Toggle1->setPalette(palette);
}

} // namespace corvane
